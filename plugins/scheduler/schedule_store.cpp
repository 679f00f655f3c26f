#include "schedule_store.h"

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "common/handles.h"
#include "schedule_record.h"
#include "zentik/ztZentikInterface.h"

namespace zt {
namespace {

constexpr wchar_t kCountValue[] = L"Count";
constexpr wchar_t kItemPrefix[] = L"Item";
constexpr wchar_t kCmndPrefix[] = L"Cmnd";

std::wstring ValueName(const wchar_t* prefix, DWORD n) {
    return prefix + std::to_wstring(n);
}

// The parent of a key path and the key's own name.
std::pair<std::wstring, std::wstring> SplitKeyPath(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return {std::wstring(), path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

UniqueKey OpenParent(const std::wstring& path, bool create) {
    HKEY key = nullptr;
    const LSTATUS result =
        create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr)
               : ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    return UniqueKey(result == ERROR_SUCCESS ? key : nullptr);
}

UniqueKey OpenChild(HKEY parent, const std::wstring& name, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, name.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(key);
}

std::optional<DWORD> ReadCount(HKEY key) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegQueryValueExW(key, kCountValue, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return std::nullopt;
    return value;
}

bool DeleteKey(HKEY parent, const std::wstring& name) {
    const LSTATUS result = ::RegDeleteTreeW(parent, name.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

// Replaces the key name of parent by its complete sibling newName.
bool Swap(HKEY parent, const std::wstring& name, const std::wstring& newName) {
    return DeleteKey(parent, name) &&
           ::RegRenameKey(parent, newName.c_str(), name.c_str()) == ERROR_SUCCESS;
}

// A save cut short: a complete new key replaces the key, an incomplete one goes.
void FinishInterruptedSave(HKEY parent, const std::wstring& name, const std::wstring& newName) {
    bool complete = false;
    {
        const UniqueKey fresh = OpenChild(parent, newName, KEY_QUERY_VALUE);
        if (!fresh)
            return;
        complete = ReadCount(fresh.get()).has_value();
    }
    if (complete)
        Swap(parent, name, newName);
    else
        DeleteKey(parent, newName);
}

// n of a value named "Item"n (decimal, no leading zero) with 1 <= n <= count, else 0.
DWORD ItemNumber(const wchar_t* name, DWORD count) {
    const size_t prefix = std::wcslen(kItemPrefix);
    if (::_wcsnicmp(name, kItemPrefix, prefix) != 0)
        return 0;
    const wchar_t* digits = name + prefix;
    if (*digits < L'1' || *digits > L'9')
        return 0;
    unsigned long long n = 0;
    for (const wchar_t* d = digits; *d; ++d) {
        if (*d < L'0' || *d > L'9' || d - digits >= 10)
            return 0;
        n = n * 10 + static_cast<unsigned>(*d - L'0');
    }
    return n <= count ? static_cast<DWORD>(n) : 0;
}

// The numbers of the "Item" values that count covers, ascending. Enumerating the values
// (rather than trying 1 ... Count) keeps a damaged Count from costing more than the key holds.
std::vector<DWORD> ItemNumbers(HKEY key, DWORD count) {
    DWORD values = 0;
    DWORD maxName = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                           &maxName, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    std::vector<DWORD> numbers;
    std::wstring name(static_cast<size_t>(maxName) + 1, L'\0');
    for (DWORD i = 0; i < values; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (::RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        if (const DWORD n = ItemNumber(name.c_str(), count))
            numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::wstring ReadCommandLine(HKEY key, const std::wstring& name) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                           &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    text.resize(std::min<size_t>(text.size(), size / sizeof(wchar_t)));
    text.resize(std::wcslen(text.c_str())); // without the terminator(s)
    return text;
}

// The task stored as "Item"n and "Cmnd"n; null when the block is missing or malformed.
TaskPtr ReadTask(HKEY key, DWORD n) {
    ScheduleRecord block{};
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(block.size());
    // A larger block fails with ERROR_MORE_DATA.
    if (::RegQueryValueExW(key, ValueName(kItemPrefix, n).c_str(), nullptr, &type, block.data(),
                           &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return nullptr;
    auto task = std::make_unique<TScheduleItem>();
    if (!DecodeScheduleRecord(block.data(), size, *task))
        return nullptr;
    task->Cmnd = ReadCommandLine(key, ValueName(kCmndPrefix, n));
    task->next = nullptr;
    task->prev = nullptr;
    return task;
}

bool WriteValue(HKEY key, const std::wstring& name, DWORD type, const void* data, size_t size) {
    return ::RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                            static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

} // namespace

std::wstring DefaultScheduleListKey() {
    return std::wstring(ZT_PLUGINS_REGISTRY_KEY) + L"Scheduler.Zentik\\ScheduleList";
}

TScheduleStore::TScheduleStore(std::wstring keyPath) : keyPath_(std::move(keyPath)) {}

bool TScheduleStore::Save(TScheduleList& list) const {
    const auto [parentPath, name] = SplitKeyPath(keyPath_);
    const std::wstring newName = name + L".new";
    const UniqueKey parent = OpenParent(parentPath, true);
    if (!parent || !DeleteKey(parent.get(), newName))
        return false;
    {
        HKEY created = nullptr;
        if (::RegCreateKeyExW(parent.get(), newName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS)
            return false;
        const UniqueKey fresh(created);
        DWORD count = 0;
        {
            std::lock_guard<std::recursive_mutex> guard(list.Lock());
            for (const TScheduleItem* task = list.First(); task; task = task->next) {
                ++count;
                const ScheduleRecord block = EncodeScheduleRecord(*task);
                if (!WriteValue(fresh.get(), ValueName(kItemPrefix, count), REG_BINARY,
                                block.data(), block.size()) ||
                    !WriteValue(fresh.get(), ValueName(kCmndPrefix, count), REG_SZ,
                                task->Cmnd.c_str(), (task->Cmnd.size() + 1) * sizeof(wchar_t)))
                    return false; // the new key has no "Count": the next load drops it
            }
        }
        if (OnSaveStep)
            OnSaveStep(SaveStep::ItemsWritten);
        if (!WriteValue(fresh.get(), kCountValue, REG_DWORD, &count, sizeof(count)))
            return false;
    }
    if (OnSaveStep)
        OnSaveStep(SaveStep::NewKeyWritten);
    return Swap(parent.get(), name, newName);
}

std::size_t TScheduleStore::Load(TScheduleList& list, DateTime now) const {
    const auto [parentPath, name] = SplitKeyPath(keyPath_);
    const UniqueKey parent = OpenParent(parentPath, false);
    if (!parent)
        return 0;
    FinishInterruptedSave(parent.get(), name, name + L".new");
    const UniqueKey key = OpenChild(parent.get(), name, KEY_QUERY_VALUE);
    if (!key)
        return 0;
    const std::optional<DWORD> count = ReadCount(key.get());
    if (!count)
        return 0;
    std::size_t read = 0;
    for (const DWORD n : ItemNumbers(key.get(), *count)) {
        if (TaskPtr task = ReadTask(key.get(), n)) {
            ++read;
            list.InsertTask(std::move(task), now);
        }
    }
    return read;
}

} // namespace zt

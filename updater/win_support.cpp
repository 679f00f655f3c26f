#include "updater/win_support.h"

#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "common/handles.h"
#include "updater/resource.h"
#include "updater/uplift_text.h"
#include "updater/update_list.h"

namespace zt::uplift {

namespace {

std::wstring TimeFormatted(const SYSTEMTIME& time, DWORD flags) {
    wchar_t buffer[128] = {};
    if (::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, flags, &time, nullptr, buffer, 128) == 0)
        return {};
    return buffer;
}

struct LocalFreeDeleter {
    void operator()(void* memory) const noexcept { ::LocalFree(memory); }
};

} // namespace

std::wstring ShortTimeText(const SYSTEMTIME& time) {
    return TimeFormatted(time, TIME_NOSECONDS);
}

std::wstring DateTimeText(const SYSTEMTIME& time) {
    wchar_t date[128] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 128, nullptr);
    return std::wstring(date) + L" " + TimeFormatted(time, 0);
}

std::wstring ErrorText(DWORD code, HMODULE messageSource) {
    wchar_t buffer[512] = {};
    DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (messageSource)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    DWORD length = ::FormatMessageW(flags, messageSource, code, 0, buffer, 512, nullptr);
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' ||
                          buffer[length - 1] == L' ' || buffer[length - 1] == L'.'))
        --length;
    const std::wstring number = Text(IDS_ERR_CODE, {std::to_wstring(code)});
    if (length == 0)
        return number;
    return std::wstring(buffer, length) + L" (" + number + L")";
}

std::wstring LoadResourceString(HINSTANCE instance, UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW hands out a pointer into the resource itself.
    const int length = ::LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return {};
    return std::wstring(text, static_cast<size_t>(length));
}

bool EnsureFolder(const std::wstring& path) {
    if (::CreateDirectoryW(path.c_str(), nullptr))
        return true;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

std::vector<std::wstring> CommandLineArguments() {
    int count = 0;
    std::unique_ptr<LPWSTR, LocalFreeDeleter> argv(
        ::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::wstring> args;
    if (!argv)
        return args;
    for (int i = 1; i < count; ++i)
        args.emplace_back(argv.get()[i]);
    return args;
}

std::optional<std::wstring> EnvironmentValue(const std::wstring& name) {
    const DWORD size = ::GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0)
        return std::nullopt;
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name.c_str(), value.data(), size);
    if (length == 0 || length >= size)
        return std::nullopt;
    value.resize(length);
    return value;
}

} // namespace zt::uplift

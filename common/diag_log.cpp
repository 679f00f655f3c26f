#include "common/diag_log.h"

#include <atomic>
#include <cstring>
#include <cwchar>
#include <exception>
#include <mutex>

#include "common/handles.h"
#include "common/program_folder.h"
#include "common/utf.h"
#include "zentik/ztZentikInterface.h"

namespace zt {
namespace {

enum class FileState { Unknown, Off, On };
std::atomic<FileState> g_fileState{FileState::Unknown};

std::mutex& FileLock() {
    static std::mutex lock;
    return lock;
}

bool DebugLogValueSet() noexcept {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, ZT_REGISTRY_KEY, 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS)
        return false;
    const UniqueKey key(raw);
    wchar_t text[16]{};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), L"DebugLog", nullptr, &type, reinterpret_cast<BYTE*>(text),
                           &size) != ERROR_SUCCESS)
        return false;
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, text, sizeof(number));
        return number == 1;
    }
    return (type == REG_SZ || type == REG_EXPAND_SZ) && std::wstring_view(text) == L"1";
}

bool FileWanted() noexcept {
    FileState state = g_fileState.load();
    if (state == FileState::Unknown) {
        state = DebugLogValueSet() ? FileState::On : FileState::Off;
        g_fileState = state;
    }
    return state == FileState::On;
}

void AppendToFile(const std::wstring& line) {
    const std::wstring path = DiagLogPath();
    if (path.empty())
        return;
    const std::string bytes = WideToUtf8(line);
    std::lock_guard<std::mutex> guard(FileLock());
    UniqueFile file(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

std::wstring DiagLogPath() {
    const std::wstring folder = ProgramFolder();
    return folder.empty() ? std::wstring() : folder + L"\\Zentik.log";
}

void DiagLog(std::wstring_view text) noexcept {
    try {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        wchar_t stamp[40]{};
        ::swprintf(stamp, 40, L"%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", now.wYear, now.wMonth,
                   now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                   ::GetCurrentThreadId());
        std::wstring line = stamp;
        line.append(text);
        line += L"\r\n";
        ::OutputDebugStringW(line.c_str());
        if (FileWanted())
            AppendToFile(line);
    } catch (...) {
        // Out of memory: nothing can be reported.
    }
}

void DiagLogCaught(std::wstring_view where) noexcept {
    try {
        std::wstring what = L"unknown exception";
        try {
            if (std::exception_ptr current = std::current_exception())
                std::rethrow_exception(current);
        } catch (const std::exception& error) {
            what = Utf8ToWide(error.what());
        } catch (...) {
        }
        std::wstring line(where);
        line += L": ";
        line += what;
        DiagLog(line);
    } catch (...) {
        DiagLog(where);
    }
}

void DiagLogCaught(std::string_view where) noexcept {
    try {
        DiagLogCaught(Utf8ToWide(where));
    } catch (...) {
        DiagLogCaught(std::wstring_view(L"(unnamed)"));
    }
}

std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    if (!text.empty())
        text += L" ";
    text += L"(error " + std::to_wstring(code) + L")";
    return text;
}

void DiagLogReload() noexcept {
    g_fileState = FileState::Unknown;
}

} // namespace zt

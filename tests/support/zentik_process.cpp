#include "support/zentik_process.h"

#include <map>
#include <vector>

namespace zt::test {

std::wstring ZentikExePath() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    path.resize(path.find_last_of(L'\\') + 1); // ...\tests\bin\ .
    return path + L"..\\..\\bin\\Zentik.exe";
}

std::vector<HWND> ClockWindows(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t name[64] = {};
            wchar_t title[64] = {};
            ::GetClassNameW(window, name, 64);
            ::GetWindowTextW(window, title, 64);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (std::wstring(name) == L"TfrmClock" && std::wstring(title) == L"Zentik" &&
                (s->processId == 0 || s->processId == owner))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

ZentikProcess::~ZentikProcess() {
    if (Running() && !Close(10000))
        ::TerminateProcess(process_.get(), 1);
}

bool ZentikProcess::Start(const std::wstring& arguments, const std::wstring& program) {
    const std::wstring exe = program.empty() ? ZentikExePath() : program;
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info))
        return false;
    ::CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
    return true;
}

HWND ZentikProcess::WaitForWindow(DWORD milliseconds) const {
    HWND window = nullptr;
    WaitUntil(milliseconds, [&] {
        const auto windows = ClockWindows(id_);
        window = windows.empty() ? nullptr : windows.front();
        return window != nullptr || !Running();
    });
    return window;
}

bool ZentikProcess::WaitForExit(DWORD milliseconds) const {
    return process_ && ::WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

bool ZentikProcess::Running() const {
    return process_ && !WaitForExit(0);
}

DWORD ZentikProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_)
        ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

bool ZentikProcess::Close(DWORD milliseconds) {
    for (HWND window : ClockWindows(id_))
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return WaitForExit(milliseconds);
}

bool XdotoolAvailable() {
    return ::GetFileAttributesW(L"Z:\\usr\\bin\\xdotool") != INVALID_FILE_ATTRIBUTES;
}

bool CaptureWindow(HWND window, WindowPixels& image) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect))
        return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height, 0);
    HDC screen = ::GetDC(nullptr);
    const UniqueMemoryDc memory(::CreateCompatibleDC(screen));
    const UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
    const HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
    const bool copied =
        ::BitBlt(memory.get(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory.get(), old);
    ::ReleaseDC(nullptr, screen);
    return copied && ::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height),
                                 image.pixels.data(), &info, DIB_RGB_COLORS) == height;
}

bool SegmentPoint(HWND window, POINT& point) {
    RECT rect{};
    WindowPixels image;
    if (!::GetWindowRect(window, &rect) || !CaptureWindow(window, image))
        return false;
    const int width = image.width;
    const int height = image.height;
    if (width < 12 || height < 12)
        return false;
    const std::vector<DWORD>& pixels = image.pixels;

    std::map<DWORD, int> counts;
    for (DWORD pixel : pixels)
        ++counts[pixel & 0xFFFFFF];
    DWORD background = 0;
    int most = 0;
    for (const auto& [colour, count] : counts) {
        if (count > most) {
            most = count;
            background = colour;
        }
    }
    const auto at = [&](int x, int y) { return image.At(x, y); };
    for (int y = 4; y < height - 4; ++y) {
        for (int x = 4; x < width - 4; ++x) {
            bool inside = true;
            for (int dy = -1; dy <= 1 && inside; ++dy)
                for (int dx = -1; dx <= 1 && inside; ++dx)
                    inside = at(x + dx, y + dy) != background;
            if (inside) {
                point = {rect.left + x, rect.top + y};
                return true;
            }
        }
    }
    return false;
}

bool RunXdotool(const std::wstring& arguments) {
    // Through Wine's start.exe: starting a Unix program from this process directly cuts
    // off its standard output, and with it the test report.
    if (!XdotoolAvailable())
        return false;
    std::wstring commandLine = L"start.exe /unix /usr/bin/xdotool " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process))
        return false;
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    return ::WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0;
}

} // namespace zt::test

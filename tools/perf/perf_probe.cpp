// Looks at other programs from inside the same Wine session, for perf.sh.
//   perf_probe startup EXE [ARGS]  starts EXE, prints when its window first shows painted
//                                  pixels, then closes it
//   perf_probe find CLASS          prints the top-level window of CLASS and its children
//   perf_probe close CLASS         closes the top-level windows of CLASS (WM_CLOSE) and
//                                  waits for their processes to end
// "Painted" means: a visible top-level window of the process whose rectangle, read back
// from the screen, holds a pixel of the lit-segment colour (COLOR_BTNHIGHLIGHT), which
// neither the black root window nor an unpainted Wine window shows.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Found {
    DWORD process = 0;
    const wchar_t* className = nullptr;
    std::vector<HWND> windows;
};

BOOL CALLBACK Collect(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (found->process && process != found->process)
        return TRUE;
    if (found->className) {
        wchar_t name[128] = {};
        ::GetClassNameW(window, name, 128);
        if (std::wstring(name) != found->className)
            return TRUE;
    }
    found->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevel(DWORD process, const wchar_t* className) {
    Found found{process, className, {}};
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

// The window's rectangle as the screen shows it, 0x00RRGGBB from the top row down.
bool Capture(HWND window, RECT& rect, std::vector<DWORD>& image) {
    if (!::IsWindowVisible(window) || !::GetWindowRect(window, &rect))
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
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (bitmap) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        copied = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        ::GdiFlush();
        if (copied) {
            const auto* pixels = static_cast<const DWORD*>(bits);
            image.assign(pixels, pixels + static_cast<size_t>(width) * height);
            for (DWORD& pixel : image)
                pixel &= 0xFFFFFF;
        }
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return copied;
}

DWORD Rgb(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// Whether the screen shows a pixel of colour inside the window's rectangle.
bool ShowsColour(HWND window, COLORREF colour) {
    RECT rect{};
    std::vector<DWORD> image;
    if (!Capture(window, rect, image))
        return false;
    for (DWORD pixel : image) {
        if (pixel == Rgb(colour))
            return true;
    }
    return false;
}

// A screen point inside a lit segment: the centre of the most 3 x 3 lit block found.
bool LitPoint(HWND window, POINT& point) {
    RECT rect{};
    std::vector<DWORD> image;
    if (!Capture(window, rect, image))
        return false;
    const DWORD lit = Rgb(::GetSysColor(COLOR_BTNHIGHLIGHT));
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int best = 0;
    for (int y = 1; y + 1 < height; ++y) {
        for (int x = 1; x + 1 < width; ++x) {
            int count = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    count += image[static_cast<size_t>(y + dy) * width + x + dx] == lit;
            if (count > best) {
                best = count;
                point = {rect.left + x, rect.top + y};
            }
        }
    }
    return best > 0;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// Posts WM_CLOSE to windows and waits for process (10 s, then ends it: we started it).
void CloseAndWait(const std::vector<HWND>& windows, HANDLE process) {
    for (HWND window : windows)
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (process && ::WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) {
        std::fwprintf(stderr, L"the program did not close; ending it\n");
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, 5000);
    }
}

int Startup(const std::wstring& commandLine) {
    const COLORREF lit = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        std::fwprintf(stderr, L"cannot start %ls (%lu)\n", commandLine.c_str(), ::GetLastError());
        return 1;
    }
    ::CloseHandle(process.hThread);
    double visibleMs = -1;
    double paintedMs = -1;
    const ULONGLONG deadline = ::GetTickCount64() + 60000;
    std::vector<HWND> windows;
    while (paintedMs < 0 && ::GetTickCount64() < deadline) {
        windows = TopLevel(process.dwProcessId, nullptr);
        LARGE_INTEGER now;
        for (HWND window : windows) {
            if (visibleMs < 0 && ::IsWindowVisible(window)) {
                ::QueryPerformanceCounter(&now);
                visibleMs = Milliseconds(start, now);
            }
            if (ShowsColour(window, lit)) {
                ::QueryPerformanceCounter(&now);
                paintedMs = Milliseconds(start, now);
                break;
            }
        }
        ::Sleep(1);
    }
    std::wprintf(L"visible_ms=%.1f painted_ms=%.1f\n", visibleMs, paintedMs);
    std::fflush(stdout);
    CloseAndWait(TopLevel(process.dwProcessId, nullptr), process.hProcess);
    ::CloseHandle(process.hProcess);
    return paintedMs < 0 ? 1 : 0;
}

BOOL CALLBACK PrintChild(HWND window, LPARAM) {
    wchar_t name[128] = {};
    ::GetClassNameW(window, name, 128);
    std::wprintf(L"child 0x%lx %ls\n", static_cast<unsigned long>(::HandleToULong(window)), name);
    return TRUE;
}

int Find(const wchar_t* className) {
    const std::vector<HWND> windows = TopLevel(0, className);
    for (HWND window : windows) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        POINT lit{-1, -1};
        LitPoint(window, lit);
        std::wprintf(L"window 0x%lx %ls visible=%d rect=%ld,%ld,%ld,%ld lit=%ld,%ld\n",
                     static_cast<unsigned long>(::HandleToULong(window)), className,
                     ::IsWindowVisible(window) ? 1 : 0, rect.left, rect.top, rect.right,
                     rect.bottom, lit.x, lit.y);
        ::EnumChildWindows(window, PrintChild, 0);
    }
    return windows.empty() ? 1 : 0;
}

int Close(const wchar_t* className) {
    const std::vector<HWND> windows = TopLevel(0, className);
    std::vector<HANDLE> processes;
    for (HWND window : windows) {
        DWORD id = 0;
        ::GetWindowThreadProcessId(window, &id);
        if (HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id))
            processes.push_back(process);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    int result = 0;
    for (HANDLE process : processes) {
        if (::WaitForSingleObject(process, 15000) != WAIT_OBJECT_0)
            result = 1;
        ::CloseHandle(process);
    }
    return result;
}

// The command line after the first two arguments, as it was typed.
std::wstring TailFrom(const wchar_t* commandLine, int skip) {
    std::wstring line = commandLine;
    size_t at = 0;
    for (int i = 0; i < skip; ++i) {
        while (at < line.size() && line[at] == L' ')
            ++at;
        const bool quoted = at < line.size() && line[at] == L'"';
        at = quoted ? line.find(L'"', at + 1) : line.find(L' ', at);
        if (at == std::wstring::npos)
            return {};
        ++at;
    }
    while (at < line.size() && line[at] == L' ')
        ++at;
    return line.substr(at);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wstring(argv[1]) == L"startup")
        return Startup(TailFrom(::GetCommandLineW(), 2));
    if (argc == 3 && std::wstring(argv[1]) == L"find")
        return Find(argv[2]);
    if (argc == 3 && std::wstring(argv[1]) == L"close")
        return Close(argv[2]);
    std::fwprintf(stderr, L"usage: perf_probe startup EXE [ARGS] | find CLASS | close CLASS\n");
    return 2;
}

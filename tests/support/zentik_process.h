#pragma once
// Starts Zentik.exe from the build's bin folder and watches it from outside.

#include <windows.h>

#include <string>
#include <vector>

#include "common/handles.h"

namespace zt::test {

// bin\Zentik.exe of the build tree that holds this test program.
std::wstring ZentikExePath();

// Runs message-free waits in small steps until done() or the deadline.
template <typename Done> bool WaitUntil(DWORD milliseconds, Done done) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    while (!done()) {
        if (::GetTickCount64() >= end)
            return false;
        ::Sleep(20);
    }
    return true;
}

// Top-level clock windows ("TfrmClock" / "Zentik"), of one process or of all.
std::vector<HWND> ClockWindows(DWORD processId = 0);

// A window's pixels as the screen shows them, row by row from the top, 0x00RRGGBB.
struct WindowPixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};
// False when the window has no area or the screen could not be read.
bool CaptureWindow(HWND window, WindowPixels& image);

// A point of window on screen that takes clicks in every colour mode: inside a drawn
// segment (its 3 x 3 neighbourhood differs from the background colour, the commonest colour
// of the window) and away from the window's edge. False when the window shows no segment.
bool SegmentPoint(HWND window, POINT& point);

// Whether xdotool (X input as a user makes it) is installed.
bool XdotoolAvailable();
// Runs xdotool with these arguments and waits for it; false when it is not available.
bool RunXdotool(const std::wstring& arguments);

class ZentikProcess {
public:
    ZentikProcess() = default;
    ZentikProcess(const ZentikProcess&) = delete;
    ZentikProcess& operator=(const ZentikProcess&) = delete;
    // Closes the clock if it still runs: WM_CLOSE first, termination as a last resort.
    ~ZentikProcess();

    // Starts exe (bin\Zentik.exe of this build when empty) with arguments.
    bool Start(const std::wstring& arguments = L"", const std::wstring& exe = L"");
    // The clock window of this process, waiting for it up to milliseconds.
    HWND WaitForWindow(DWORD milliseconds = 15000) const;
    // True when the process ended within milliseconds.
    bool WaitForExit(DWORD milliseconds) const;
    bool Running() const;
    DWORD ExitCode() const;
    DWORD Id() const { return id_; }
    // Posts WM_CLOSE to the clock window and waits for the process to end.
    bool Close(DWORD milliseconds = 15000);

private:
    UniqueKernelHandle process_;
    DWORD id_ = 0;
};

} // namespace zt::test

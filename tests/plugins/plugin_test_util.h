#pragma once
// Small helpers of the plug-in tests: message pumping, the Stopwatch's display text and
// menu captions.

#include <windows.h>

#include <cwchar>
#include <string>

namespace zt::test {

// Processes the thread's messages (timers, cross-thread sends) for the given time.
inline void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end)
            break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

// Milliseconds of an "hh:mm:ss.zzz" text, or -1 when it has another form.
inline long long ShownMs(const std::wstring& text) {
    unsigned h = 0, m = 0, s = 0, ms = 0;
    wchar_t tail = 0;
    if (text.size() != 12 ||
        std::swscanf(text.c_str(), L"%2u:%2u:%2u.%3u%lc", &h, &m, &s, &ms, &tail) != 4)
        return -1;
    return ((h * 60LL + m) * 60 + s) * 1000 + ms;
}

// The caption of the item at position.
inline std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

} // namespace zt::test

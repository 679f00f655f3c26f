#pragma once
// Small helpers of the plug-in tests: message pumping (support/pump.h), the Stopwatch's
// display text and menu captions.

#include <windows.h>

#include <cwchar>
#include <string>

#include "support/pump.h"

namespace zt::test {

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

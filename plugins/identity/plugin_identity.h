#pragma once
// The author and notice texts that every plug-in shipped with the clock reports.

#include <windows.h>
#include <oleauto.h>

namespace zt {

inline constexpr wchar_t kPluginAuthor[] = L"Ombrelt";
inline constexpr wchar_t kPluginNotice[] = L"A plug-in of the Zentik desktop clock.";

// The notice in the language in use (the plug-in's LangBstr(L"Notice")), else the English one.
inline BSTR PluginNotice(BSTR translated) noexcept {
    if (translated && ::SysStringLen(translated) > 0)
        return translated;
    ::SysFreeString(translated);
    return ::SysAllocString(kPluginNotice);
}

} // namespace zt

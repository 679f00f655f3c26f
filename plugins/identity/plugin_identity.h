#pragma once
// The author and notice texts that every plug-in shipped with the clock reports.

namespace zt {

inline constexpr wchar_t kPluginAuthor[] = L"Ombrelt";
inline constexpr wchar_t kPluginNotice[] = L"A plug-in of the Zentik desktop clock.";

} // namespace zt

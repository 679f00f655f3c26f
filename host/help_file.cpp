#include "host/help_file.h"

namespace zt {

std::wstring ChooseHelpFile(const std::wstring& programFolder, const std::wstring& languageCode,
                            const std::function<bool(const std::wstring& path)>& exists) {
    // A code is a folder name, never a path.
    if (!languageCode.empty() && languageCode.find_first_of(L"\\/.:") == std::wstring::npos) {
        const std::wstring translated =
            programFolder + L"\\Language\\" + languageCode + L"\\" + kHelpFileName;
        if (exists(translated))
            return translated;
    }
    const std::wstring builtIn = programFolder + L"\\" + kHelpFileName;
    return exists(builtIn) ? builtIn : std::wstring();
}

} // namespace zt

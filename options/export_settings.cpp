#include "options/export_settings.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "common/message_box.h"
#include "options/export_key.h"
#include "options/setup_host.h"

namespace zt::options {
namespace {

// The filter of the save dialog from a "text|pattern|text|pattern" text.
std::wstring DialogFilter(std::wstring text) {
    if (text.empty())
        text = L"*.reg|*.reg";
    std::replace(text.begin(), text.end(), L'|', L'\0');
    text.push_back(L'\0');
    return text;
}

std::wstring AskFile(HWND owner, const TztSetupHost& host) {
    const std::wstring filter = DialogFilter(host.Text(L"SETUP=SExpDlgFilt"));
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = L"reg";
    dialog.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameW(&dialog))
        return {};
    return file.data();
}

} // namespace

bool ExportSettings(HWND owner, const TztSetupHost& host) {
    const std::wstring path = AskFile(owner, host);
    if (path.empty())
        return false;
    if (IZentik* zentik = host.Zentik())
        zentik->DoAction(ztaSaveSettings);
    const bool written = ExportKey(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", kSettingsKey, path) !=
                         ExportFormat::None;
    ShowMessageBox(owner, host.Text(written ? L"MISC=ExportDone" : L"MISC=ExportFailed").c_str(),
                   L"Zentik", MB_OK | (written ? MB_ICONINFORMATION : MB_ICONERROR));
    return written;
}

} // namespace zt::options

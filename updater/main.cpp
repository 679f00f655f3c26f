// Uplift.exe: the stand-alone update checker of Zentik.

#include <windows.h>
#include <commctrl.h>

#include "common/diag_log.h"
#include "common/language_code.h"
#include "common/program_folder.h"
#include "updater/frm_update.h"
#include "updater/list_address.h"
#include "updater/resource.h"
#include "updater/uplift_text.h"
#include "updater/win_support.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    using namespace zt::uplift;
    try {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC =
            ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
        ::InitCommonControlsEx(&controls);
        SelectTextLanguage(zt::ReadLanguageCode(HKEY_CURRENT_USER));

        UpdateFormOptions options;
        options.instance = instance;
        options.listAddress = ChooseListAddress(
            CommandLineArguments(), EnvironmentValue(std::wstring(kListAddressVariable)),
            LoadResourceString(instance, IDS_LIST_ADDRESS));
        const std::wstring folder = zt::ProgramFolder();
        options.downloadFolder = (folder.empty() ? L"." : folder) + L"\\UpDate";
        options.onDestroyed = [] { ::PostQuitMessage(0); };

        TfrmUpdate form(std::move(options));
        if (!form.Create(showCommand))
            return 1;
        MSG message{};
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (form.Handle() && ::IsDialogMessageW(form.Handle(), &message))
                continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        return static_cast<int>(message.wParam);
    } catch (...) {
        zt::DiagLogCaught(L"Uplift");
        return 1;
    }
}

#include "options/page_time.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "common/component_name.h"
#include "common/message_box.h"
#include "common/module_window_class.h"
#include "options/page_texts.h"
#include "options/page_time_resource.h"
#include "options/pages.h"
#include "options/setup_host.h"
#include "zentik/ztComHelpers.h"

namespace zt::options {
namespace {

constexpr TztControlName kControls[] = {
    {IDC_TIME_DATE_LABEL, L"lblNewDate"},  {IDC_TIME_DATE, L"NewDate"},
    {IDC_TIME_TIME_LABEL, L"lblNewTime"},  {IDC_TIME_TIME, L"NewTime"},
    {IDC_TIME_APPLY, L"btnApplyDateTime"}, {IDC_TIME_RESET, L"btnResetNewDate"},
    {IDC_TIME_SYSTEM, L"lblSTime"},
};

// Blue, as links are; the system's hot-light colour is a light grey in some themes.
constexpr COLORREF kLinkColor = RGB(0, 102, 204);
constexpr UINT_PTR kLiveTimer = 1;
// Often enough that the seconds shown never lag by more than half a second.
constexpr UINT kLiveInterval = 500;

SYSTEMTIME PickerTime(HWND picker) {
    SYSTEMTIME time{};
    ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}

} // namespace

bool TztPageTime::Create(HWND parent) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (!CreateModeless(CurrentModule(), IDD_PAGE_TIME, parent))
        return false;
    SetComponentName(Window(), L"pnlTime");
    return true;
}

void TztPageTime::Translate() {
    TranslateControls(Window(), host_, kControls);
}

void TztPageTime::Shown() {
    Reset();
}

void TztPageTime::Hidden() {
    ::KillTimer(Window(), kLiveTimer);
    live_ = false;
}

INT_PTR TztPageTime::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        NameControls(Window(), kControls);
        ShowNow();
        return FALSE; // a page takes no focus of its own
    case WM_TIMER:
        if (wParam == kLiveTimer && live_)
            ShowNow();
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == DTN_DATETIMECHANGE &&
            (header->idFrom == IDC_TIME_DATE || header->idFrom == IDC_TIME_TIME))
            Edited();
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        // lblSTime looks like a link.
        if (reinterpret_cast<HWND>(lParam) == ::GetDlgItem(Window(), IDC_TIME_SYSTEM)) {
            const auto dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, kLinkColor);
            ::SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == ::GetDlgItem(Window(), IDC_TIME_SYSTEM)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            ::SetWindowLongPtrW(Window(), DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        ::KillTimer(Window(), kLiveTimer);
        return FALSE;
    default:
        return FALSE;
    }
}

void TztPageTime::OnCommand(int id, int code) {
    if (code == BN_CLICKED && id == IDC_TIME_APPLY)
        Apply();
    else if (code == BN_CLICKED && id == IDC_TIME_RESET)
        Reset();
    else if (code == STN_CLICKED && id == IDC_TIME_SYSTEM)
        OpenSystemSettings();
}

void TztPageTime::Reset() {
    ShowNow();
    ::EnableWindow(::GetDlgItem(Window(), IDC_TIME_APPLY), FALSE);
    ::EnableWindow(::GetDlgItem(Window(), IDC_TIME_RESET), FALSE);
    live_ = ::SetTimer(Window(), kLiveTimer, kLiveInterval, nullptr) != 0;
}

void TztPageTime::ShowNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    setting_ = true;
    for (const int id : {IDC_TIME_DATE, IDC_TIME_TIME})
        ::SendDlgItemMessageW(Window(), id, DTM_SETSYSTEMTIME, GDT_VALID,
                              reinterpret_cast<LPARAM>(&now));
    setting_ = false;
}

void TztPageTime::Edited() {
    if (setting_)
        return;
    ::KillTimer(Window(), kLiveTimer);
    live_ = false;
    ::EnableWindow(::GetDlgItem(Window(), IDC_TIME_APPLY), TRUE);
    ::EnableWindow(::GetDlgItem(Window(), IDC_TIME_RESET), TRUE);
}

void TztPageTime::Apply() {
    const SYSTEMTIME date = PickerTime(::GetDlgItem(Window(), IDC_TIME_DATE));
    const SYSTEMTIME time = PickerTime(::GetDlgItem(Window(), IDC_TIME_TIME));
    SYSTEMTIME local{};
    local.wYear = date.wYear;
    local.wMonth = date.wMonth;
    local.wDay = date.wDay;
    local.wHour = time.wHour;
    local.wMinute = time.wMinute;
    local.wSecond = time.wSecond;
    HRESULT result = E_FAIL;
    SYSTEMTIME utc{};
    // The offset of the date chosen, which may lie on the other side of a DST change.
    if (::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) {
        const auto clock = TztComRef<IztSystemClock>::Query(host_.Zentik(), IID_IztSystemClock);
        if (clock)
            result = clock->SetSystemTime(&utc);
    }
    if (FAILED(result)) {
        ShowMessageBox(::GetAncestor(Window(), GA_ROOT),
                       host_.Text(L"Error=ErrorChangeSysTime").c_str(), L"Zentik",
                       MB_OK | MB_ICONERROR);
        return;
    }
    ::SendNotifyMessageW(HWND_BROADCAST, WM_TIMECHANGE, 0, 0);
    Reset();
}

void TztPageTime::OpenSystemSettings() const {
    ::ShellExecuteW(Window(), L"open", L"rundll32.exe", L"shell32,Control_RunDLL TimeDate.cpl",
                    nullptr, SW_SHOWNORMAL);
}

std::unique_ptr<TztSetupPage> CreatePageTime(TztSetupHost& host) {
    return std::make_unique<TztPageTime>(host);
}

} // namespace zt::options

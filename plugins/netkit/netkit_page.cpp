#include "netkit_page.h"

#include <cwchar>
#include <optional>
#include <span>

#include "common/component_name.h"
#include "common/control_texts.h"
#include "common/module_window_class.h"
#include "common/utf.h"
#include "common/window_text.h"
#include "netkit_page_resource.h"
#include "netkit_plugin.h"
#include "netkit_settings.h"

namespace zt {
namespace {

// The captioned controls first, then those with a hint only, then the rest.
constexpr TztControlName kControls[] = {
    {IDC_L1, L"l1"},
    {IDC_L2, L"l2"},
    {IDC_L3, L"l3"},
    {IDC_GB1, L"gb1"},
    {IDC_DEF, L"bDef"},
    {IDC_CHECK_NEXT, L"cbCheckNext"},
    {IDC_ADD_SCH, L"btnAddSch"},
    {IDC_SYNCH, L"btnSynch"},
    {IDC_HL, L"mHL"},
    {IDC_ADV, L"btnAdv"},
    {IDC_HOST_LIST, L"cbHostList"},
    {IDC_STATUS, L"LSynchStatus"},
    {IDC_TIMEOUT, L"edtTimeOut"},
    {IDC_EDIT_HL, L"pnlEditHL"},
    {IDC_OK_HL, L"btnOkHL"},
};
constexpr std::span<const TztControlName> kTranslated = std::span(kControls).first(10);

// The controls the list-editing panel covers, and the panel's own.
constexpr int kMainControls[] = {IDC_GB1,     IDC_L1, IDC_HOST_LIST, IDC_CHECK_NEXT, IDC_SYNCH,
                                 IDC_ADD_SCH, IDC_L2, IDC_STATUS,    IDC_DEF,        IDC_ADV};
constexpr int kPanelControls[] = {IDC_EDIT_HL, IDC_HL, IDC_L3, IDC_TIMEOUT, IDC_OK_HL};

constexpr int kPageWidth = 335;
constexpr int kPageHeight = 256;

constexpr wchar_t kSchedulerModule[] = L"Scheduler.pzt";
constexpr char kSchedulerExport[] = "SchedShowNewTask";
constexpr char kSynchronizeCommand[] = "NU_Synchronize";

using SchedShowNewTaskFn = void(__stdcall*)(const char* command);

HMODULE SchedulerModule() {
    return ::GetModuleHandleW(kSchedulerModule);
}

// A whole decimal number 0..65535, or nothing.
std::optional<std::uint16_t> ParseTimeout(const std::wstring& text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of(L"0123456789") != text.npos)
        return std::nullopt;
    const unsigned long value = std::wcstoul(text.c_str(), nullptr, 10);
    if (value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

TFConfig::TFConfig(TztPlgNetkit& plugin) : plugin_(plugin) {}

TFConfig::~TFConfig() {
    DestroyWindowNow();
}

bool TFConfig::Create(HWND parent) {
    // A missing list is an empty one; confirming the dialog writes the file again.
    hostList_ = ReadHostList(plugin_.HostListPath()).value_or(std::vector<std::wstring>{});
    record_ = plugin_.LoadRecord();
    if (!CreateModeless(CurrentModule(), IDD_NETKIT_PAGE, parent))
        return false;
    SetComponentName(Window(), L"FConfig");
    ::SetWindowPos(Window(), nullptr, 0, 0, kPageWidth, kPageHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

INT_PTR TFConfig::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InitPage();
        return FALSE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void TFConfig::InitPage() {
    HWND page = Window();
    NameControls(page, kControls);
    TranslateControls(page, kTranslated,
                      [this](const std::wstring& key) { return plugin_.Text(key); });
    ::EnableWindow(::GetDlgItem(page, IDC_ADD_SCH), SchedulerModule() != nullptr);
    FillHostList();
    ShowRecord();
}

void TFConfig::FillHostList() {
    HWND box = ::GetDlgItem(Window(), IDC_HOST_LIST);
    const std::wstring text = WindowText(box);
    ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& line : hostList_)
        ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    ::SetWindowTextW(box, text.c_str()); // the list is not the server
}

void TFConfig::ShowRecord() {
    HWND page = Window();
    ::CheckDlgButton(page, IDC_CHECK_NEXT, record_.EnableNextSynch ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemTextW(page, IDC_HOST_LIST, record_.HostSynch.c_str());
    ::SetDlgItemTextW(page, IDC_STATUS, record_.StatusSynch.c_str());
    ::SetDlgItemTextW(page, IDC_TIMEOUT, std::to_wstring(record_.ReceiveTimeOutSynch).c_str());
}

void TFConfig::OnCommand(int id, int code) {
    HWND page = Window();
    switch (id) {
    case IDC_HOST_LIST:
        if (code == CBN_EDITCHANGE) {
            record_.HostSynch = WindowText(::GetDlgItem(page, IDC_HOST_LIST));
        } else if (code == CBN_SELCHANGE) {
            HWND box = ::GetDlgItem(page, IDC_HOST_LIST);
            const LRESULT index = ::SendMessageW(box, CB_GETCURSEL, 0, 0);
            if (index >= 0 && static_cast<size_t>(index) < hostList_.size())
                record_.HostSynch = hostList_[static_cast<size_t>(index)];
        }
        break;
    case IDC_CHECK_NEXT:
        record_.EnableNextSynch = ::IsDlgButtonChecked(page, id) == BST_CHECKED;
        break;
    case IDC_SYNCH:
        SynchronizeNow();
        break;
    case IDC_ADD_SCH:
        AddSchedulerTask();
        break;
    case IDC_DEF: {
        const std::wstring status = record_.StatusSynch;
        record_ = plugin_.DefaultRecord();
        record_.StatusSynch = status;
        ShowRecord();
        break;
    }
    case IDC_ADV:
        ShowEditPanel(true);
        break;
    case IDC_OK_HL:
        AcceptEditPanel();
        break;
    default:
        break;
    }
}

void TFConfig::SynchronizeNow() {
    plugin_.RunSynchronize(record_);
    if (Window())
        ::SetDlgItemTextW(Window(), IDC_STATUS, record_.StatusSynch.c_str());
    SaveSyncResults(plugin_.Platform().keyPath, record_);
}

void TFConfig::Save() {
    SaveSynchronizator(plugin_.Platform().keyPath, record_);
    WriteHostList(plugin_.HostListPath(), hostList_);
}

void TFConfig::Restore() {
    if (std::optional<std::vector<std::wstring>> list = ReadHostList(plugin_.HostListPath()))
        hostList_ = std::move(*list);
    record_ = plugin_.LoadRecord();
    if (Window()) {
        FillHostList();
        ShowRecord();
    }
}

void TFConfig::ShowEditPanel(bool show) {
    HWND page = Window();
    if (show)
        ::SetDlgItemTextW(page, IDC_HL, JoinHostList(hostList_).c_str());
    for (const int id : kMainControls)
        ::ShowWindow(::GetDlgItem(page, id), show ? SW_HIDE : SW_SHOW);
    for (const int id : kPanelControls)
        ::ShowWindow(::GetDlgItem(page, id), show ? SW_SHOW : SW_HIDE);
    if (show)
        ::SetFocus(::GetDlgItem(page, IDC_HL));
}

void TFConfig::AcceptEditPanel() {
    HWND page = Window();
    hostList_ = SplitHostList(WindowText(::GetDlgItem(page, IDC_HL)));
    FillHostList();
    if (const auto timeout = ParseTimeout(WindowText(::GetDlgItem(page, IDC_TIMEOUT))))
        record_.ReceiveTimeOutSynch = *timeout;
    ::SetDlgItemTextW(page, IDC_TIMEOUT, std::to_wstring(record_.ReceiveTimeOutSynch).c_str());
    ShowEditPanel(false);
}

void TFConfig::AddSchedulerTask() {
    const HMODULE scheduler = SchedulerModule();
    if (!scheduler)
        return;
    const auto show = reinterpret_cast<SchedShowNewTaskFn>(
        reinterpret_cast<void*>(::GetProcAddress(scheduler, kSchedulerExport)));
    if (show)
        show(kSynchronizeCommand);
}

} // namespace zt

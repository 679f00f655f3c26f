#include "updater/frm_update.h"

#include <commctrl.h>
#include <shellapi.h>

#include <climits>

#include "updater/download_name.h"
#include "updater/resource.h"
#include "common/eight_bit_text.h"
#include "updater/uplift_text.h"
#include "updater/win_support.h"

namespace zt::uplift {

namespace {

// Layout in pixels at 96 DPI: a row of buttons, the status line and the progress bar
// fill the compact height; the list view takes the rest of the window.
constexpr int kMargin = 6;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kStatusTop = 35;
constexpr int kLineHeight = 16;
constexpr int kBarTop = 53;
constexpr int kListTop = 75;
constexpr int kListedWindowHeight = 200;

void DefaultShellOpen(HWND owner, const std::wstring& target) {
    ::ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

SYSTEMTIME LocalNow() {
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    return time;
}

bool IsChecked(HWND listView, int row) {
    const auto state = static_cast<UINT>(
        ::SendMessageW(listView, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void SetChecked(HWND listView, int row, bool checked) {
    ListView_SetCheckState(listView, row, checked ? TRUE : FALSE);
}

std::wstring FileNameProblemText(const std::wstring& name, const FileNameCheck& check) {
    UINT reason = 0;
    switch (check.problem) {
    case FileNameProblem::None:
        return {};
    case FileNameProblem::Missing:
        return Text(IDS_NAME_MISSING);
    case FileNameProblem::NotAName:
        reason = IDS_NAME_NOT_A_NAME;
        break;
    case FileNameProblem::ControlCharacter:
        reason = IDS_NAME_CONTROL;
        break;
    case FileNameProblem::ForbiddenCharacter:
        reason = IDS_NAME_FORBIDDEN;
        break;
    case FileNameProblem::ReservedDevice:
        reason = IDS_NAME_DEVICE;
        break;
    case FileNameProblem::TrailingDotOrBlank:
        reason = IDS_NAME_TRAILING;
        break;
    case FileNameProblem::TooLong:
        reason = IDS_NAME_TOO_LONG;
        break;
    }
    const std::wstring character(1, check.character);
    return Text(IDS_NAME_BAD, {name, Text(reason, {character})});
}

// The window's captions in the chosen language.
void TranslateCaptions(HWND window) {
    ::SetWindowTextW(window, Text(IDS_TITLE).c_str());
    const std::pair<int, UINT> captions[] = {{IDC_BTN_CHECK, IDS_CAPTION_CHECK},
                                             {IDC_BTN_CANCEL, IDS_CAPTION_CANCEL},
                                             {IDC_BTN_LOAD, IDS_CAPTION_LOAD},
                                             {IDC_BTN_OPEN_DIR, IDS_CAPTION_OPEN_DIR}};
    for (const auto& [control, text] : captions)
        ::SetDlgItemTextW(window, control, Text(text).c_str());
}

} // namespace

TfrmUpdate::TfrmUpdate(UpdateFormOptions options) : options_(std::move(options)) {
    if (!options_.shellOpen)
        options_.shellOpen = &DefaultShellOpen;
    if (!options_.now)
        options_.now = &LocalNow;
}

TfrmUpdate::~TfrmUpdate() {
    DestroyWindowNow();
}

bool TfrmUpdate::Create(int showCommand) {
    if (!CreateModeless(options_.instance, IDD_FRM_UPDATE, nullptr))
        return false;
    ::ShowWindow(Window(), showCommand);
    return true;
}

void TfrmUpdate::OnFinalMessage() {
    if (options_.onDestroyed)
        options_.onDestroyed();
}

INT_PTR TfrmUpdate::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FormCreate();
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_BTN_CHECK:
            btnCheckClick();
            return TRUE;
        case IDC_BTN_LOAD:
            btnLoadClick();
            return TRUE;
        case IDC_BTN_CANCEL:
            btnCancelClick();
            return TRUE;
        case IDC_BTN_OPEN_DIR:
            btnOpenDirClick();
            return TRUE;
        case IDOK:
        case IDCANCEL:
            // Enter and Esc do not close the window.
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == LV && header->code == NM_DBLCLK) {
            LVDblClick(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
            return TRUE;
        }
        return FALSE;
    }
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_GETMINMAXINFO: {
        RECT outer{};
        RECT client{};
        ::GetWindowRect(Window(), &outer);
        ::GetClientRect(Window(), &client);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x =
            (outer.right - outer.left) - client.right + Scale(4 * kButtonWidth + 5 * kMargin);
        info->ptMinTrackSize.y =
            (outer.bottom - outer.top) - client.bottom + Scale(kCompactClientHeight);
        return TRUE;
    }
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(Window(), nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    case WM_CLOSE:
        ::DestroyWindow(Window());
        return TRUE;
    case WM_DESTROY:
        FormDestroy();
        return TRUE;
    }
    return FALSE;
}

void TfrmUpdate::FormCreate() {
    const HWND window = Window();
    btnCheck = ::GetDlgItem(window, IDC_BTN_CHECK);
    btnCancel = ::GetDlgItem(window, IDC_BTN_CANCEL);
    btnLoad = ::GetDlgItem(window, IDC_BTN_LOAD);
    btnOpenDir = ::GetDlgItem(window, IDC_BTN_OPEN_DIR);
    lblStatus = ::GetDlgItem(window, IDC_LBL_STATUS);
    PrBar = ::GetDlgItem(window, IDC_PR_BAR);
    LV = ::GetDlgItem(window, IDC_LV);

    THttpGrabber::Events events;
    events.onRequestSending = [this] {
        if (checking_)
            SetStatus(Text(IDS_STATUS_REQUESTING));
    };
    events.onRequestSent = [this] {
        if (checking_)
            SetStatus(Text(IDS_STATUS_REQUEST_DONE));
    };
    events.onProgress = [this](uint64_t received, uint64_t total) {
        HttpGrbProgress(received, total);
    };
    events.onDoneStream = [this](std::string data) { HttpGrbDoneStream(std::move(data)); };
    events.onDoneFile = [this](const std::wstring& fileName) { HttpGrbDoneFile(fileName); };
    events.onError = [this](const std::wstring& message) { HttpGrbError(message); };
    HttpGrb.SetEvents(std::move(events));

    TranslateCaptions(window);
    SetupListView();
    SetupHints();
    EnsureFolder(options_.downloadFolder);
    log_.Add(Text(IDS_LOG_START, {DateTimeText(options_.now())}));
    SetClientHeight(Scale(kCompactClientHeight));
    Layout();
}

void TfrmUpdate::FormDestroy() {
    HttpGrb.Stop();
    if (::IsWindow(tooltip_.get()))
        tooltip_.reset();
    else
        tooltip_.release();
    log_.Add(Text(IDS_LOG_END, {DateTimeText(options_.now())}));
    EnsureFolder(options_.downloadFolder);
    WriteWholeFile(options_.downloadFolder + L"\\update.log", log_.ToUtf8());
}

void TfrmUpdate::SetupListView() {
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    ListView_SetExtendedListViewStyleEx(LV, extended, extended);
    struct Column {
        UINT caption;
        int width;
    };
    const Column columns[] = {{IDS_COLUMN_NAME, 140},
                              {IDS_COLUMN_VERSION, 60},
                              {IDS_COLUMN_SIZE, 70},
                              {IDS_COLUMN_ADDRESS, 300}};
    int index = 0;
    for (const auto& column : columns) {
        std::wstring caption = Text(column.caption);
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        info.pszText = caption.data();
        info.cx = Scale(column.width);
        info.iSubItem = index;
        ListView_InsertColumn(LV, index, &info);
        ++index;
    }
}

void TfrmUpdate::SetupHints() {
    tooltip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                     WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(), nullptr,
                                     options_.instance, nullptr));
    if (!tooltip_)
        return;
    ::SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, Scale(320));
    for (const int id : {IDC_BTN_CHECK, IDC_BTN_CANCEL, IDC_BTN_LOAD, IDC_BTN_OPEN_DIR, IDC_LV}) {
        std::wstring hint = Text(static_cast<UINT>(id));
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Window();
        tool.uId = reinterpret_cast<UINT_PTR>(::GetDlgItem(Window(), id));
        tool.lpszText = hint.data();
        ::SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void TfrmUpdate::btnCheckClick() {
    ::EnableWindow(btnCheck, FALSE);
    // A download started during the check would drop it.
    ::EnableWindow(btnLoad, FALSE);
    checking_ = true;
    HttpGrb.SetMode(THttpGrabber::Mode::Stream);
    HttpGrb.SetUrl(options_.listAddress);
    currentAddress_ = options_.listAddress;
    SetStatus(Text(IDS_STATUS_CHECKING));
    HttpGrb.Start();
}

void TfrmUpdate::HttpGrbProgress(uint64_t received, uint64_t total) {
    barDivisor_ = total / INT_MAX + 1;
    ::SendMessageW(PrBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total / barDivisor_));
    ::SendMessageW(PrBar, PBM_SETPOS, static_cast<WPARAM>(received / barDivisor_), 0);
}

void TfrmUpdate::HttpGrbDoneStream(std::string data) {
    checking_ = false;
    ::EnableWindow(btnCheck, TRUE);
    ::EnableWindow(btnLoad, TRUE);
    SetStatus(Text(IDS_STATUS_UPDATES));
    // Two sizes in a row make the list view lay itself out.
    SetWindowHeight(Scale(kListedWindowHeight));
    SetWindowHeight(Scale(kListedWindowHeight + 3));
    ResetBar();
    list_ = SplitLines(DecodeEightBitText(data));
    log_.AddList(list_);
    FillListView();
}

void TfrmUpdate::FillListView() {
    items_.clear();
    for (const auto& line : list_)
        items_.push_back(ParseUpdateLine(line));
    ListView_DeleteAllItems(LV);
    for (size_t i = 0; i < items_.size(); ++i) {
        auto& item = items_[i];
        LVITEMW row{};
        row.mask = LVIF_TEXT;
        row.iItem = static_cast<int>(i);
        row.pszText = item.name.data();
        const int index = ListView_InsertItem(LV, &row);
        if (index < 0)
            continue;
        ListView_SetItemText(LV, index, 1, item.version.data());
        ListView_SetItemText(LV, index, 2, item.size.data());
        ListView_SetItemText(LV, index, 3, item.address.data());
        SetChecked(LV, index, false);
    }
}

void TfrmUpdate::btnLoadClick() {
    checking_ = false;
    HttpGrb.SetMode(THttpGrabber::Mode::File);
    ::EnableWindow(btnLoad, FALSE);
    ::EnableWindow(btnCheck, FALSE);
    ::EnableWindow(LV, FALSE);
    EnsureFolder(options_.downloadFolder);
    DownloadStep();
}

void TfrmUpdate::HttpGrbDoneFile(const std::wstring& fileName) {
    log_.Add(Text(IDS_LOG_DOWNLOAD_DONE, {fileName, TimeText()}));
    DownloadStep();
}

void TfrmUpdate::DownloadStep() {
    const int count = ListView_GetItemCount(LV);
    for (int row = 0; row < count; ++row) {
        if (!IsChecked(LV, row))
            continue;
        SetChecked(LV, row, false);
        const std::wstring address =
            static_cast<size_t>(row) < items_.size() ? items_[row].address : std::wstring();
        currentAddress_ = address;
        const std::wstring name = FileNameFromAddress(address);
        // Only a plain file name inside the download folder is ever written.
        const FileNameCheck check = CheckFileName(name);
        if (!check.Ok()) {
            HttpGrb.Stop();
            HttpGrbError(FileNameProblemText(name, check));
            return;
        }
        HttpGrb.SetFileName(options_.downloadFolder + L"\\" + name);
        SetStatus(Text(IDS_STATUS_DOWNLOADING, {name}));
        log_.Add(Text(IDS_LOG_DOWNLOAD_START, {address, TimeText()}));
        HttpGrb.Stop();
        HttpGrb.SetUrl(address);
        HttpGrb.Start();
        return;
    }
    SetStatus(Text(IDS_STATUS_DOWNLOADS_DONE));
    SetControlsEnabled(true);
    ResetBar();
}

void TfrmUpdate::btnCancelClick() {
    HttpGrb.Stop();
    checking_ = false;
    SetStatus(Text(IDS_STATUS_CANCELLED));
    log_.Add(Text(IDS_LOG_CANCEL, {TimeText()}));
    SetControlsEnabled(true);
}

void TfrmUpdate::HttpGrbError(const std::wstring& message) {
    checking_ = false;
    SetStatus(Text(IDS_STATUS_ERROR, {message}));
    log_.Add(Text(IDS_LOG_ERROR, {message, currentAddress_, TimeText()}));
    SetControlsEnabled(true);
    ResetBar();
}

void TfrmUpdate::LVDblClick(int row) {
    if (row < 0 || static_cast<size_t>(row) >= items_.size())
        return;
    const std::wstring& address = items_[row].address;
    // The list comes from the network: only web addresses go to the shell, never a
    // local program or document.
    if (!IsWebAddress(address)) {
        SetStatus(Text(IDS_STATUS_NOT_WEB, {address}));
        return;
    }
    options_.shellOpen(Window(), address);
}

void TfrmUpdate::btnOpenDirClick() {
    EnsureFolder(options_.downloadFolder);
    options_.shellOpen(Window(), options_.downloadFolder);
}

void TfrmUpdate::SetStatus(const std::wstring& text) {
    ::SetWindowTextW(lblStatus, text.c_str());
}

void TfrmUpdate::SetControlsEnabled(bool enabled) {
    ::EnableWindow(LV, enabled);
    ::EnableWindow(btnCheck, enabled);
    ::EnableWindow(btnLoad, enabled);
}

void TfrmUpdate::ResetBar() {
    ::SendMessageW(PrBar, PBM_SETPOS, 0, 0);
}

void TfrmUpdate::SetWindowHeight(int height) {
    RECT outer{};
    ::GetWindowRect(Window(), &outer);
    ::SetWindowPos(Window(), nullptr, 0, 0, outer.right - outer.left, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmUpdate::SetClientHeight(int height) {
    RECT outer{};
    RECT client{};
    ::GetWindowRect(Window(), &outer);
    ::GetClientRect(Window(), &client);
    SetWindowHeight((outer.bottom - outer.top) - client.bottom + height);
}

void TfrmUpdate::Layout() {
    if (!LV)
        return;
    RECT client{};
    ::GetClientRect(Window(), &client);
    const int margin = Scale(kMargin);
    const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
    int x = margin;
    for (const HWND button : {btnCheck, btnCancel, btnLoad, btnOpenDir}) {
        ::MoveWindow(button, x, margin, Scale(kButtonWidth), Scale(kButtonHeight), TRUE);
        x += Scale(kButtonWidth) + margin;
    }
    ::MoveWindow(lblStatus, margin, Scale(kStatusTop), width, Scale(kLineHeight), TRUE);
    ::MoveWindow(PrBar, margin, Scale(kBarTop), width, Scale(kLineHeight), TRUE);
    const int listTop = Scale(kListTop);
    ::MoveWindow(LV, margin, listTop, width,
                 std::max(0, static_cast<int>(client.bottom) - listTop - margin), TRUE);
}

int TfrmUpdate::Scale(int pixels) const {
    const UINT dpi = Window() ? ::GetDpiForWindow(Window()) : 96;
    return ::MulDiv(pixels, dpi ? static_cast<int>(dpi) : 96, 96);
}

std::wstring TfrmUpdate::TimeText() const {
    return ShortTimeText(options_.now());
}

} // namespace zt::uplift

#include "options/setup_form.h"

#include <cwchar>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "common/component_name.h"
#include "common/diag_log.h"
#include "common/message_box.h"
#include "common/module_window_class.h"
#include "common/window_text.h"
#include "options/export_settings.h"
#include "options/page_texts.h"
#include "options/pages.h"
#include "options/setup_form_resource.h"

namespace zt::options {

// A plain container: the page area pnlM and the panel of each plug-in page.
class TztPagePanel final : public WindowImpl<TztPagePanel> {
public:
    bool Create(HWND parent, const RECT& rect, bool visible, int id) noexcept {
        return CreateWindowOf(WS_EX_CONTROLPARENT, L"",
                              WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                                  (visible ? WS_VISIBLE : 0),
                              rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    }

private:
    friend class WindowImpl<TztPagePanel>;
    static ModuleWindowClass::Fields WindowClass() {
        return {L"TztSetupPanel", nullptr, 0, 0, IDC_ARROW};
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_ERASEBKGND) {
            RECT client{};
            ::GetClientRect(Window(), &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        return DefaultHandling(message, wParam, lParam);
    }
};

namespace {

// A page that is not there: keeps its node and an empty panel.
class TztEmptyPage final : public TztSetupPage, public DialogImpl<TztEmptyPage> {
public:
    explicit TztEmptyPage(const wchar_t* name) : name_(name) {}
    const wchar_t* Name() const override { return name_; }
    bool Create(HWND parent) override {
        return CreateModeless(CurrentModule(), IDD_EMPTY_PAGE, parent);
    }
    HWND Panel() const override { return Window(); }

private:
    friend class DialogImpl<TztEmptyPage>;
    INT_PTR HandleMessage(UINT, WPARAM, LPARAM) { return FALSE; }
    const wchar_t* name_;
};

using PageFactory = std::unique_ptr<TztSetupPage> (*)(TztSetupHost&);

struct BuiltInPage {
    const wchar_t* name;
    const wchar_t* textKey; // the node's text
    PageFactory factory;
};

// The tree's fixed nodes, in order.
const BuiltInPage kBuiltInPages[] = {
    {L"Opt", L"SETUP=nMain", &CreatePageOpt},       {L"Time", L"SETUP=nTime", &CreatePageTime},
    {L"Alarm", L"SETUP=nAlarm", &CreatePageAlarm},  {L"Plg", L"SETUP=nPlugIns", &CreatePagePlugins},
    {L"Ctrl", L"SETUP=nOper", &CreatePageBindings}, {L"About", L"SETUP=nAbout", &CreatePageAbout},
};
constexpr wchar_t kPluginsNode[] = L"Plg";

const TztControlName kDialogControls[] = {
    {IDC_TVLEFT, L"TVLeft"}, {IDC_PAGE_AREA, L"pnlM"}, {IDC_CBLANG, L"cbLang"},
    {IDC_BTNEXP, L"btnExp"}, {IDOK, L"BtnOk"},         {IDCANCEL, L"BtnCancel"},
};

// Runs one step of a page; a page that fails is logged and the others go on.
void RunPageStep(TztSetupPage& page, void (TztSetupPage::*step)()) noexcept {
    try {
        (page.*step)();
    } catch (...) {
        DiagLogCaught(std::wstring(L"options page ") + page.Name());
    }
}

void SetItemText(HWND tree, HTREEITEM item, const std::wstring& text) {
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = const_cast<wchar_t*>(text.c_str());
    TreeView_SetItem(tree, &data);
}

// The height of a line of text in the window's font, with a margin.
int CaptionHeight(HWND window) {
    WindowDc dc(window);
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    ScopedSelect select(dc.get(),
                        font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    return metrics.tmHeight + metrics.tmExternalLeading + 8;
}

} // namespace

TfrmSetup::TfrmSetup() = default;

TfrmSetup::~TfrmSetup() {
    // WM_DESTROY still reaches this object: a dialog that is still open cancels.
    DestroyWindowNow();
}

bool TfrmSetup::Create() {
    try {
        if (!host_.Connect())
            return false;
        INITCOMMONCONTROLSEX controls{sizeof(controls),
                                      ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
        // Owned by the clock's application window, with a task-bar button of its own.
        const HWND owner = reinterpret_cast<HWND>(host_.Zentik()->GetValue(ztvAppHandle));
        if (!CreateModeless(CurrentModule(), IDD_SETUP, owner))
            throw std::runtime_error("the dialog template could not be created");
        CreatePages();
        FillLanguages();
        Translate();
        SelectNode(nodes_.front().item);
        host_.Zentik()->DoAction(ztaUnregisterHotKeys);
        hotKeysOff_ = true;
        for (const auto& page : pages_)
            page->Fill();
        open_ = true;
        host_.Broadcast(msgSetupCreated, reinterpret_cast<INT_PTR>(Window()));
        for (const PageNode& node : nodes_)
            TreeView_Expand(tree_, node.item, TVE_EXPAND);
        ShowAgain();
        return true;
    } catch (...) {
        DiagLogCaught(L"TfrmSetup::Create");
        if (!open_) {
            if (hotKeysOff_ && host_.Zentik())
                host_.Zentik()->DoAction(ztaRegisterHotKeys);
            hotKeysOff_ = false;
            closed_ = true;
        }
        DestroyWindowNow();
        host_.Disconnect();
        return false;
    }
}

void TfrmSetup::ShowAgain() {
    HWND window = Window();
    ::ShowWindow(window, ::IsIconic(window) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(window);
}

INT_PTR TfrmSetup::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitDialog();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            Ok();
            return TRUE;
        case IDCANCEL:
            Cancel();
            return TRUE;
        case IDC_BTNEXP:
            if (HIWORD(wParam) == BN_CLICKED)
                Export();
            return TRUE;
        default:
            return FALSE;
        }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        // A tree being destroyed changes its selection among pages already gone.
        if (header->hwndFrom != tree_ || destroying_)
            return FALSE;
        const auto* change = reinterpret_cast<const NMTREEVIEWW*>(lParam);
        if (header->code == TVN_SELCHANGEDW) {
            SelectionChanged(change->itemOld.hItem, change->itemNew.hItem);
            return TRUE;
        }
        if (header->code == TVN_ITEMEXPANDINGW && (change->action & TVE_COLLAPSE)) {
            // The tree always shows every node.
            ::SetWindowLongPtrW(Window(), DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    }
    case WM_CLOSE:
        Cancel();
        return TRUE;
    case WM_DESTROY:
        if (open_ && !closed_)
            Cancel();
        destroying_ = true;
        ::RemovePropW(Window(), kSetupTooltipProperty);
        return FALSE;
    default:
        return FALSE;
    }
}

void TfrmSetup::InitDialog() {
    HWND dialog = Window();
    tree_ = ::GetDlgItem(dialog, IDC_TVLEFT);
    languages_ = ::GetDlgItem(dialog, IDC_CBLANG);
    const HWND tooltip =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, CurrentModule(), nullptr);
    if (tooltip) {
        // Owned by the dialog, destroyed with it.
        ::SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
        ::SetPropW(dialog, kSetupTooltipProperty, tooltip);
    }

    // The page area replaces its place holder in the template, after the tree in tab order.
    RECT area{};
    if (HWND placeHolder = ::GetDlgItem(dialog, IDC_PAGE_AREA)) {
        ::GetWindowRect(placeHolder, &area);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
        ::DestroyWindow(placeHolder);
    }
    pageArea_ = std::make_unique<TztPagePanel>();
    if (!pageArea_->Create(dialog, area, true, IDC_PAGE_AREA))
        throw std::runtime_error("the page area could not be created");
    ::SetWindowPos(pageArea_->Window(), tree_, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    NameControls(dialog, kDialogControls);
}

HTREEITEM TfrmSetup::InsertNode(const std::wstring& text, HTREEITEM parent) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    return TreeView_InsertItem(tree_, &insert);
}

void TfrmSetup::CreatePages() {
    if (!pageArea_ || !pageArea_->Window())
        throw std::runtime_error("the dialog has no page area");
    HWND area = pageArea_->Window();
    RECT client{};
    ::GetClientRect(area, &client);
    for (const BuiltInPage& builtIn : kBuiltInPages) {
        std::unique_ptr<TztSetupPage> page = builtIn.factory(host_);
        if (!page || !page->Create(area)) {
            page = std::make_unique<TztEmptyPage>(builtIn.name);
            if (!page->Create(area))
                throw std::runtime_error("a page could not be created");
        }
        ::SetWindowPos(page->Panel(), nullptr, 0, 0, client.right, client.bottom,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        PageNode node;
        node.item = InsertNode(builtIn.name, TVI_ROOT);
        if (!node.item)
            throw std::runtime_error("a tree node could not be added");
        node.panel = page->Panel();
        node.name = builtIn.name;
        node.page = page.get();
        pages_.push_back(std::move(page));
        nodes_.push_back(std::move(node));
    }
}

void TfrmSetup::FillLanguages() {
    IztLanguageMan* language = host_.Language();
    if (!language)
        return;
    languageList_ = ztTakeBstr(language->GetLanguageList(L"Zentik"));
    const std::wstring current = ztTakeBstr(language->GetLanguage());
    size_t start = 0;
    while (start < languageList_.size()) {
        size_t end = languageList_.find(L';', start);
        if (end == std::wstring::npos)
            end = languageList_.size();
        const std::wstring item = languageList_.substr(start, end - start);
        start = end + 1;
        const size_t equals = item.find(L'=');
        if (equals == std::wstring::npos)
            continue;
        const std::wstring name = item.substr(0, equals);
        const LRESULT index =
            ::SendMessageW(languages_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        if (index >= 0 && ::_wcsicmp(item.c_str() + equals + 1, current.c_str()) == 0)
            ::SendMessageW(languages_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void TfrmSetup::Translate() {
    const std::wstring caption = host_.Text(L"SETUP=Caption");
    if (!caption.empty())
        ::SetWindowTextW(Window(), caption.c_str());
    for (size_t i = 0; i < std::size(kBuiltInPages) && i < nodes_.size(); ++i) {
        const std::wstring text = host_.Text(kBuiltInPages[i].textKey);
        if (!text.empty())
            SetItemText(tree_, nodes_[i].item, text);
    }
    TranslateControls(Window(), host_, kDialogControls);
    for (const auto& [id, key] : {std::pair{IDOK, L"Ok"}, std::pair{IDCANCEL, L"Cancel"}}) {
        const std::wstring text = host_.Text(key);
        if (!text.empty())
            ::SetDlgItemTextW(Window(), id, text.c_str());
    }
    for (const auto& page : pages_)
        RunPageStep(*page, &TztSetupPage::Translate);
}

TfrmSetup::PageNode* TfrmSetup::Find(HTREEITEM item) {
    if (!item)
        return nullptr;
    for (PageNode& node : nodes_) {
        if (node.item == item)
            return &node;
    }
    return nullptr;
}

TztSetupPage* TfrmSetup::Page(const wchar_t* name) const {
    for (const PageNode& node : nodes_) {
        if (node.page && node.name == name)
            return node.page;
    }
    return nullptr;
}

HTREEITEM TfrmSetup::Node(const wchar_t* name) const {
    if (!name)
        return nullptr;
    for (const PageNode& node : nodes_) {
        if (node.name == name)
            return node.item;
    }
    return nullptr;
}

void TfrmSetup::SelectNode(HTREEITEM node) {
    if (tree_)
        TreeView_SelectItem(tree_, node);
}

void TfrmSetup::SelectionChanged(HTREEITEM from, HTREEITEM to) {
    if (PageNode* old = Find(from)) {
        ::ShowWindow(old->panel, SW_HIDE);
        if (old->page)
            RunPageStep(*old->page, &TztSetupPage::Hidden);
    }
    if (PageNode* now = Find(to)) {
        ::ShowWindow(now->panel, SW_SHOW);
        if (now->page)
            RunPageStep(*now->page, &TztSetupPage::Shown);
    }
}

bool TfrmSetup::AddPluginPage(const wchar_t* caption, const wchar_t* name, HTREEITEM* node,
                              HWND page) {
    if (!open_ || closed_ || !name || !*name || !node || !::IsWindow(page))
        return false;
    const HTREEITEM plugins = Node(kPluginsNode);
    if (!plugins)
        return false;
    RECT area{};
    ::GetClientRect(pageArea_->Window(), &area);
    auto panel = std::make_unique<TztPagePanel>();
    if (!panel->Create(pageArea_->Window(), area, false, 0))
        return false;
    ::SetWindowPos(panel->Window(), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const int top = CaptionHeight(Window());
    HWND label = ::CreateWindowExW(
        0, L"STATIC", caption ? caption : L"", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 0,
        4, area.right, top - 4, panel->Window(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PLUGIN_CAPTION)), CurrentModule(),
        nullptr);
    if (!label)
        return false;
    ::SendMessageW(label, WM_SETFONT, ::SendMessageW(Window(), WM_GETFONT, 0, 0), FALSE);
    const HTREEITEM item = InsertNode(name, plugins);
    if (!item)
        return false;
    try {
        PageNode entry;
        entry.item = item;
        entry.panel = panel->Window();
        entry.name = name;
        nodes_.push_back(std::move(entry));
    } catch (...) {
        TreeView_DeleteItem(tree_, item);
        throw;
    }
    nodes_.back().pluginPanel = std::move(panel);
    // A child window now: only the child styles, and tabbing reaches its controls.
    ::SetWindowLongPtrW(page, GWL_STYLE, WS_CHILD | WS_VISIBLE);
    ::SetWindowLongPtrW(page, GWL_EXSTYLE, WS_EX_CONTROLPARENT);
    ::SetParent(page, nodes_.back().panel);
    ::SetWindowPos(page, nullptr, 0, top, area.right, area.bottom - top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    TreeView_Expand(tree_, plugins, TVE_EXPAND);
    *node = item;
    return true;
}

void TfrmSetup::RemovePluginPage(const std::wstring& name) {
    for (auto entry = nodes_.begin(); entry != nodes_.end(); ++entry) {
        if (entry->page || entry->name != name)
            continue;
        if (TreeView_GetSelection(tree_) == entry->item)
            SelectNode(Node(kPluginsNode));
        TreeView_DeleteItem(tree_, entry->item);
        nodes_.erase(entry); // destroys the panel with the page in it
        return;
    }
}

void TfrmSetup::Ok() {
    if (closed_)
        return;
    closed_ = true;
    ::ShowWindow(Window(), SW_HIDE);
    if (PageNode* shown = Find(TreeView_GetSelection(tree_)); shown && shown->page)
        RunPageStep(*shown->page, &TztSetupPage::Hidden);
    for (const auto& page : pages_)
        RunPageStep(*page, &TztSetupPage::Ok);
    if (IZentik* zentik = host_.Zentik())
        zentik->DoAction(ztaSaveSettings);
    AskRestartOnLanguageChange();
    host_.Broadcast(msgSetupClosed, 1);
    Finish();
}

void TfrmSetup::AskRestartOnLanguageChange() {
    IztLanguageMan* language = host_.Language();
    const LRESULT chosen = ::SendMessageW(languages_, CB_GETCURSEL, 0, 0);
    if (!language || chosen < 0)
        return;
    const LRESULT length = ::SendMessageW(languages_, CB_GETLBTEXTLEN, chosen, 0);
    if (length <= 0)
        return;
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(languages_, CB_GETLBTEXT, chosen, reinterpret_cast<LPARAM>(name.data()));
    name.resize(static_cast<size_t>(length));
    const std::wstring code = host_.Param(name.c_str(), languageList_);
    const std::wstring current = ztTakeBstr(language->GetLanguage());
    if (code.empty() || ::_wcsicmp(code.c_str(), current.c_str()) == 0)
        return;
    language->SetLanguage(code.c_str());
    const std::wstring question = host_.Text(L"Error=NeedRestart");
    if (ShowMessageBox(Window(), question.c_str(), L"Zentik", MB_YESNO | MB_ICONQUESTION) ==
        IDYES) {
        if (IZentik* zentik = host_.Zentik())
            zentik->DoAction(ztaRestart);
    }
}

void TfrmSetup::Cancel() {
    if (closed_)
        return;
    closed_ = true;
    ::ShowWindow(Window(), SW_HIDE);
    if (PageNode* shown = Find(TreeView_GetSelection(tree_)); shown && shown->page)
        RunPageStep(*shown->page, &TztSetupPage::Hidden);
    // The general options first, then the alarm, then the rest.
    TztSetupPage* first = Page(L"Opt");
    TztSetupPage* second = Page(L"Alarm");
    for (TztSetupPage* page : {first, second}) {
        if (page)
            RunPageStep(*page, &TztSetupPage::Cancel);
    }
    for (const auto& page : pages_) {
        if (page.get() != first && page.get() != second)
            RunPageStep(*page, &TztSetupPage::Cancel);
    }
    host_.PanelResized();
    host_.Broadcast(msgSetupClosed, 0);
    Finish();
}

void TfrmSetup::Finish() {
    HWND clock = nullptr;
    if (IZentik* zentik = host_.Zentik()) {
        if (hotKeysOff_)
            zentik->DoAction(ztaRegisterHotKeys);
        clock = zentik->GetHandle();
    }
    hotKeysOff_ = false;
    host_.Disconnect();
    // The clock frees this library a little later, outside its code.
    if (clock)
        ::PostMessageW(clock, ::RegisterWindowMessageW(L"ZentikCloseSetupDLL"), 0, 0);
}

void TfrmSetup::Export() {
    if (!closed_)
        ExportSettings(Window(), host_);
}

} // namespace zt::options

#include "host/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "common/bstr.h"
#include "common/message_box.h"
#include "common/program_folder.h"
#include "host/resource.h"
#include "host/screen_edges.h"
#include "host/startup.h"

namespace zt {

namespace {

// The design of the clock face.
constexpr wchar_t kDesignCaption[] = L"00:00";
constexpr wchar_t kDesignFormat[] = L"hh:mm:ss";
constexpr uint16_t kDesignThickness = 3;
constexpr uint16_t kDesignHorzsize = 10;
constexpr uint16_t kDesignVertsize = 7;
constexpr WORD kDesignBorderWidth = 2;
constexpr int kDesignClientWidth = 129;
constexpr int kDesignClientHeight = 39;
constexpr wchar_t kHintFormat[] = L"d mmm yyyy. hh:mm";
constexpr wchar_t kHelpFile[] = L"help_zentik.chm";
constexpr wchar_t kLanguageModule[] = L"Zentik";

// Private messages of the window.
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kRunOnGuiThread = WM_APP + 2; // wParam: one of the GuiWork values

enum GuiWork : WPARAM { kWorkShowHide = 1, kWorkClose = 2, kWorkOptions = 3 };

// Menu items in menu order; the ids double as indexes into the menu texts.
enum MenuItem : UINT {
    kMenuAlwaysOnTop = 1,
    kMenuHideItem,
    kMenuLockItem,
    kMenuPluginsItems,
    kMenuConfigItems,
    kMenuAlarmClockItem,
    kMenuHelpItem,
    kMenuClockDown,
    kMenuCloseClock,
    kMenuAboutItem,
};
// Ids of the items the host adds for announced commands; plug-ins' own items use
// ZT_PLUGIN_MENU_FIRST_ID and above.
constexpr UINT kFirstPluginItem = 1000;
constexpr UINT kPluginItemCount = ZT_PLUGIN_MENU_FIRST_ID - kFirstPluginItem;
constexpr const wchar_t* kMenuNames[] = {
    L"AlwaysOnTop",    L"HideItem", L"LockItem",  L"PluginsItems", L"ConfigItems",
    L"AlarmClockItem", L"HelpItem", L"ClockDown", L"CloseClock",   L"AboutItem"};

TfrmClock* g_clockWindow = nullptr;

// The host's current-time function handed out with msgTimeChanged.
double __stdcall CurrentTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return EncodeDateTime({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                           now.wMilliseconds, now.wDayOfWeek});
}

// Built-in command routines: the window work always happens on the GUI thread.
void RunOnGuiThread(GuiWork work) {
    TfrmClock* clock = g_clockWindow;
    if (!clock || !clock->Handle())
        return;
    if (::GetWindowThreadProcessId(clock->Handle(), nullptr) == ::GetCurrentThreadId())
        ::SendMessageW(clock->Handle(), kRunOnGuiThread, work, 0);
    else
        ::PostMessageW(clock->Handle(), kRunOnGuiThread, work, 0);
}
void STDMETHODCALLTYPE ShowHideClockCommand(IUnknown*) {
    RunOnGuiThread(kWorkShowHide);
}
void STDMETHODCALLTYPE CloseZentikCommand(IUnknown*) {
    RunOnGuiThread(kWorkClose);
}
void STDMETHODCALLTYPE ShowOptionsCommand(IUnknown*) {
    RunOnGuiThread(kWorkOptions);
}

ATOM RegisterClockClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszClassName = kClockWindowClass;
    const ATOM atom = ::RegisterClassExW(&wc);
    return atom ? atom : static_cast<ATOM>(::GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
}

ModifierKeys KeysDownNow() {
    ModifierKeys keys;
    keys.shift = ::GetKeyState(VK_SHIFT) < 0;
    keys.ctrl = ::GetKeyState(VK_CONTROL) < 0;
    keys.alt = ::GetKeyState(VK_MENU) < 0;
    keys.win = ::GetKeyState(VK_LWIN) < 0 || ::GetKeyState(VK_RWIN) < 0;
    return keys;
}

ClickButton ToClickButton(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return ClickButton::Left;
    case MouseButton::Right:
        return ClickButton::Right;
    case MouseButton::Middle:
        return ClickButton::Middle;
    }
    return ClickButton::Other;
}

} // namespace

TfrmClock* ClockWindow() {
    return g_clockWindow;
}

TfrmClock::TfrmClock(HINSTANCE instance, const FormatSettings& locale, IztLanguageMan* language,
                     SettingsLocation settings)
    : instance_(instance), locale_(locale), language_(language), settings_(std::move(settings)) {}

TfrmClock::~TfrmClock() {
    CloseOptions();
    // Plug-ins go first: they hold the engine, the panel and the command registry.
    plgMan_.ClosingBroadcast(msgClosing);
    plgMan_.UnloadAllPlugins();
    if (api_) {
        api_->Release();
        api_ = nullptr;
    }
    if (g_clockWindow == this)
        g_clockWindow = nullptr;
    hideWatcher_.reset();
    closeOptionsTimer_.reset();
    // The engine stops ticking before the panel it writes to goes away.
    engine_.reset();
    panel_.reset();
    hotKeys_.reset();
    hint_.reset();
    if (window_)
        ::DestroyWindow(window_);
}

bool TfrmClock::Create() {
    if (!RegisterClockClass(instance_, &TfrmClock::WindowProc))
        return false;
    const HWND window = ::CreateWindowExW(0, kClockWindowClass, kClockWindowTitle, WS_POPUP, 0, 0,
                                          kDesignClientWidth, kDesignClientHeight, nullptr, nullptr,
                                          instance_, this);
    if (!window)
        return false;
    g_clockWindow = this;

    engine_ = CreateClockEngine(locale_);
    TCustomZentik& clock = engine_->Engine();
    clock.SetCustomFormat(kDesignFormat);
    clock.SetUseCustomFormat(false);
    clock.SetTact(250);
    CreateMainScreen();
    if (!panel_)
        return false;
    clock.OnTextChange = [this](TCustomZentik&, const std::wstring& text) {
        panel_->SetCaption(text);
    };
    clock.OnChangeSecond = [this](TCustomZentik&, DateTime& value, const TCustomZentikTime&) {
        if (!hideOnMouseOver_)
            SetPanelHint(FormatDateTime(kHintFormat, value, locale_));
        DateNotify(msgSecond, value);
    };
    clock.OnChangeMinute = [this](TCustomZentik&, DateTime& value, const TCustomZentikTime&) {
        tray_.SetHint(FormatDateTime(kHintFormat, value, locale_));
        DateNotify(msgMinute, value);
    };
    clock.OnChangeHour = [this](TCustomZentik&, DateTime& value, const TCustomZentikTime&) {
        DateNotify(msgHour, value);
    };
    clock.OnChangeDay = [this](TCustomZentik&, DateTime& value, const TCustomZentikTime&) {
        DateNotify(msgDay, value);
    };
    clock.OnChangeMonth = [this](TCustomZentik&, DateTime& value, const TCustomZentikTime&) {
        DateNotify(msgMonth, value);
    };
    clock.OnChangeYear = [this](TCustomZentik&, DateTime& value, const TCustomZentikTime&) {
        DateNotify(msgYear, value);
    };
    clock.OnChange = [this](TCustomZentik&, DateTime& value, const TCustomZentikTime&) {
        DateNotify(msgClockChanged, value);
    };
    clock.OnAlarm = [this](TCustomZentik&) { ExecCommand(alarmCommand_); };

    tray_.Attach(window_, kTrayMessage,
                 static_cast<HICON>(::LoadImageW(instance_, L"TRAY", IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0)));
    hotKeys_ = std::make_unique<TztGlbHotKeyMan>(window_);
    clock.Refresh();
    CreatePanelHint();
    tray_.SetHint(FormatDateTime(kHintFormat, clock.GetTime(), locale_));
    SetPanelHint(FormatDateTime(kHintFormat, clock.GetTime(), locale_));
    pluginsMenu_.reset(::CreatePopupMenu());
    if (pluginsMenu_)
        ::SetPropW(window_, ZT_PLUGINS_ITEMS, pluginsMenu_.get());
    plgMan_.SetExtension(L"pzt");
    plgMan_.SetPluginFolder(L"Plugins");
    plgMan_.OnNewCommand = [this](const std::wstring& caption, const std::wstring& hint,
                                  const std::wstring& data,
                                  ZT_CMND_PROC proc) { PlgManNewCmnd(caption, hint, data, proc); };
    plgMan_.OnDelCommand = [this](const std::wstring& data) { PlgManDelCmnd(data); };
    CenterOnDesktop();
    ApplyLayered();
    RestoreSettings();
    IUnknown* api = nullptr;
    InitAPI(&api, static_cast<IZentik*>(this));
    if (api) {
        api->QueryInterface(IID_IZentikAPI, reinterpret_cast<void**>(&api_));
        api->Release();
    }
    RegisterBuiltInCommands();
    return true;
}

void TfrmClock::CreateMainScreen() {
    panel_ = TztLCDPanel::Create(window_, 0, 0);
    if (!panel_)
        return;
    TztLCDPanel& panel = *panel_;
    panel.BeginLoading();
    TztLED& led = panel.GetLED();
    led.SetThickness(kDesignThickness);
    led.SetHorzsize(kDesignHorzsize);
    led.SetVertsize(kDesignVertsize);
    led.SetActiveColor(kClBtnHighlight);
    led.SetInActiveColor(kClBtnShadow);
    panel.SetColor(kClWindowFrame);
    panel.SetBorderColor(kClBtnFace);
    panel.SetBorderWidth(kDesignBorderWidth);
    panel.SetAutoSize(TRUE);
    panel.SetCaption(kDesignCaption);
    panel.SetCursor(::LoadCursorW(nullptr, IDC_SIZEALL));
    panel.OnResize = [this](TztLCDPanel& sender) {
        FitToPanel();
        Notify(msgPanelResized, reinterpret_cast<INT_PTR>(sender.Unknown()));
    };
    panel.OnMouseDown = [this](TztLCDPanel&, MouseButton button, unsigned, int x, int y) {
        MouseDown(ToClickButton(button), x, y);
    };
    panel.OnMouseMove = [this](TztLCDPanel&, unsigned, int x, int y) { MouseMove(x, y); };
    panel.OnMouseUp = [this](TztLCDPanel&, MouseButton button, unsigned, int, int) {
        MouseUp(ToClickButton(button), false);
    };
    panel.EndLoading();
    FitToPanel();
}

void TfrmClock::RegisterBuiltInCommands() {
    IztCmnd* registry = commands_.Interface();
    registry->AddCommand(L"zt_ShowHideClock", &ShowHideClockCommand,
                         Text(L"CMND_DISCR=zt_ShowHideClock").c_str());
    registry->AddCommand(L"zt_CloseZentik", &CloseZentikCommand,
                         Text(L"CMND_DISCR=zt_CloseZentik").c_str());
    registry->AddCommand(L"zt_ShowZentikOptions", &ShowOptionsCommand,
                         Text(L"CMND_DISCR=zt_ShowZentikOptions").c_str());
}

// A tooltip over the clock face showing the date and time.
void TfrmClock::CreatePanelHint() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // Not owned by the clock: an owned topmost popup would keep the clock from changing
    // its own topmost state.
    hint_.reset(::CreateWindowExW(
        0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, nullptr));
    if (!hint_ || !panel_)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(panel_->Window());
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(hint_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TfrmClock::SetPanelHint(const std::wstring& text) {
    if (!hint_ || !panel_ || text == panelHint_)
        return;
    panelHint_ = text;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(panel_->Window());
    tool.lpszText = panelHint_.data();
    ::SendMessageW(hint_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The window is auto-sized: its client area is the panel. Glued edges are kept.
void TfrmClock::FitToPanel() {
    if (!panel_ || !window_)
        return;
    ::SetWindowPos(window_, nullptr, 0, 0, panel_->Width(), panel_->Height(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyEdges();
}

void TfrmClock::CenterOnDesktop() {
    const RECT area = WorkArea();
    RECT window{};
    ::GetWindowRect(window_, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    ::SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmClock::StartClock() {
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window_, GWL_EXSTYLE);
    ::SetWindowLongPtrW(window_, GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
    engine_->Engine().SetNormalTact();
    ComputeEdges();
    plgMan_.LoadPlugins();
    ApplyLanguage();
    ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    ::UpdateWindow(window_);
    if (api_) {
        RECT rect{};
        ::GetWindowRect(window_, &rect);
        api_->RollIn(window_, rect.right - rect.left, rect.bottom - rect.top);
    }
    OnShown();
    if (api_)
        api_->TrimWorkingSet();
}

void TfrmClock::ExecCommand(const std::wstring& line) {
    // The host API serves the first clock window of the process only.
    if (api_ && api_->GetZentik() == static_cast<IZentik*>(this)) {
        api_->ExecCommand(line.c_str());
        return;
    }
    const auto [name, param] = SplitCommandName(line);
    commands_.Interface()->Execute(name.c_str(), param.c_str());
}

void TfrmClock::Notify(int msg, INT_PTR param1) {
    plgMan_.Broadcast(msg, param1, 0);
}

void TfrmClock::DateNotify(int msg, DateTime& value) {
    plgMan_.Broadcast(msg, reinterpret_cast<INT_PTR>(&value), 0);
}

void TfrmClock::PlgManNewCmnd(const std::wstring& caption, const std::wstring& hint,
                              const std::wstring& data, ZT_CMND_PROC proc) {
    if (data.size() > 1 && data[1] == L'm' && pluginsMenu_ &&
        nextPluginItemId_ < kPluginItemCount) {
        const UINT id = kFirstPluginItem + nextPluginItemId_++;
        if (::AppendMenuW(pluginsMenu_.get(), MF_STRING, id, caption.c_str())) {
            pluginItems_.push_back({data + L"item", id, proc});
            pluginsItemsVisible_ = true;
        }
    }
    if (data.size() > 2 && data[2] == L'_')
        commands_.Interface()->AddCommand(data.c_str(), proc, hint.c_str());
}

void TfrmClock::PlgManDelCmnd(const std::wstring& data) {
    if (data.size() > 1 && data[1] == L'm') {
        const std::wstring name = data + L"item";
        std::erase_if(pluginItems_, [&](const PluginMenuItem& item) {
            if (item.name != name)
                return false;
            ::DeleteMenu(pluginsMenu_.get(), item.id, MF_BYCOMMAND);
            return true;
        });
    }
    if (data.size() > 2 && data[2] == L'_')
        commands_.Interface()->DeleteCommand(data.c_str());
}

std::wstring TfrmClock::Text(const std::wstring& key) const {
    if (api_ && api_->GetZentik() == static_cast<const IZentik*>(this))
        return TakeBstr(api_->GetLangText(kLanguageModule, key.c_str()));
    if (!language_)
        return {};
    std::wstring result;
    if (ZT_LANG_MODULE module = language_->OpenModule(kLanguageModule)) {
        result = TakeBstr(language_->Translate(module, key.c_str()));
        language_->CloseModule(module);
    }
    return result;
}

// ---- Mouse ----

void TfrmClock::MouseDown(ClickButton button, int x, int y) {
    if (button != ClickButton::Left || locked_)
        return;
    dragging_ = true;
    dragOrigin_ = {x, y};
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    positionSum_ = rect.left + rect.top;
    ::SetCapture(panel_ ? panel_->Window() : window_);
}

void TfrmClock::MouseMove(int x, int y) {
    if (hideOnMouseOver_ && ::IsWindowVisible(window_) && !dragging_) {
        ::ShowWindow(window_, SW_HIDE);
        OnHidden();
        StartHideWatcher();
        return;
    }
    if (!dragging_)
        return;
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    int left = x + rect.left - dragOrigin_.x;
    int top = y + rect.top - dragOrigin_.y;
    if (snapScreen_) {
        // Dragging near an edge glues the clock to it.
        const RECT area = WorkArea();
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        if (std::abs(left - area.left) < snapDistance_)
            left = area.left;
        if (std::abs(top - area.top) < snapDistance_)
            top = area.top;
        if (std::abs(area.right - (left + width)) < snapDistance_)
            left = area.right - width;
        if (std::abs(area.bottom - (top + height)) < snapDistance_)
            top = area.bottom - height;
    }
    ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ComputeEdges();
    Notify(msgWindowMoved, reinterpret_cast<INT_PTR>(static_cast<IUnknown*>(this)));
}

void TfrmClock::MouseUp(ClickButton button, bool tray) {
    if (dragging_) {
        dragging_ = false;
        ::ReleaseCapture();
        RECT rect{};
        ::GetWindowRect(window_, &rect);
        if (rect.left + rect.top != positionSum_)
            return; // a drag, not a click
    }
    const ModifierKeys keys = KeysDownNow();
    if (const std::wstring* line = clickEvents_.Find(ClickBindingName(tray, false, button, keys)))
        ExecCommand(*line);
    static DoubleClickTracker lastClick; // process-wide
    if (!lastClick.IsSecondClick(static_cast<uint32_t>(::GetTickCount()),
                                 static_cast<uint32_t>(::GetDoubleClickTime())))
        return;
    if (const std::wstring* line = clickEvents_.Find(ClickBindingName(tray, true, button, keys))) {
        lastClick.Consumed();
        ExecCommand(*line);
    }
}

void TfrmClock::StartHideWatcher() {
    if (!hideWatcher_)
        hideWatcher_ =
            std::make_unique<TztTimer>(100, false, [this](TztTimer&) { HideWatcherTick(); });
    hideWatcher_->SetEnabled(true);
}

void TfrmClock::HideWatcherTick() {
    if (!hideOnMouseOver_)
        return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    if (cursor.x >= rect.left && cursor.x <= rect.right && cursor.y >= rect.top &&
        cursor.y <= rect.bottom)
        return;
    hideWatcher_->SetEnabled(false);
    ::ShowWindow(window_, SW_SHOWNA);
    OnShown();
}

// ---- Screen edges ----

RECT TfrmClock::WorkArea() const {
    RECT area{};
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    const HMONITOR monitor = ::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    if (monitor && ::GetMonitorInfoW(monitor, &info))
        return info.rcWork;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

void TfrmClock::ComputeEdges() {
    if (!snapScreen_) {
        edgeFlags_ = 0;
        return;
    }
    const RECT area = WorkArea();
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    edgeFlags_ =
        ComputeEdgeFlags({area.left, area.top, area.right, area.bottom}, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, snapDistance_);
    ApplyEdges();
}

void TfrmClock::ApplyEdges() {
    if (!window_)
        return;
    const RECT area = WorkArea();
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    int left = rect.left;
    int top = rect.top;
    ApplyEdgeFlags(edgeFlags_, {area.left, area.top, area.right, area.bottom}, left, top,
                   rect.right - rect.left, rect.bottom - rect.top);
    if (left != rect.left || top != rect.top)
        ::SetWindowPos(window_, nullptr, left, top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Visibility and attributes ----

void TfrmClock::OnShown() {
    if (engine_)
        engine_->Engine().SetNormalTact();
    Notify(msgShown, 0);
}

void TfrmClock::OnHidden() {
    if (engine_)
        engine_->Engine().SetSlowTact();
    Notify(msgHidden, 0);
}

void TfrmClock::ShowHideClock() {
    const bool visible = ::IsWindowVisible(window_) != FALSE;
    const DWORD flags = RollAnimationFlags(edgeFlags_, visible, transparentMode_);
    // Alpha blending is off while the window animates.
    const bool blended = alphaBlend_;
    alphaBlend_ = false;
    ApplyLayered();
    if (!::AnimateWindow(window_, 250, flags))
        ::ShowWindow(window_, visible ? SW_HIDE : SW_SHOWNOACTIVATE);
    alphaBlend_ = blended;
    ApplyLayered();
    if (visible)
        OnHidden();
    else
        OnShown();
}

void TfrmClock::ShowFromBroadcast() {
    tray_.SetActive(false);
    ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    OnShown();
    tray_.SetActive(true);
}

void TfrmClock::ApplyLayered() {
    LONG_PTR exStyle = ::GetWindowLongPtrW(window_, GWL_EXSTYLE);
    if (!alphaBlend_ && !transparentMode_) {
        if (exStyle & WS_EX_LAYERED)
            ::SetWindowLongPtrW(window_, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
        return;
    }
    if (!(exStyle & WS_EX_LAYERED))
        ::SetWindowLongPtrW(window_, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    DWORD flags = 0;
    if (alphaBlend_)
        flags |= LWA_ALPHA;
    if (transparentMode_)
        flags |= LWA_COLORKEY;
    ::SetLayeredWindowAttributes(window_, transparentColor_, alpha_, flags);
}

void TfrmClock::SetOnTop(bool value) {
    onTop_ = value;
    ::SetWindowPos(window_, value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TfrmClock::SetLocked(bool value) {
    locked_ = value;
    if (panel_)
        panel_->SetCursor(::LoadCursorW(nullptr, value ? IDC_ARROW : IDC_SIZEALL));
}

// ---- IZentik ----

HRESULT STDMETHODCALLTYPE TfrmClock::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IZentik)) {
        *object = static_cast<IZentik*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

IUnknown* STDMETHODCALLTYPE TfrmClock::GetInterface(int kind) {
    try {
        switch (kind) {
        case 0:
            return static_cast<IZentik*>(this);
        case 1:
            return engine_ ? engine_->Interface() : nullptr;
        case 2:
            return panel_ ? panel_->Unknown() : nullptr;
        case 3:
            return commands_.Interface();
        case 4:
            return static_cast<IztPluginMan*>(&plgMan_);
        case 5:
            return language_;
        case 257:
            return CreateInterfacedTimer();
        default:
            return nullptr;
        }
    } catch (...) {
        return nullptr;
    }
}

void STDMETHODCALLTYPE TfrmClock::DoAction(int action) {
    try {
        switch (action) {
        case 1:
            SaveSettings();
            break;
        case 2:
            ComputeEdges();
            break;
        case 3:
            RegisterHotKeys(true);
            break;
        case 4:
            RegisterHotKeys(false);
            break;
        case 5:
            restartRequested_ = true;
            break;
        default:
            break;
        }
    } catch (...) {
    }
}

INT_PTR STDMETHODCALLTYPE TfrmClock::GetValue(int item) {
    switch (item) {
    case 0:
        return reinterpret_cast<INT_PTR>(window_);
    case 1:
        return alpha_;
    case 2:
        return transparentMode_ ? 1 : 0;
    case 3:
        return static_cast<INT_PTR>(transparentColor_);
    case 4:
        return snapScreen_ ? 1 : 0;
    case 5:
        return snapDistance_;
    case 6:
        return tray_.Active() ? 1 : 0;
    case 7:
        return (::GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0;
    case 8:
        return hideOnMouseOver_ ? 1 : 0;
    case 9:
        return locked_ ? 1 : 0;
    case 16:
        return reinterpret_cast<INT_PTR>(window_);
    default:
        return 0;
    }
}

void STDMETHODCALLTYPE TfrmClock::SetValue(int item, INT_PTR value) {
    try {
        switch (item) {
        case 1:
            alpha_ = static_cast<BYTE>(value < 0 ? 0 : value > 255 ? 255 : value);
            alphaBlend_ = alpha_ != 255;
            ApplyLayered();
            break;
        case 2:
            transparentMode_ = value != 0;
            ApplyLayered();
            break;
        case 3:
            transparentColor_ = static_cast<COLORREF>(value) & 0x00FFFFFF;
            ApplyLayered();
            break;
        case 4:
            snapScreen_ = value != 0;
            ComputeEdges();
            break;
        case 5:
            snapDistance_ = static_cast<int>(value);
            break;
        case 6:
            tray_.SetActive(value != 0);
            break;
        case 7:
            SetOnTop(value != 0);
            break;
        case 8:
            hideOnMouseOver_ = value != 0;
            break;
        case 9:
            SetLocked(value != 0);
            // The cursor changed: plug-ins hear of it as of a panel resize.
            if (panel_)
                Notify(msgPanelResized, reinterpret_cast<INT_PTR>(panel_->Unknown()));
            break;
        default:
            break;
        }
    } catch (...) {
    }
}

BSTR STDMETHODCALLTYPE TfrmClock::GetAlarmCommand() {
    return ::SysAllocStringLen(alarmCommand_.data(), static_cast<UINT>(alarmCommand_.size()));
}

void STDMETHODCALLTYPE TfrmClock::SetAlarmCommand(const wchar_t* value) {
    try {
        alarmCommand_ = value ? value : L"";
    } catch (...) {
    }
}

void STDMETHODCALLTYPE TfrmClock::ApplyLanguage() {
    try {
        for (UINT i = 0; i < ARRAYSIZE(kMenuNames); ++i)
            menuTexts_[i] = Text(std::wstring(L"Menu=") + kMenuNames[i]);
    } catch (...) {
    }
}

// ---- Menu and options ----

void TfrmClock::ShowMenu(POINT at) {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return;
    auto add = [&](UINT id, bool checked) {
        const std::wstring& text = menuTexts_[id - 1];
        ::AppendMenuW(menu.get(), MF_STRING | (checked ? MF_CHECKED : 0), id,
                      text.empty() ? kMenuNames[id - 1] : text.c_str());
    };
    add(kMenuAlwaysOnTop, GetValue(7) != 0);
    add(kMenuHideItem, hideOnMouseOver_);
    add(kMenuLockItem, locked_);
    // Plug-ins show PluginsItems by filling it; once shown it stays.
    if (pluginsMenu_ && ::GetMenuItemCount(pluginsMenu_.get()) > 0)
        pluginsItemsVisible_ = true;
    const bool showPlugins = pluginsMenu_ && pluginsItemsVisible_;
    constexpr UINT kPluginsPosition = 4;
    if (showPlugins) {
        ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr); // Nplg_u
        const std::wstring& text = menuTexts_[kMenuPluginsItems - 1];
        ::AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(pluginsMenu_.get()),
                      text.empty() ? kMenuNames[kMenuPluginsItems - 1] : text.c_str());
        ::SetMenuDefaultItem(menu.get(), kPluginsPosition, TRUE);
    }
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr); // Nplg_d
    add(kMenuConfigItems, false);
    add(kMenuAlarmClockItem, false);
    add(kMenuAboutItem, false);
    if (::GetFileAttributesW((ProgramFolder() + L"\\" + kHelpFile).c_str()) !=
        INVALID_FILE_ATTRIBUTES)
        add(kMenuHelpItem, false);
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    add(kMenuClockDown, false);
    add(kMenuCloseClock, false);
    ::SetForegroundWindow(window_);
    const UINT id = static_cast<UINT>(::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                       at.x, at.y, 0, window_, nullptr));
    ::PostMessageW(window_, WM_NULL, 0, 0);
    // PluginsItems outlives this menu: detach it before the menu is destroyed.
    if (showPlugins)
        ::RemoveMenu(menu.get(), kPluginsPosition, MF_BYPOSITION);
    if (id)
        OnMenuCommand(id);
}

void TfrmClock::OnMenuCommand(UINT id) {
    if (id >= kFirstPluginItem && id - kFirstPluginItem < kPluginItemCount) {
        for (const PluginMenuItem& item : pluginItems_) {
            if (item.id == id && item.proc) {
                item.proc(static_cast<IZentik*>(this));
                break;
            }
        }
        return;
    }
    if (ztRunMenuAction(pluginsMenu_.get(), id, static_cast<IZentik*>(this)))
        return;
    switch (id) {
    case kMenuAlwaysOnTop:
        SetValue(7, GetValue(7) ? 0 : 1);
        WriteOneValue(L"AlwaysOnTop_Checked", onTop_ ? L"True" : L"False");
        break;
    case kMenuHideItem:
        hideOnMouseOver_ = !hideOnMouseOver_;
        if (::IsWindowVisible(window_))
            WriteOneValue(L"HideItem_Checked", hideOnMouseOver_ ? L"True" : L"False");
        break;
    case kMenuLockItem:
        SetValue(9, locked_ ? 0 : 1);
        WriteOneValue(L"Lock", locked_ ? L"True" : L"False");
        break;
    case kMenuConfigItems:
        OpenOptions(L"Opt");
        break;
    case kMenuAlarmClockItem:
        OpenOptions(L"Alarm");
        break;
    case kMenuAboutItem:
        OpenOptions(L"About");
        break;
    case kMenuHelpItem:
        ::ShellExecuteW(nullptr, L"open", (ProgramFolder() + L"\\" + kHelpFile).c_str(), nullptr,
                        nullptr, SW_SHOWNORMAL);
        break;
    case kMenuClockDown:
        ShowHideClock();
        break;
    case kMenuCloseClock:
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void TfrmClock::OpenOptions(const wchar_t* node) {
    using ShowSetupFormFn = void*(__stdcall*)();
    using GetNodeFn = void*(__stdcall*)(const wchar_t*);
    using ActiveSetupNodeFn = void(__stdcall*)(void*);
    if (language_)
        language_->Hold();
    if (!optionsLibrary_)
        optionsLibrary_.reset(::LoadLibraryExW((ProgramFolder() + L"\\" + L"ZentikOpt.dll").c_str(),
                                               nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!optionsLibrary_)
        return;
    auto show = reinterpret_cast<ShowSetupFormFn>(
        reinterpret_cast<void*>(::GetProcAddress(optionsLibrary_.get(), "ShowSetupForm")));
    auto getNode = reinterpret_cast<GetNodeFn>(
        reinterpret_cast<void*>(::GetProcAddress(optionsLibrary_.get(), "GetNode")));
    auto activate = reinterpret_cast<ActiveSetupNodeFn>(
        reinterpret_cast<void*>(::GetProcAddress(optionsLibrary_.get(), "ActiveSetupNode")));
    if (!show || !getNode || !activate) {
        optionsLibrary_.reset();
        return;
    }
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window_, GWL_EXSTYLE);
    ::SetWindowLongPtrW(window_, GWL_EXSTYLE, exStyle ^ WS_EX_TOOLWINDOW);
    optionsForm_ = show();
    if (optionsForm_)
        activate(getNode(node));
}

void TfrmClock::CloseOptions() {
    if (!optionsLibrary_)
        return;
    using CloseSetupFormFn = void*(__stdcall*)();
    if (auto close = reinterpret_cast<CloseSetupFormFn>(
            reinterpret_cast<void*>(::GetProcAddress(optionsLibrary_.get(), "CloseSetupForm"))))
        optionsForm_ = close();
    if (window_) {
        const LONG_PTR exStyle = ::GetWindowLongPtrW(window_, GWL_EXSTYLE);
        ::SetWindowLongPtrW(window_, GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
    }
    optionsLibrary_.reset();
    if (language_)
        language_->ReleaseHold();
    if (restartRequested_ && window_)
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
}

void TfrmClock::RegisterHotKeys(bool doRegister) {
    if (hotKeys_)
        RegisterAll(*hotKeys_, clickEvents_.Rows(), doRegister);
}

// ---- Window procedure ----

LRESULT CALLBACK TfrmClock::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TfrmClock* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<TfrmClock*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TfrmClock*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT TfrmClock::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const ZentikMessages& messages = RegisterZentikMessages();
    if (message == messages.showWindow && message != 0) {
        ShowFromBroadcast();
        return 0;
    }
    if (message == messages.taskbarCreated && message != 0) {
        tray_.Recreate();
        return 0;
    }
    if (message == messages.closeSetupDll && message != 0) {
        // Freed from a timer, never from inside the library's own code.
        closeOptionsTimer_ =
            std::make_unique<TztTimer>(21, true, [this](TztTimer&) { CloseOptions(); });
        closeOptionsTimer_->SetEnabled(true);
        return 0;
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the panel covers the whole client area
    case kRunOnGuiThread:
        if (wParam == kWorkShowHide)
            ShowHideClock();
        else if (wParam == kWorkClose)
            ::PostMessageW(window_, WM_CLOSE, 0, 0);
        else if (wParam == kWorkOptions)
            OpenOptions(L"Opt");
        return 0;
    case kTrayMessage:
        switch (LOWORD(lParam)) {
        case WM_LBUTTONUP:
            MouseUp(ClickButton::Left, true);
            break;
        case WM_MBUTTONUP:
            MouseUp(ClickButton::Middle, true);
            break;
        case WM_RBUTTONUP: {
            MouseUp(ClickButton::Right, true);
            POINT at{};
            ::GetCursorPos(&at);
            ShowMenu(at);
            break;
        }
        default:
            break;
        }
        return 0;
    case WM_CONTEXTMENU: {
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (at.x == -1 && at.y == -1) {
            RECT rect{};
            ::GetWindowRect(window_, &rect);
            at = {rect.left, rect.bottom};
        }
        ShowMenu(at);
        return 0;
    }
    case WM_COMMAND:
        // Menu picks sent as commands (the clock's own menus return theirs directly).
        if (HIWORD(wParam) == 0 && lParam == 0) {
            OnMenuCommand(LOWORD(wParam));
            return 0;
        }
        return ::DefWindowProcW(window_, message, wParam, lParam);
    case WM_HOTKEY:
        if (hotKeys_) {
            if (auto line = HotKeyCommandLine(*hotKeys_, clickEvents_.Rows(), wParam))
                ExecCommand(*line);
        }
        return 0;
    case WM_TIMECHANGE:
        if (engine_)
            engine_->Engine().Refresh();
        Notify(msgTimeChanged, reinterpret_cast<INT_PTR>(&CurrentTime));
        return 0;
    case WM_SYSCOLORCHANGE:
        if (panel_)
            panel_->Rebuild();
        return 0;
    case WM_DISPLAYCHANGE:
        ApplyEdges();
        return 0;
    case WM_CLOSE: {
        CloseOptions();
        SaveSettings();
        plgMan_.ClosingBroadcast(msgClosing);
        MSG queued;
        while (::PeekMessageW(&queued, nullptr, 0, 0, PM_REMOVE)) {
            if (queued.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(queued.wParam));
                break;
            }
            ::TranslateMessage(&queued);
            ::DispatchMessageW(&queued);
        }
        // Commands still running get a bounded wait before the code they run goes away.
        commands_.WaitForCommandThreads(3000);
        plgMan_.UnloadAllPlugins();
        RegisterHotKeys(false);
        if (api_) {
            RECT rect{};
            ::GetWindowRect(window_, &rect);
            api_->RollOut(window_, rect.right - rect.left, rect.bottom - rect.top);
            api_->Release();
            api_ = nullptr;
        }
        ::DestroyWindow(window_);
        return 0;
    }
    case WM_DESTROY:
        ::RemovePropW(window_, ZT_PLUGINS_ITEMS);
        if (engine_)
            engine_->Engine().OnTextChange = nullptr;
        tray_.SetActive(false);
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

} // namespace zt

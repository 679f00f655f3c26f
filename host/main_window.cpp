#include "host/main_window.h"

#include <shellapi.h>

#include "common/diag_log.h"
#include "common/message_box.h"
#include "common/program_folder.h"
#include "host/command_line.h"
#include "host/resource.h"
#include "host/screen_edges.h"
#include "host/window_messages.h"

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
constexpr wchar_t kLanguageModule[] = L"Zentik";

// Private messages of the window.
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kRunOnGuiThread = WM_APP + 2; // wParam: one of the GuiWork values

enum GuiWork : WPARAM { kWorkShowHide = 1, kWorkClose = 2, kWorkOptions = 3 };

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
    api_.reset();
    if (g_clockWindow == this)
        g_clockWindow = nullptr;
    hideWatcher_.reset();
    closeOptionsTimer_.reset();
    // The engine stops ticking before the panel it writes to goes away.
    engine_.reset();
    DestroyWindowNow();
    panel_.reset();
    hotKeys_.reset();
    hint_.Detach();
}

ModuleWindowClass::Fields TfrmClock::WindowClass() {
    return {kClockWindowClass, nullptr, CS_DBLCLKS, 0, IDC_ARROW};
}

bool TfrmClock::Create() {
    // A tool window from the start: the clock never gets a taskbar button.
    if (!CreateWindowOf(WS_EX_TOOLWINDOW, kClockWindowTitle, WS_POPUP, 0, 0, kDesignClientWidth,
                        kDesignClientHeight, nullptr))
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
    WireEngineEvents();

    tray_.Attach(Window(), kTrayMessage,
                 static_cast<HICON>(::LoadImageW(instance_, L"TRAY", IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0)));
    hotKeys_ = std::make_unique<TztGlbHotKeyMan>(Window());
    clock.Refresh();
    hint_.Attach(panel_->Window(), instance_);
    tray_.SetHint(FormatDateTime(kHintFormat, clock.GetTime(), locale_));
    hint_.SetText(FormatDateTime(kHintFormat, clock.GetTime(), locale_));
    menu_ = std::make_unique<TztClockMenu>(Window());
    plgMan_.SetExtension(L"pzt");
    plgMan_.SetPluginFolder(L"Plugins");
    plgMan_.OnNewCommand = [this](const std::wstring& caption, const std::wstring& hint,
                                  const std::wstring& data,
                                  ZT_CMND_PROC proc) { PlgManNewCmnd(caption, hint, data, proc); };
    plgMan_.OnDelCommand = [this](const std::wstring& data) { PlgManDelCmnd(data); };
    plgMan_.OnLibraryUnloading = [this](std::uintptr_t begin, std::uintptr_t end) {
        LibraryUnloading(begin, end);
    };
    CenterOnDesktop();
    ApplyLayered();
    RestoreSettings();
    IUnknown* api = nullptr;
    InitAPI(&api, Interface());
    TztComRef<IUnknown> apiUnknown = TztComRef<IUnknown>::Attach(api);
    api_ = TztComRef<IZentikAPI>::Query(apiUnknown.get(), IID_IZentikAPI);
    RegisterBuiltInCommands();
    // The clock shows itself now, before plug-ins load: a slow plug-in does not keep it
    // invisible.
    RollIn();
    return true;
}

void TfrmClock::WireEngineEvents() {
    TCustomZentik& clock = engine_->Engine();
    clock.OnTextChange = [this](TCustomZentik&, const std::wstring& text) {
        panel_->SetCaption(text);
    };
    // Clock notifications carry the address of the event's date-time value.
    auto notifyWith = [this](int msg) {
        return [this, msg](TCustomZentik&, DateTime& value, const TCustomZentikTime&) {
            if (msg == msgSecond && !hideOnMouseOver_) {
                hint_.SetText(FormatDateTime(kHintFormat, value, locale_));
                hint_.Tick();
            }
            if (msg == msgMinute)
                tray_.SetHint(FormatDateTime(kHintFormat, value, locale_));
            Notify(msg, reinterpret_cast<INT_PTR>(&value));
        };
    };
    clock.OnChangeSecond = notifyWith(msgSecond);
    clock.OnChangeMinute = notifyWith(msgMinute);
    clock.OnChangeHour = notifyWith(msgHour);
    clock.OnChangeDay = notifyWith(msgDay);
    clock.OnChangeMonth = notifyWith(msgMonth);
    clock.OnChangeYear = notifyWith(msgYear);
    clock.OnChange = notifyWith(msgClockChanged);
    clock.OnAlarm = [this](TCustomZentik&) { ExecCommand(alarmCommand_); };
}

void TfrmClock::CreateMainScreen() {
    panel_ = TztLCDPanel::Create(Window(), 0, 0);
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

// The window is auto-sized: its client area is the panel. Glued edges are kept.
void TfrmClock::FitToPanel() {
    if (!panel_ || !Window())
        return;
    ::SetWindowPos(Window(), nullptr, 0, 0, panel_->Width(), panel_->Height(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyEdges();
}

void TfrmClock::CenterOnDesktop() {
    const RECT area = WorkArea();
    RECT window{};
    ::GetWindowRect(Window(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    ::SetWindowPos(Window(), nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmClock::RollIn() {
    ::ShowWindow(Window(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(Window());
    if (api_) {
        RECT rect{};
        ::GetWindowRect(Window(), &rect);
        api_->RollIn(Window(), rect.right - rect.left, rect.bottom - rect.top);
    }
    OnShown();
}

void TfrmClock::StartClock() {
    const LONG_PTR exStyle = ::GetWindowLongPtrW(Window(), GWL_EXSTYLE);
    ::SetWindowLongPtrW(Window(), GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
    engine_->Engine().SetNormalTact();
    ComputeEdges();
    plgMan_.LoadPlugins();
    ApplyLanguage();
    if (api_)
        api_->TrimWorkingSet();
}

void TfrmClock::ExecCommand(const std::wstring& line) {
    // The host API serves the first clock window of the process only.
    if (api_ && api_->GetZentik() == static_cast<IUnknown*>(Interface())) {
        api_->ExecCommand(line.c_str());
        return;
    }
    const auto [name, param] = SplitCommandName(line);
    commands_.Interface()->Execute(name.c_str(), param.c_str());
}

void TfrmClock::Notify(int msg, INT_PTR param1) {
    plgMan_.Broadcast(msg, param1, 0);
}

// A name with 'm' second gets a menu item; one with '_' third a command.
void TfrmClock::PlgManNewCmnd(const std::wstring& caption, const std::wstring& hint,
                              const std::wstring& data, ZT_CMND_PROC proc) {
    if (data.size() > 1 && data[1] == L'm' && menu_)
        menu_->AddCommandItem(data, caption, proc);
    if (data.size() > 2 && data[2] == L'_')
        commands_.Interface()->AddCommand(data.c_str(), proc, hint.c_str());
}

void TfrmClock::PlgManDelCmnd(const std::wstring& data) {
    if (data.size() > 1 && data[1] == L'm' && menu_)
        menu_->DeleteCommandItem(data);
    if (data.size() > 2 && data[2] == L'_')
        commands_.Interface()->DeleteCommand(data.c_str());
}

// A library is about to be freed: nothing may call into it afterwards.
void TfrmClock::LibraryUnloading(std::uintptr_t begin, std::uintptr_t end) {
    std::size_t removed = commands_.Registry().DeleteCommandsInCode(begin, end);
    if (menu_)
        removed += menu_->DeleteItemsInCode(begin, end);
    if (removed > 0)
        DiagLog(L"plug-in unloaded with " + std::to_wstring(removed) +
                L" commands or menu items left; they were removed");
}

std::wstring TfrmClock::Text(const std::wstring& key) const {
    auto* self = const_cast<TfrmClock*>(this);
    if (api_ && api_->GetZentik() == static_cast<IUnknown*>(self->Interface()))
        return ztTakeBstr(api_->GetLangText(kLanguageModule, key.c_str()));
    if (!language_)
        return {};
    std::wstring result;
    if (ZT_LANG_MODULE module = language_->OpenModule(kLanguageModule)) {
        result = ztTakeBstr(language_->Translate(module, key.c_str()));
        language_->CloseModule(module);
    }
    return result;
}

void TfrmClock::RegisterHotKeys(bool doRegister) {
    if (hotKeys_)
        RegisterAll(*hotKeys_, clickEvents_.Rows(), doRegister);
}

// ---- Messages ----

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
    case WM_WINDOWPOSCHANGING:
        SnapMove(*reinterpret_cast<WINDOWPOS*>(lParam));
        return 0;
    case kRunOnGuiThread:
        if (wParam == kWorkShowHide)
            ShowHideClock();
        else if (wParam == kWorkClose)
            ::PostMessageW(Window(), WM_CLOSE, 0, 0);
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
            ::GetWindowRect(Window(), &rect);
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
        return DefaultHandling(message, wParam, lParam);
    case WM_HOTKEY:
        if (hotKeys_) {
            if (auto line = HotKeyCommandLine(*hotKeys_, clickEvents_.Rows(), wParam))
                ExecCommand(*line);
        }
        return 0;
    case WM_POWERBROADCAST:
        // Waking from sleep is a jump of the wall clock, as a time change is: the clock's
        // change messages stop at the first part that reads as before, so a task armed on
        // the hour would otherwise wait for the next hour after a sleep that ends in the
        // same hour of another day.
        if (wParam != PBT_APMRESUMEAUTOMATIC && wParam != PBT_APMRESUMESUSPEND)
            return DefaultHandling(message, wParam, lParam);
        [[fallthrough]];
    case WM_TIMECHANGE:
        if (engine_)
            engine_->Engine().Refresh();
        Notify(msgTimeChanged, reinterpret_cast<INT_PTR>(&CurrentTime));
        return message == WM_POWERBROADCAST ? TRUE : 0;
    case WM_SYSCOLORCHANGE:
        if (panel_)
            panel_->Rebuild();
        return 0;
    case WM_DISPLAYCHANGE:
        ApplyEdges();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DESTROY:
        menu_.reset();
        if (engine_)
            engine_->Engine().OnTextChange = nullptr;
        tray_.SetActive(false);
        ::PostQuitMessage(0);
        return 0;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

void TfrmClock::OnClose() {
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
        ::GetWindowRect(Window(), &rect);
        api_->RollOut(Window(), rect.right - rect.left, rect.bottom - rect.top);
        api_.reset();
    }
    DestroyWindowNow();
}

} // namespace zt

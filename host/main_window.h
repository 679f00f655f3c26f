#pragma once
// TfrmClock: the clock window. A borderless window that holds the LCD panel showing
// the clock engine's text, sizes itself to the panel, glues itself to screen edges,
// runs click and hot-key bindings, and offers the popup menu and the tray icon. Plug-ins
// see it as IZentik (main_window_intf.h).

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "common/datetime_format.h"
#include "common/handles.h"
#include "common/timer.h"
#include "common/window_impl.h"
#include "display/lcd_panel.h"
#include "framework/cmnd_intf.h"
#include "framework/plugin_man.h"
#include "host/click_bindings.h"
#include "host/clock_menu.h"
#include "host/custom_zentik_intf.h"
#include "host/glb_hotkey_man.h"
#include "host/main_window_intf.h"
#include "host/panel_hint.h"
#include "host/tray_icon.h"
#include "zentik/ztComHelpers.h"
#include "zentik/ztLanguageMan.h"
#include "zentik/ztZentikAPI.h"
#include "zentik/ztZentikInterface.h"

namespace zt {

class RegistrySection;

// Where the settings live: HKEY_CURRENT_USER\Software\Ombrelt\Zentik for the program.
struct SettingsLocation {
    HKEY root = HKEY_CURRENT_USER;
    std::wstring path = ZT_REGISTRY_KEY;
};

class TfrmClock final : public WindowImpl<TfrmClock> {
public:
    // language: the program's language manager (not owned; must outlive the window).
    TfrmClock(HINSTANCE instance, const FormatSettings& locale, IztLanguageMan* language,
              SettingsLocation settings = {});
    ~TfrmClock();

    // Creates the window with its design (engine ticking from now on, panel, menu,
    // commands, hot-key manager), restores the settings, initialises the host API and
    // shows the window.
    bool Create();
    // Tool window, normal tact, edge flags, plug-ins, menu texts.
    void StartClock();

    HWND Handle() const { return Window(); }
    IZentik* Interface() { return &interface_; }
    TCustomZentik& Clock() { return engine_->Engine(); }
    ICustomZentik* ClockInterface() { return engine_ ? engine_->Interface() : nullptr; }
    TztLCDPanel& MainScreen() { return *panel_; }
    TztLCDPanel* Panel() { return panel_.get(); }
    CmndInterface& Commands() { return commands_; }
    TztPluginManager& PlgMan() { return plgMan_; }
    IztLanguageMan* Language() { return language_; }
    BindingTable& ClickEvents() { return clickEvents_; }
    bool RestartRequested() const { return restartRequested_; }
    void RequestRestart() { restartRequested_ = true; }
    uint8_t EdgeFlags() const { return edgeFlags_; }

    // Runs a command line: the name up to the first blank, the rest as parameter.
    void ExecCommand(const std::wstring& line);
    // Rolls the window into or out of the edge it is glued to.
    void ShowHideClock();
    void SaveSettings();
    void RestoreSettings();
    // Recomputes the edges the window is glued to.
    void ComputeEdges();
    void RegisterHotKeys(bool doRegister);
    // The numbered window settings of IZentik.
    INT_PTR Value(int item) const;
    void SetValue(int item, INT_PTR value);
    const std::wstring& AlarmCommand() const { return alarmCommand_; }
    void SetAlarmCommand(std::wstring value) { alarmCommand_ = std::move(value); }
    // Translates the menu, then drops a hold on the language manager.
    void ApplyLanguage();

private:
    friend class WindowImpl<TfrmClock>;
    static ModuleWindowClass::Fields WindowClass();
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnClose();

    void CreateMainScreen();
    void WireEngineEvents();
    void RegisterBuiltInCommands();
    void FitToPanel();
    void CenterOnDesktop();
    void RollIn();

    // Mouse on the window, the panel and the tray icon.
    void MouseDown(ClickButton button, int x, int y);
    void MouseMove(int x, int y);
    void MouseUp(ClickButton button, bool tray);
    void StartHideWatcher();
    void HideWatcherTick();

    // Screen edges.
    void ApplyEdges();
    void SnapMove(WINDOWPOS& position);
    RECT WorkArea() const;

    // Visibility and window attributes.
    void OnShown();
    void OnHidden();
    void ShowFromBroadcast();
    void ApplyLayered();
    void SetOnTop(bool value);
    void SetLocked(bool value);

    // Menu and options.
    void ShowMenu(POINT at);
    void OnMenuCommand(UINT id);
    void OpenOptions(const wchar_t* node);
    void CloseOptions();
    void SyncOptionsCheck(const wchar_t* name, bool checked);
    std::wstring Text(const std::wstring& key) const;
    void WriteOneValue(const wchar_t* name, const std::wstring& value);

    // Plug-ins.
    void PlgManNewCmnd(const std::wstring& caption, const std::wstring& hint,
                       const std::wstring& data, ZT_CMND_PROC proc);
    void PlgManDelCmnd(const std::wstring& data);
    void LibraryUnloading(std::uintptr_t begin, std::uintptr_t end);
    void Notify(int msg, INT_PTR param1);

public:
    // One stored value: its registry name, its text to write and what reading it does
    // (given nothing when the value is absent; null for values that are only written).
    struct StoredValue {
        const wchar_t* name;
        std::function<std::wstring()> write;
        std::function<void(const std::optional<std::wstring>&)> read;
    };

private:
    // Settings (main_window_settings.cpp).
    std::vector<StoredValue> StoredValues();
    void RestoreWindowPosition(RegistrySection& section);
    void SaveWindowPosition(RegistrySection& section);

    HINSTANCE instance_;
    FormatSettings locale_;
    IztLanguageMan* language_;
    SettingsLocation settings_;
    TztZentikIntf interface_{*this};
    std::unique_ptr<ClockEngine> engine_;
    std::unique_ptr<TztLCDPanel> panel_;
    CmndInterface commands_;
    TztPluginManager plgMan_;
    TztComRef<IZentikAPI> api_; // from InitAPI, released at close
    std::unique_ptr<TztGlbHotKeyMan> hotKeys_;
    std::unique_ptr<TztClockMenu> menu_;
    TrayIcon tray_;
    PanelHint hint_; // the date hint of the clock face
    BindingTable clickEvents_ = BindingTable::Defaults();
    DoubleClickTracker lastClick_;
    std::unique_ptr<TztTimer> hideWatcher_;
    std::unique_ptr<TztTimer> closeOptionsTimer_;
    UniqueModule optionsLibrary_;
    void* optionsForm_ = nullptr;

    // Window state.
    uint8_t edgeFlags_ = 0;
    bool onTop_ = false;
    bool locked_ = false;
    bool hideOnMouseOver_ = false;
    bool snapScreen_ = true;
    int snapDistance_ = 10;
    BYTE alpha_ = 255;
    bool alphaBlend_ = false;
    bool transparentMode_ = true; // the design keeps the colour key 0x550000, seen nowhere
    COLORREF transparentColor_ = 0x550000;
    std::wstring alarmCommand_;
    bool restartRequested_ = false;

    // Dragging.
    bool dragging_ = false;
    POINT dragOrigin_{};
    int positionSum_ = 0;
};

// The one clock window of the process, for the built-in command routines.
TfrmClock* ClockWindow();

} // namespace zt

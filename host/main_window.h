#pragma once
// TfrmClock: the clock window. A borderless window that holds the LCD panel showing
// the clock engine's text, sizes itself to the panel, glues itself to screen edges,
// runs click and hot-key bindings, and offers the popup menu and the tray icon. It is
// the host object plug-ins see as IZentik.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/datetime_format.h"
#include "common/handles.h"
#include "common/timer.h"
#include "display/lcd_panel.h"
#include "framework/cmnd_intf.h"
#include "framework/plugin_man.h"
#include "host/click_bindings.h"
#include "host/custom_zentik_intf.h"
#include "host/glb_hotkey_man.h"
#include "host/tray_icon.h"
#include "zentik/ztLanguageMan.h"
#include "zentik/ztZentikAPI.h"
#include "zentik/ztZentikInterface.h"

namespace zt {

// Where the settings live: HKEY_CURRENT_USER\Software\Ombrelt\Zentik for the program.
struct SettingsLocation {
    HKEY root = HKEY_CURRENT_USER;
    std::wstring path = L"Software\\Ombrelt\\Zentik";
};

class TfrmClock final : public IZentik {
public:
    // language: the program's language manager (not owned; must outlive the window).
    TfrmClock(HINSTANCE instance, const FormatSettings& locale, IztLanguageMan* language,
              SettingsLocation settings = {});
    ~TfrmClock();
    TfrmClock(const TfrmClock&) = delete;
    TfrmClock& operator=(const TfrmClock&) = delete;

    // Creates the window with its design (engine ticking from now on, panel, menu,
    // commands, hot-key manager), then restores the settings. Hidden until StartClock.
    bool Create();
    // Tool window, normal tact, edge flags, menu texts; shows the window.
    void StartClock();

    HWND Handle() const { return window_; }
    TCustomZentik& Clock() { return engine_->Engine(); }
    TztLCDPanel& MainScreen() { return *panel_; }
    CmndInterface& Commands() { return commands_; }
    TztPluginManager& PlgMan() { return plgMan_; }
    BindingTable& ClickEvents() { return clickEvents_; }
    bool RestartRequested() const { return restartRequested_; }
    uint8_t EdgeFlags() const { return edgeFlags_; }

    // Runs a command line: the name up to the first blank, the rest as parameter.
    void ExecCommand(const std::wstring& line);
    // Rolls the window into or out of the edge it is glued to.
    void ShowHideClock();
    void SaveSettings();
    void RestoreSettings();

    // IUnknown (not counted: the window lives as long as the program)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // IZentik
    IUnknown* STDMETHODCALLTYPE GetInterface(int kind) override;
    void STDMETHODCALLTYPE DoAction(int action) override;
    INT_PTR STDMETHODCALLTYPE GetValue(int item) override;
    void STDMETHODCALLTYPE SetValue(int item, INT_PTR value) override;
    HWND STDMETHODCALLTYPE GetHandle() override { return window_; }
    BSTR STDMETHODCALLTYPE GetAlarmCommand() override;
    void STDMETHODCALLTYPE SetAlarmCommand(const wchar_t* value) override;
    void STDMETHODCALLTYPE ApplyLanguage() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateMainScreen();
    void RegisterBuiltInCommands();
    void FitToPanel();
    void CreatePanelHint();
    void SetPanelHint(const std::wstring& text);
    void CenterOnDesktop();

    // Mouse on the window, the panel and the tray icon.
    void MouseDown(ClickButton button, int x, int y);
    void MouseMove(int x, int y);
    void MouseUp(ClickButton button, bool tray);
    void StartHideWatcher();
    void HideWatcherTick();

    // Screen edges.
    void ComputeEdges();
    void ApplyEdges();
    RECT WorkArea() const;

    // Visibility and window attributes.
    void OnShown();
    void OnHidden();
    void ShowFromBroadcast();
    void ApplyLayered();
    void SetOnTop(bool value);
    void SetLocked(bool value);

    // Menu.
    void ShowMenu(POINT at);
    void OnMenuCommand(UINT id);
    void OpenOptions(const wchar_t* node);
    void CloseOptions();
    std::wstring Text(const std::wstring& key) const;
    void WriteOneValue(const wchar_t* name, const std::wstring& value);

    // Hot keys.
    void RegisterHotKeys(bool doRegister);

    // Plug-ins.
    void PlgManNewCmnd(const std::wstring& caption, const std::wstring& hint,
                       const std::wstring& data, ZT_CMND_PROC proc);
    void PlgManDelCmnd(const std::wstring& data);
    void Notify(int msg, INT_PTR param1);
    void DateNotify(int msg, DateTime& value);

    // Settings helpers (main_window_settings.cpp).
    void RestoreWindowPosition(class RegistrySection& section);
    void SaveWindowPosition(class RegistrySection& section);

    HINSTANCE instance_;
    FormatSettings locale_;
    IztLanguageMan* language_;
    SettingsLocation settings_;
    HWND window_ = nullptr; // destroyed in the destructor, detached at WM_NCDESTROY
    std::unique_ptr<ClockEngine> engine_;
    std::unique_ptr<TztLCDPanel> panel_;
    CmndInterface commands_;
    TztPluginManager plgMan_;
    IZentikAPI* api_ = nullptr; // from InitAPI, released at close
    std::unique_ptr<TztGlbHotKeyMan> hotKeys_;
    TrayIcon tray_;
    UniqueWindow hint_; // tooltip of the clock face
    std::wstring panelHint_;
    BindingTable clickEvents_ = BindingTable::Defaults();
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

    // PluginsItems: one popup for the window's life, published as a window property so
    // plug-ins can add their own items; the host adds items for announced commands.
    struct PluginMenuItem {
        std::wstring name; // the command name with "item" appended
        UINT id;
        ZT_CMND_PROC proc;
    };
    UniqueMenu pluginsMenu_;
    std::vector<PluginMenuItem> pluginItems_;
    UINT nextPluginItemId_ = 0;
    bool pluginsItemsVisible_ = false;

    // Menu texts by item, filled by ApplyLanguage.
    std::wstring menuTexts_[10];
};

// The one clock window of the process, for the built-in command routines.
TfrmClock* ClockWindow();

} // namespace zt

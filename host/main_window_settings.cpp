// Saving and restoring the clock window's settings in the registry.

#include <climits>

#include "host/main_window.h"
#include "common/bstr.h"
#include "host/registry_section.h"
#include "host/screen_edges.h"
#include "host/settings_text.h"

namespace zt {

namespace {

constexpr int kFormVersion = 2;
constexpr wchar_t kBindingsKey[] = L"ClickEvents_Strings";

int ScreenPixelsPerInch() {
    const HDC screen = ::GetDC(nullptr);
    const int ppi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return ppi;
}

std::wstring ScreenSuffix() {
    return ScreenSizeSuffix(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}

// Property values are trimmed when read.
std::optional<std::wstring> ReadProperty(const RegistrySection& section, const wchar_t* name) {
    auto value = section.Read(name);
    if (value)
        *value = TrimText(*value);
    return value;
}

template <typename Apply>
void RestoreBool(const RegistrySection& section, const wchar_t* name, Apply apply) {
    if (auto text = ReadProperty(section, name))
        if (auto value = ParseBool(*text))
            apply(*value);
}

template <typename Apply>
void RestoreNumber(const RegistrySection& section, const wchar_t* name, long long min,
                   long long max, Apply apply) {
    if (auto text = ReadProperty(section, name))
        if (auto value = ParseInteger(*text, min, max))
            apply(*value);
}

bool ReadBoolOr(const RegistrySection& section, const wchar_t* name, bool fallback) {
    const auto text = section.Read(name);
    const auto value = text ? ParseBool(*text) : std::nullopt;
    return value.value_or(fallback);
}

} // namespace

void TfrmClock::RestoreWindowPosition(RegistrySection& section) {
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    std::array<int, 4> normal{rect.left, rect.top, rect.right, rect.bottom};
    auto stored = section.Read((L"NormPos" + ScreenSuffix()).c_str());
    if (!stored)
        stored = section.Read(L"NormPos");
    const auto ppi = section.Read(L"PixelsPerInch");
    if (!stored || !ParseFourIntegers(*stored, normal) || !ppi ||
        ParseInteger(*ppi, INT_MIN, INT_MAX) != ScreenPixelsPerInch())
        return;
    if (normal[0] >= normal[2])
        return;
    // Stored left and top with the current size; never off every monitor.
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int left = normal[0];
    int top = normal[1];
    const RECT probe{left, top, left + width, top + height};
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(::MonitorFromRect(&probe, MONITOR_DEFAULTTONEAREST), &info)) {
        const RECT& area = info.rcWork;
        PullIntoArea({area.left, area.top, area.right, area.bottom}, left, top, width, height);
    }
    ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmClock::SaveWindowPosition(RegistrySection& section) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(window_, &placement);
    RECT rect{};
    ::GetWindowRect(window_, &rect);
    section.Write(L"Flags", std::to_wstring(placement.flags));
    section.Write(L"ShowCmd", std::to_wstring(placement.showCmd));
    section.Write(L"PixelsPerInch", std::to_wstring(ScreenPixelsPerInch()));
    const std::wstring minMax =
        FourIntegersText({placement.ptMinPosition.x, placement.ptMinPosition.y,
                          placement.ptMaxPosition.x, placement.ptMaxPosition.y});
    const std::wstring normal = FourIntegersText({rect.left, rect.top, rect.right, rect.bottom});
    section.Write(L"MinMaxPos", minMax);
    section.Write((L"MinMaxPos" + ScreenSuffix()).c_str(), minMax);
    section.Write(L"NormPos", normal);
    section.Write((L"NormPos" + ScreenSuffix()).c_str(), normal);
}

void TfrmClock::RestoreSettings() {
    RegistrySection section(settings_.root, settings_.path, false);
    const auto version = section.Read(L"FormVersion");
    if (!version || ParseInteger(*version, INT_MIN, INT_MAX).value_or(0) < kFormVersion)
        return; // first start: the design stays

    RestoreWindowPosition(section);

    // Properties: a value that cannot be assigned leaves its property as it is.
    TztLED& led = panel_->GetLED();
    TCustomZentik& clock = engine_->Engine();
    RestoreBool(section, L"HideItem_Checked", [&](bool v) { hideOnMouseOver_ = v; });
    RestoreNumber(section, L"MainScreen_LEDActiveColor", INT_MIN, INT_MAX,
                  [&](long long v) { led.SetActiveColor(static_cast<ZT_COLOR>(v)); });
    RestoreNumber(section, L"MainScreen_LEDInActiveColor", INT_MIN, INT_MAX,
                  [&](long long v) { led.SetInActiveColor(static_cast<ZT_COLOR>(v)); });
    RestoreNumber(section, L"MainScreen_LEDColor", INT_MIN, INT_MAX,
                  [&](long long v) { panel_->SetColor(static_cast<ZT_COLOR>(v)); });
    RestoreNumber(section, L"MainScreen_LEDHorzsize", 0, 65535,
                  [&](long long v) { led.SetHorzsize(static_cast<uint16_t>(v)); });
    RestoreNumber(section, L"MainScreen_LEDVertsize", 0, 65535,
                  [&](long long v) { led.SetVertsize(static_cast<uint16_t>(v)); });
    RestoreNumber(section, L"MainScreen_LEDThickness", 0, 65535,
                  [&](long long v) { led.SetThickness(static_cast<uint16_t>(v)); });
    RestoreNumber(section, L"MainScreen_BorderColor", INT_MIN, INT_MAX,
                  [&](long long v) { panel_->SetBorderColor(static_cast<ZT_COLOR>(v)); });
    RestoreNumber(section, L"MainScreen_BorderWidth", 0, 65535,
                  [&](long long v) { panel_->SetBorderWidth(static_cast<WORD>(v)); });
    if (auto format = ReadProperty(section, L"CZentik_CustomFormat"))
        clock.SetCustomFormat(*format);
    RestoreBool(section, L"CZentik_UseCustomFormat", [&](bool v) { clock.SetUseCustomFormat(v); });
    RestoreBool(section, L"CZentik_AlarmEnabled", [&](bool v) { clock.SetAlarmEnabled(v); });
    const auto restorePart = [&](const wchar_t* name, int part) {
        RestoreNumber(section, name, 0, 255, [&](long long v) {
            try {
                clock.SetAlarmPart(part, static_cast<uint8_t>(v));
            } catch (const EConvertError&) {
                // not a time of day: the alarm keeps its value
            }
        });
    };
    restorePart(L"CZentik_AlarmHour", 1);
    restorePart(L"CZentik_AlarmMinute", 2);
    restorePart(L"CZentik_AlarmSecond", 3);
    RestoreBool(section, L"CZentik_ShowSeconds", [&](bool v) { clock.SetShowSeconds(v); });
    RestoreBool(section, L"CZentik_SecondFlash", [&](bool v) { clock.StoreSecondFlash(v); });
    if (auto lines = section.ReadList(kBindingsKey))
        clickEvents_.SetLines(*lines);
    RestoreBool(section, L"TrayIcon_Active", [&](bool v) { tray_.SetActive(v); });

    // The remaining window settings.
    const auto useBorder = section.Read(L"UseBorder").value_or(L"0");
    transparentColor_ = ResolveColor(panel_->GetLED().GetColor());
    transparentMode_ = TrimText(useBorder) == L"0";
    RestoreNumber(section, L"Alpha", 0, 255, [&](long long v) { alpha_ = static_cast<BYTE>(v); });
    alphaBlend_ = alpha_ != 255;
    ApplyLayered();
    if (auto command = section.Read(L"AlarmCmnd"))
        alarmCommand_ = *command;
    SetValue(4, ReadBoolOr(section, L"SnapScreen", true));
    SetValue(7, ReadBoolOr(section, L"AlwaysOnTop_Checked", true));
    SetValue(9, ReadBoolOr(section, L"Lock", true));
    RestoreNumber(section, L"ALIGN", 0, 255,
                  [&](long long v) { edgeFlags_ = static_cast<uint8_t>(v) & kAllEdges; });
    ApplyEdges();

    clock.Refresh();
    RegisterHotKeys(true);
}

void TfrmClock::SaveSettings() {
    RegistrySection section(settings_.root, settings_.path, true);
    if (!section.IsOpen())
        return;
    section.Write(L"FormVersion", std::to_wstring(kFormVersion));
    SaveWindowPosition(section);

    const TztLED& led = panel_->GetLED();
    const TCustomZentik& clock = engine_->Engine();
    section.Write(L"HideItem_Checked", BoolText(hideOnMouseOver_));
    section.Write(L"MainScreen_LEDActiveColor", std::to_wstring(led.GetActiveColor()));
    section.Write(L"MainScreen_LEDInActiveColor", std::to_wstring(led.GetInActiveColor()));
    section.Write(L"MainScreen_LEDColor", std::to_wstring(led.GetColor()));
    section.Write(L"MainScreen_LEDHorzsize", std::to_wstring(led.GetHorzsize()));
    section.Write(L"MainScreen_LEDVertsize", std::to_wstring(led.GetVertsize()));
    section.Write(L"MainScreen_LEDThickness", std::to_wstring(led.GetThickness()));
    section.Write(L"MainScreen_BorderColor", std::to_wstring(panel_->GetBorderColor()));
    section.Write(L"MainScreen_BorderWidth", std::to_wstring(panel_->GetBorderWidth()));
    section.Write(L"CZentik_CustomFormat", TrimText(clock.GetCustomFormat()));
    section.Write(L"CZentik_UseCustomFormat", BoolText(clock.GetUseCustomFormat()));
    section.Write(L"CZentik_AlarmEnabled", BoolText(clock.GetAlarmEnabled()));
    section.Write(L"CZentik_AlarmHour", std::to_wstring(clock.GetAlarmPart(1)));
    section.Write(L"CZentik_AlarmMinute", std::to_wstring(clock.GetAlarmPart(2)));
    section.Write(L"CZentik_AlarmSecond", std::to_wstring(clock.GetAlarmPart(3)));
    section.Write(L"CZentik_ShowSeconds", BoolText(clock.GetShowSeconds()));
    section.Write(L"CZentik_SecondFlash", BoolText(clock.GetSecondFlash()));
    section.WriteList(kBindingsKey, clickEvents_.ToLines());
    section.Write(L"TrayIcon_Active", BoolText(tray_.Active()));

    section.Write(L"AlwaysOnTop_Checked", BoolText(GetValue(7) != 0));
    section.Write(L"Lock", BoolText(locked_));
    section.Write(L"Alpha", std::to_wstring(alpha_));
    section.Write(L"AlarmCmnd", alarmCommand_);
    section.Write(L"SnapScreen", BoolText(snapScreen_));
    section.Write(L"ALIGN", std::to_wstring(edgeFlags_));
    section.Write(L"Language", language_ ? TakeBstr(language_->GetLanguage()) : std::wstring());
    section.Write(L"UseBorder", transparentMode_ ? L"0" : L"1");
    plgMan_.Broadcast(msgSaving, 0, 0);
}

void TfrmClock::WriteOneValue(const wchar_t* name, const std::wstring& value) {
    RegistrySection section(settings_.root, settings_.path, true);
    section.Write(name, value);
}

} // namespace zt

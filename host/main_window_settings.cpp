// Saving and restoring the clock window's settings in the registry.

#include <climits>
#include <optional>
#include <vector>

#include "host/main_window.h"
#include "host/registry_section.h"
#include "host/screen_edges.h"
#include "host/settings_text.h"

namespace zt {

namespace {

constexpr int kFormVersion = 2;
constexpr wchar_t kBindingsKey[] = L"ClickEvents_Strings";
constexpr wchar_t kFormVersionName[] = L"FormVersion";

int ScreenPixelsPerInch() {
    const HDC screen = ::GetDC(nullptr);
    const int ppi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return ppi;
}

std::wstring ScreenSuffix() {
    return ScreenSizeSuffix(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}

using StoredValue = TfrmClock::StoredValue;

// A "True"/"False" value; absent or unreadable, whenAbsent is applied when given.
template <typename Get, typename Set>
StoredValue BoolValue(const wchar_t* name, Get get, Set set, std::optional<bool> whenAbsent = {}) {
    return {name, [get] { return BoolText(get()); },
            [set, whenAbsent](const std::optional<std::wstring>& text) {
                std::optional<bool> value = text ? ParseBool(TrimText(*text)) : std::nullopt;
                if (!value)
                    value = whenAbsent;
                if (value)
                    set(*value);
            }};
}

// A decimal value within [min, max].
template <typename Get, typename Set>
StoredValue NumberValue(const wchar_t* name, long long min, long long max, Get get, Set set) {
    return {name, [get] { return std::to_wstring(get()); },
            [set, min, max](const std::optional<std::wstring>& text) {
                if (!text)
                    return;
                if (auto value = ParseInteger(TrimText(*text), min, max))
                    set(*value);
            }};
}

template <typename Get, typename Set> StoredValue TextValue(const wchar_t* name, Get get, Set set) {
    return {name, [get] { return get(); },
            [set](const std::optional<std::wstring>& text) {
                if (text)
                    set(*text);
            }};
}

} // namespace

void TfrmClock::RestoreWindowPosition(RegistrySection& section) {
    RECT rect{};
    ::GetWindowRect(Window(), &rect);
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
    ::SetWindowPos(Window(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmClock::SaveWindowPosition(RegistrySection& section) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(Window(), &placement);
    RECT rect{};
    ::GetWindowRect(Window(), &rect);
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

// The stored values in restore order: ALIGN after the window settings it depends on,
// the transparent colour from the LED background read before it.
std::vector<TfrmClock::StoredValue> TfrmClock::StoredValues() {
    TztLED* led = &panel_->GetLED();
    TCustomZentik* clock = &engine_->Engine();
    const auto alarmPart = [clock](const wchar_t* name, int part) {
        return NumberValue(
            name, 0, 255, [clock, part] { return clock->GetAlarmPart(part); },
            [clock, part](long long v) {
                try {
                    clock->SetAlarmPart(part, static_cast<uint8_t>(v));
                } catch (const EConvertError&) {
                    // not a time of day: the alarm keeps its value
                }
            });
    };
    const auto color = [](const wchar_t* name, auto get, auto set) {
        return NumberValue(name, INT_MIN, INT_MAX, get,
                           [set](long long v) { set(static_cast<ZT_COLOR>(v)); });
    };
    const auto size = [](const wchar_t* name, auto get, auto set) {
        return NumberValue(name, 0, 65535, get,
                           [set](long long v) { set(static_cast<uint16_t>(v)); });
    };
    return {
        BoolValue(
            L"HideItem_Checked", [this] { return hideOnMouseOver_; },
            [this](bool v) { hideOnMouseOver_ = v; }),
        color(
            L"MainScreen_LEDActiveColor", [led] { return led->GetActiveColor(); },
            [led](ZT_COLOR v) { led->SetActiveColor(v); }),
        color(
            L"MainScreen_LEDInActiveColor", [led] { return led->GetInActiveColor(); },
            [led](ZT_COLOR v) { led->SetInActiveColor(v); }),
        color(
            L"MainScreen_LEDColor", [led] { return led->GetColor(); },
            [this](ZT_COLOR v) { panel_->SetColor(v); }),
        size(
            L"MainScreen_LEDHorzsize", [led] { return led->GetHorzsize(); },
            [led](uint16_t v) { led->SetHorzsize(v); }),
        size(
            L"MainScreen_LEDVertsize", [led] { return led->GetVertsize(); },
            [led](uint16_t v) { led->SetVertsize(v); }),
        size(
            L"MainScreen_LEDThickness", [led] { return led->GetThickness(); },
            [led](uint16_t v) { led->SetThickness(v); }),
        color(
            L"MainScreen_BorderColor", [this] { return panel_->GetBorderColor(); },
            [this](ZT_COLOR v) { panel_->SetBorderColor(v); }),
        size(
            L"MainScreen_BorderWidth", [this] { return panel_->GetBorderWidth(); },
            [this](uint16_t v) { panel_->SetBorderWidth(v); }),
        TextValue(
            L"CZentik_CustomFormat", [clock] { return TrimText(clock->GetCustomFormat()); },
            [clock](const std::wstring& v) { clock->SetCustomFormat(TrimText(v)); }),
        BoolValue(
            L"CZentik_UseCustomFormat", [clock] { return clock->GetUseCustomFormat(); },
            [clock](bool v) { clock->SetUseCustomFormat(v); }),
        BoolValue(
            L"CZentik_AlarmEnabled", [clock] { return clock->GetAlarmEnabled(); },
            [clock](bool v) { clock->SetAlarmEnabled(v); }),
        alarmPart(L"CZentik_AlarmHour", 1),
        alarmPart(L"CZentik_AlarmMinute", 2),
        alarmPart(L"CZentik_AlarmSecond", 3),
        BoolValue(
            L"CZentik_ShowSeconds", [clock] { return clock->GetShowSeconds(); },
            [clock](bool v) { clock->SetShowSeconds(v); }),
        BoolValue(
            L"CZentik_SecondFlash", [clock] { return clock->GetSecondFlash(); },
            [clock](bool v) { clock->StoreSecondFlash(v); }),
        BoolValue(
            L"TrayIcon_Active", [this] { return tray_.Active(); },
            [this](bool v) { tray_.SetActive(v); }),
        // Absent means "0": the transparent-colour mode, keyed on the LED background.
        {L"UseBorder", [this] { return std::wstring(transparentMode_ ? L"0" : L"1"); },
         [this, led](const std::optional<std::wstring>& text) {
             transparentColor_ = ResolveColor(led->GetColor());
             transparentMode_ = TrimText(text.value_or(L"0")) == L"0";
         }},
        NumberValue(
            L"Alpha", 0, 255, [this] { return alpha_; },
            [this](long long v) { alpha_ = static_cast<BYTE>(v); }),
        {L"AlarmCmnd", [this] { return alarmCommand_; },
         [this](const std::optional<std::wstring>& text) {
             if (text)
                 alarmCommand_ = *text;
         }},
        BoolValue(
            L"SnapScreen", [this] { return snapScreen_; },
            [this](bool v) { SetValue(ztvScreenSnap, v); }, true),
        BoolValue(
            L"AlwaysOnTop_Checked", [this] { return Value(ztvAlwaysOnTop) != 0; },
            [this](bool v) { SetValue(ztvAlwaysOnTop, v); }, true),
        BoolValue(
            L"Lock", [this] { return locked_; }, [this](bool v) { SetValue(ztvLocked, v); }, true),
        NumberValue(
            L"ALIGN", 0, 255, [this] { return edgeFlags_; },
            [this](long long v) { edgeFlags_ = static_cast<uint8_t>(v) & kAllEdges; }),
        {L"Language",
         [this] { return language_ ? ztTakeBstr(language_->GetLanguage()) : std::wstring(); },
         nullptr},
    };
}

void TfrmClock::RestoreSettings() {
    RegistrySection section(settings_.root, settings_.path, false);
    const auto version = section.Read(kFormVersionName);
    if (!version || ParseInteger(*version, INT_MIN, INT_MAX).value_or(0) < kFormVersion)
        return; // first start: the design stays

    RestoreWindowPosition(section);
    // A value that cannot be assigned leaves its setting as it is.
    for (const StoredValue& value : StoredValues())
        if (value.read)
            value.read(section.Read(value.name));
    if (auto lines = section.ReadList(kBindingsKey))
        clickEvents_.SetLines(*lines);
    alphaBlend_ = alpha_ != 255;
    ApplyLayered();
    ApplyEdges();
    engine_->Engine().Refresh();
    RegisterHotKeys(true);
}

void TfrmClock::SaveSettings() {
    RegistrySection section(settings_.root, settings_.path, true);
    if (!section.IsOpen())
        return;
    section.Write(kFormVersionName, std::to_wstring(kFormVersion));
    SaveWindowPosition(section);
    for (const StoredValue& value : StoredValues())
        section.Write(value.name, value.write());
    section.WriteList(kBindingsKey, clickEvents_.ToLines());
    plgMan_.Broadcast(msgSaving, 0, 0);
}

void TfrmClock::WriteOneValue(const wchar_t* name, const std::wstring& value) {
    RegistrySection section(settings_.root, settings_.path, true);
    section.Write(name, value);
}

} // namespace zt

#include "speech_settings.h"

#include <windows.h>

#include "common/handles.h"

namespace zt {
namespace {

struct BoolValue {
    const wchar_t* name;
    bool SpeechSettings::*flag;
    bool SpeechSwitches::*sayFlag;
};
constexpr BoolValue kBools[] = {
    {L"Today", nullptr, &SpeechSwitches::today},
    {L"Hour", nullptr, &SpeechSwitches::hour},
    {L"Minute", nullptr, &SpeechSwitches::minute},
    {L"Month", nullptr, &SpeechSwitches::month},
    {L"Date", nullptr, &SpeechSwitches::date},
    {L"Time", nullptr, &SpeechSwitches::time},
    {L"EveryHour", &SpeechSettings::everyHour, nullptr},
    {L"EveryHourPlay", &SpeechSettings::everyHourPlay, nullptr},
};

bool& Flag(SpeechSettings& settings, const BoolValue& value) {
    return value.flag ? settings.*value.flag : settings.say.*value.sayFlag;
}

void ReadBool(HKEY key, const wchar_t* name, bool& value) {
    DWORD data = 0;
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof(data))
        value = data != 0;
}

void ReadString(HKEY key, const wchar_t* name, std::wstring& value) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                           &size) != ERROR_SUCCESS)
        return;
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    value = text;
}

bool WriteString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

} // namespace

SpeechSettings LoadSpeechSettings(const std::wstring& keyPath) {
    SpeechSettings settings;
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return settings;
    const UniqueKey key(raw);
    for (const BoolValue& value : kBools)
        ReadBool(key.get(), value.name, Flag(settings, value));
    ReadString(key.get(), L"CurSPlgName", settings.voice);
    ReadString(key.get(), L"EveryHourPlayFile", settings.chimeFile);
    return settings;
}

bool SaveSpeechSettings(const std::wstring& keyPath, const SpeechSettings& settings) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    const UniqueKey key(raw);
    bool ok = WriteString(key.get(), L"CurSPlgName", settings.voice);
    SpeechSettings copy = settings;
    for (const BoolValue& value : kBools) {
        const DWORD data = Flag(copy, value) ? 1 : 0;
        ok =
            ::RegSetValueExW(key.get(), value.name, 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&data), sizeof(data)) == ERROR_SUCCESS &&
            ok;
    }
    return WriteString(key.get(), L"EveryHourPlayFile", settings.chimeFile) && ok;
}

} // namespace zt

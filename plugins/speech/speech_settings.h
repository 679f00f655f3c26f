#pragma once
// The Speech plug-in's settings in the registry, under HKEY_CURRENT_USER (key
// "Software\Ombrelt\Zentik\Plugins\Speech.Zentik"): strings "CurSPlgName" and
// "EveryHourPlayFile", booleans (REG_DWORD 0 or 1) "Today", "Date", "Month", "Time",
// "Hour", "Minute", "EveryHour" and "EveryHourPlay". A missing value keeps its default.

#include <string>

#include "speech_words.h"

namespace zt {

struct SpeechSettings {
    SpeechSwitches say;
    bool everyHour = true;     // speak at the start of every hour
    bool everyHourPlay = true; // play the chime first
    std::wstring voice;        // file name in the plug-in folder
    std::wstring chimeFile;    // full path

    bool operator==(const SpeechSettings&) const = default;
};

inline constexpr wchar_t kSpeechSettingsKey[] =
    L"Software\\Ombrelt\\Zentik\\Plugins\\Speech.Zentik";

// The stored settings; defaults for what is missing.
SpeechSettings LoadSpeechSettings(const std::wstring& keyPath);
// Writes all ten values, creating the key; false on failure.
bool SaveSpeechSettings(const std::wstring& keyPath, const SpeechSettings& settings);

} // namespace zt

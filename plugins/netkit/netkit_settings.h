#pragma once
// The Netkit plug-in's record in the registry, under HKEY_CURRENT_USER (key
// "Software\Ombrelt\Zentik\Plugins\Netkit.Zentik"): REG_DWORD "EnableNextSynch" (0/1),
// "PortSynch" (0..255) and "ReceiveTimeOutSynch" (0..65535), REG_SZ "HostSynch" and
// "StatusSynch", REG_BINARY "LastSynch" and "LastLuckySynch" (8-byte date-time doubles).
// A value that is missing, of another type or out of range keeps the default.
//
// The host list file "HostList.txt" beside the plug-in: 8-bit text (UTF-8, else the ANSI
// code page), one server per line; written as UTF-8 with CR LF.

#include <optional>
#include <string>
#include <vector>

#include "synchronizator.h"

namespace zt {

inline constexpr wchar_t kNetkitSettingsKey[] =
    L"Software\\Ombrelt\\Zentik\\Plugins\\Netkit.Zentik";
inline constexpr wchar_t kHostListFile[] = L"HostList.txt";

// The defaults, with defaultHost as the server.
TSynchronizator DefaultSynchronizator(const std::wstring& defaultHost);
// The defaults, then every stored value that is valid.
TSynchronizator LoadSynchronizator(const std::wstring& keyPath, const std::wstring& defaultHost);
// Writes all seven values, creating the key; false on failure.
bool SaveSynchronizator(const std::wstring& keyPath, const TSynchronizator& record);
// Writes the results of a run: "StatusSynch", "LastSynch", "LastLuckySynch".
bool SaveSyncResults(const std::wstring& keyPath, const TSynchronizator& record);

// The lines of the host list file; nullopt when it cannot be opened or read.
std::optional<std::vector<std::wstring>> ReadHostList(const std::wstring& path);
bool WriteHostList(const std::wstring& path, const std::vector<std::wstring>& lines);

} // namespace zt

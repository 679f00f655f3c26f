#pragma once
// The language manager on Windows: IztLanguageMan over TLangMan, files read with the
// Win32 API.
//
// Life cycle: start-up creates the one manager with
// CreateLanguageManager(ProgramFolder(), L"Language", code), calls Hold and keeps the
// reference until the process ends; the main window hands it out as kind 5 of
// GetInterface. The object counts its references with interlocked operations and deletes
// itself at the last Release, so plug-ins may keep it as long as they like.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/program_folder.h"
#include "host/lang_man.h"
#include "zentik/ztLanguageMan.h"

namespace zt {

// Language files through CreateFileW, GetFileAttributesW and FindFirstFileExW.
class WinLangFileAccess final : public LangFileAccess {
public:
    std::optional<std::string> ReadFile(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    std::vector<std::wstring> ListFolder(const std::wstring& folder) override;
};

// A new manager holding one reference (the caller releases it), with the language folder
// programFolder\folderName and the current language code. files: how files are read;
// null selects WinLangFileAccess. Null when the object cannot be created.
IztLanguageMan* CreateLanguageManager(const std::wstring& programFolder,
                                      const std::wstring& folderName, const std::wstring& code,
                                      std::shared_ptr<LangFileAccess> files = nullptr);

} // namespace zt

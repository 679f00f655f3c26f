#pragma once
// The language manager: user texts of every module, by module name and key.
//
// A module's texts live in <program folder>\<folder name>\<code>\<module>.ztl, an INI file
// (host/ini_file.h). A key is "section=ident", or an ident alone for section "DEFAULT".
// Users open a module, translate any number of keys and close it again. Open modules are
// shared by name (case-sensitive) and counted; a module nobody uses is freed by the next
// purge, which runs whenever the hold count is 0 at CloseModule, at SetLanguage and when
// the last hold is released. Keys missing in the current language come from the "ru"
// file of the module, then as empty text.
//
// Every operation may be called from any thread. One lock guards the code and the module
// list; it is never held while files are read. No operation throws: failures give empty
// text or a null handle.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/ini_file.h"

namespace zt {

// File access of the language manager. Paths use '\' between their parts.
class LangFileAccess {
public:
    virtual ~LangFileAccess() = default;
    // The whole content of a file, or nothing when it cannot be read.
    virtual std::optional<std::string> ReadFile(const std::wstring& path) = 0;
    // True when path names an existing file (not a folder).
    virtual bool FileExists(const std::wstring& path) = 0;
    // The names of the entries (files and folders, without "." and "..") of a folder
    // given with a trailing '\'.
    virtual std::vector<std::wstring> ListFolder(const std::wstring& folder) = 0;
};

// LangFileAccess on std::filesystem. Outside Windows, '\' in a path is read as '/'.
class PortableLangFileAccess final : public LangFileAccess {
public:
    std::optional<std::string> ReadFile(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    std::vector<std::wstring> ListFolder(const std::wstring& folder) override;
};

// An open module as users see it; 0 is no module. Values are never reused, so a stale
// handle reaches nothing.
using LangModuleHandle = std::uintptr_t;

// Splits a key at its first '=' into section and ident; without '=' the section is
// "DEFAULT" and the ident the whole key.
std::pair<std::wstring, std::wstring> SplitLangKey(std::wstring_view key);
// Turns each "\n" (backslash, letter n) into CR LF, except where the backslash follows
// another backslash: then the text stays as it is.
std::wstring ExpandLineBreaks(std::wstring_view text);
// "<root>\<folder>\<code>\<module>.ztl".
std::wstring LangFilePath(std::wstring_view root, std::wstring_view folder, std::wstring_view code,
                          std::wstring_view module);

class TLangMan {
public:
    // The language used for keys missing in the current language.
    static constexpr std::wstring_view kFallbackCode = L"ru";
    // The language selected by SetLanguage with an empty code.
    static constexpr std::wstring_view kDefaultCode = L"en";
    // Codes longer than this are cut.
    static constexpr size_t kMaxCodeLength = 3;

    // programFolder: the folder holding the language folder (a trailing separator is
    // dropped); folderName: the language folder, "Language"; code: the current language,
    // cut to kMaxCodeLength (empty stays empty). The hold count starts at 0.
    TLangMan(std::wstring programFolder, std::wstring folderName, std::wstring_view code,
             std::shared_ptr<LangFileAccess> files);
    TLangMan(const TLangMan&) = delete;
    TLangMan& operator=(const TLangMan&) = delete;

    // "<display name>=<code>;..." for every entry of the language folder that has a file
    // for module, sorted by code; the display name is DEFAULT/LANGUAGE of that file.
    std::wstring GetLanguageList(std::wstring_view module) const noexcept;
    // Selects a language and re-reads every open module in it. The same text as the
    // current code does nothing; an empty code selects kDefaultCode.
    void SetLanguage(std::wstring_view code) noexcept;
    std::wstring GetLanguage() const noexcept;

    // Opens (or shares) module name; 0 on failure.
    LangModuleHandle OpenModule(std::wstring_view name) noexcept;
    // The text of key in an open module, line breaks expanded; empty when the key is found
    // in neither the current nor the fallback language, or the handle is not open.
    std::wstring Translate(LangModuleHandle handle, std::wstring_view key) noexcept;
    // Purges first when nothing holds the manager, then drops one user of the module.
    // Unknown handles and modules without users are left alone.
    void CloseModule(LangModuleHandle handle) noexcept;

    // Keeps unused modules open until the matching Release.
    void Hold() noexcept;
    // Drops one hold and purges when none is left. Without a hold it only purges.
    void Release() noexcept;

    int HoldCount() const noexcept { return hold_.load(); }
    // The number of modules in memory, used or not.
    size_t ModuleCount() const noexcept;

private:
    struct Module {
        LangModuleHandle handle = 0;
        std::wstring name;
        int users = 0;
        std::shared_ptr<const IniFile> file;
        std::shared_ptr<const IniFile> fallback; // null until a key is missing
    };

    std::shared_ptr<const IniFile> Load(std::wstring_view code, std::wstring_view module) const;
    Module* FindLocked(LangModuleHandle handle);
    void PurgeLocked();

    const std::wstring root_;
    const std::wstring folder_;
    const std::shared_ptr<LangFileAccess> files_;
    std::atomic<int> hold_{0};

    mutable std::mutex lock_;
    std::wstring code_;
    std::vector<std::unique_ptr<Module>> modules_;
    LangModuleHandle lastHandle_ = 0;
};

} // namespace zt

#include "host/lang_man.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/utf.h"

namespace zt {

namespace {

std::filesystem::path ToPath(const std::wstring& path) {
#ifdef _WIN32
    return std::filesystem::path(path);
#else
    std::wstring posix = path;
    std::replace(posix.begin(), posix.end(), L'\\', L'/');
    return std::filesystem::path(WideToUtf8(posix));
#endif
}

std::wstring FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return Utf8ToWide(path.string());
#endif
}

// A sane number of retries when the language changes while a file is being read.
constexpr int kMaxLoadAttempts = 8;

} // namespace

std::optional<std::string> PortableLangFileAccess::ReadFile(const std::wstring& path) {
    std::ifstream in(ToPath(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool PortableLangFileAccess::FileExists(const std::wstring& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(ToPath(path), ec);
}

std::vector<std::wstring> PortableLangFileAccess::ListFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(ToPath(folder), ec);
    const std::filesystem::directory_iterator end;
    while (!ec && it != end) {
        names.push_back(FromPath(it->path().filename()));
        it.increment(ec);
    }
    return names;
}

std::pair<std::wstring, std::wstring> SplitLangKey(std::wstring_view key) {
    const size_t eq = key.find(L'=');
    if (eq == std::wstring_view::npos)
        return {L"DEFAULT", std::wstring(key)};
    return {std::wstring(key.substr(0, eq)), std::wstring(key.substr(eq + 1))};
}

std::wstring ExpandLineBreaks(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n' &&
            (i == 0 || text[i - 1] != L'\\')) {
            out += L"\r\n";
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::wstring LangFilePath(std::wstring_view root, std::wstring_view folder, std::wstring_view code,
                          std::wstring_view module) {
    std::wstring path;
    path.reserve(root.size() + folder.size() + code.size() + module.size() + 7);
    path.append(root).append(L"\\").append(folder).append(L"\\").append(code).append(L"\\");
    path.append(module).append(L".ztl");
    return path;
}

TLangMan::TLangMan(std::wstring programFolder, std::wstring folderName, std::wstring_view code,
                   std::shared_ptr<LangFileAccess> files)
    : root_([](std::wstring root) {
          while (!root.empty() && (root.back() == L'\\' || root.back() == L'/'))
              root.pop_back();
          return root;
      }(std::move(programFolder))),
      folder_(std::move(folderName)), files_(std::move(files)),
      code_(code.substr(0, kMaxCodeLength)) {}

std::shared_ptr<const IniFile> TLangMan::Load(std::wstring_view code,
                                              std::wstring_view module) const {
    const std::optional<std::string> bytes =
        files_ ? files_->ReadFile(LangFilePath(root_, folder_, code, module)) : std::nullopt;
    return std::make_shared<const IniFile>(bytes ? IniFile::FromBytes(*bytes) : IniFile());
}

TLangMan::Module* TLangMan::FindLocked(LangModuleHandle handle) {
    if (handle == 0)
        return nullptr;
    for (const auto& module : modules_) {
        if (module->handle == handle)
            return module.get();
    }
    return nullptr;
}

void TLangMan::PurgeLocked() {
    for (size_t i = modules_.size(); i-- > 0;) {
        if (modules_[i]->users == 0)
            modules_.erase(modules_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

std::wstring TLangMan::GetLanguageList(std::wstring_view module) const noexcept {
    try {
        if (!files_)
            return {};
        const std::wstring folder = root_ + L"\\" + folder_ + L"\\";
        std::vector<std::wstring> entries = files_->ListFolder(folder);
        std::sort(entries.begin(), entries.end());
        std::wstring list;
        for (const std::wstring& entry : entries) {
            if (entry.empty() || entry == L"." || entry == L"..")
                continue;
            std::wstring path = folder + entry + L"\\";
            path.append(module).append(L".ztl");
            if (!files_->FileExists(path))
                continue;
            const std::optional<std::string> bytes = files_->ReadFile(path);
            const IniFile file = bytes ? IniFile::FromBytes(*bytes) : IniFile();
            list += file.ReadString(L"DEFAULT", L"LANGUAGE", L"");
            list += L'=';
            list += entry;
            list += L';';
        }
        if (!list.empty())
            list.pop_back();
        return list;
    } catch (...) {
        return {};
    }
}

void TLangMan::SetLanguage(std::wstring_view code) noexcept {
    try {
        std::wstring selected;
        std::vector<std::pair<LangModuleHandle, std::wstring>> open;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (code == code_)
                return;
            selected = code.empty() ? std::wstring(kDefaultCode)
                                    : std::wstring(code.substr(0, kMaxCodeLength));
            code_ = selected;
            if (hold_.load() == 0)
                PurgeLocked();
            for (const auto& module : modules_)
                open.emplace_back(module->handle, module->name);
        }
        for (const auto& [handle, name] : open) {
            std::shared_ptr<const IniFile> file = Load(selected, name);
            std::lock_guard<std::mutex> guard(lock_);
            if (code_ != selected)
                return; // a later change re-points the modules itself
            if (Module* module = FindLocked(handle))
                module->file = std::move(file);
        }
    } catch (...) {
        // The modules keep whatever file they had; texts may come from the old language.
    }
}

std::wstring TLangMan::GetLanguage() const noexcept {
    try {
        std::lock_guard<std::mutex> guard(lock_);
        return code_;
    } catch (...) {
        return {};
    }
}

LangModuleHandle TLangMan::OpenModule(std::wstring_view name) noexcept {
    try {
        std::unique_lock<std::mutex> guard(lock_);
        for (int attempt = 1;; ++attempt) {
            for (auto it = modules_.rbegin(); it != modules_.rend(); ++it) {
                if ((*it)->name == name) {
                    ++(*it)->users;
                    return (*it)->handle;
                }
            }
            const std::wstring code = code_;
            guard.unlock();
            std::shared_ptr<const IniFile> file = Load(code, name);
            guard.lock();
            // Another thread may have opened the module or changed the language meanwhile.
            bool opened = false;
            for (const auto& module : modules_)
                opened = opened || module->name == name;
            if (opened || (code != code_ && attempt < kMaxLoadAttempts))
                continue;
            auto module = std::make_unique<Module>();
            module->handle = ++lastHandle_;
            module->name = std::wstring(name);
            module->users = 1;
            module->file = std::move(file);
            modules_.push_back(std::move(module));
            return lastHandle_;
        }
    } catch (...) {
        return 0;
    }
}

std::wstring TLangMan::Translate(LangModuleHandle handle, std::wstring_view key) noexcept {
    try {
        const auto [section, ident] = SplitLangKey(key);
        std::shared_ptr<const IniFile> file;
        std::shared_ptr<const IniFile> fallback;
        std::wstring name;
        {
            std::lock_guard<std::mutex> guard(lock_);
            const Module* module = FindLocked(handle);
            if (!module)
                return {};
            file = module->file;
            fallback = module->fallback;
            name = module->name;
        }
        std::optional<std::wstring> value = file ? file->Find(section, ident) : std::nullopt;
        if (!value) {
            if (!fallback) {
                fallback = Load(kFallbackCode, name);
                std::lock_guard<std::mutex> guard(lock_);
                if (Module* module = FindLocked(handle)) {
                    if (module->fallback)
                        fallback = module->fallback;
                    else
                        module->fallback = fallback;
                }
            }
            value = fallback->Find(section, ident);
        }
        return value ? ExpandLineBreaks(*value) : std::wstring();
    } catch (...) {
        return {};
    }
}

void TLangMan::CloseModule(LangModuleHandle handle) noexcept {
    std::lock_guard<std::mutex> guard(lock_);
    if (hold_.load() == 0)
        PurgeLocked();
    if (Module* module = FindLocked(handle); module && module->users > 0)
        --module->users;
}

void TLangMan::Hold() noexcept {
    hold_.fetch_add(1);
}

void TLangMan::Release() noexcept {
    int holds = hold_.load();
    while (holds > 0 && !hold_.compare_exchange_weak(holds, holds - 1)) {
    }
    if (holds > 1)
        return;
    std::lock_guard<std::mutex> guard(lock_);
    if (hold_.load() == 0)
        PurgeLocked();
}

size_t TLangMan::ModuleCount() const noexcept {
    std::lock_guard<std::mutex> guard(lock_);
    return modules_.size();
}

} // namespace zt

#include "host/lang_man_intf.h"

#include <oleauto.h>

#include <cstdint>
#include <new>

#include "common/diag_log.h"
#include "common/handles.h"
#include "zentik/ztComHelpers.h"

namespace zt {

namespace {

// Language files are small; anything larger is not one.
constexpr LONGLONG kMaxLanguageFileSize = 16 * 1024 * 1024;

ZT_LANG_MODULE ToModule(LangModuleHandle handle) {
    return reinterpret_cast<ZT_LANG_MODULE>(handle);
}

LangModuleHandle FromModule(ZT_LANG_MODULE module) {
    return reinterpret_cast<LangModuleHandle>(module);
}

class LanguageManager final : public IztLanguageMan {
public:
    LanguageManager(const std::wstring& programFolder, const std::wstring& folderName,
                    const std::wstring& code, std::shared_ptr<LangFileAccess> files)
        : man_(programFolder, folderName, code, std::move(files)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IztLanguageMan)) {
            *object = static_cast<IztLanguageMan*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(::InterlockedIncrement(&refs_));
    }

    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = ::InterlockedDecrement(&refs_);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

    // TLangMan's operations do not throw; the guards cover the text copies made here.
    BSTR STDMETHODCALLTYPE GetLanguageList(const wchar_t* module) override {
        try {
            return ztAllocBstr(man_.GetLanguageList(ztTextView(module)));
        } catch (...) {
            DiagLogCaught(L"IztLanguageMan::GetLanguageList");
            return nullptr;
        }
    }

    void STDMETHODCALLTYPE SetLanguage(const wchar_t* code) override {
        man_.SetLanguage(ztTextView(code));
    }

    BSTR STDMETHODCALLTYPE GetLanguage() override {
        try {
            return ztAllocBstr(man_.GetLanguage());
        } catch (...) {
            DiagLogCaught(L"IztLanguageMan::GetLanguage");
            return nullptr;
        }
    }

    ZT_LANG_MODULE STDMETHODCALLTYPE OpenModule(const wchar_t* name) override {
        if (!name)
            return nullptr;
        return ToModule(man_.OpenModule(name));
    }

    BSTR STDMETHODCALLTYPE Translate(ZT_LANG_MODULE module, const wchar_t* key) override {
        try {
            return ztAllocBstr(man_.Translate(FromModule(module), ztTextView(key)));
        } catch (...) {
            DiagLogCaught(L"IztLanguageMan::Translate");
            return nullptr;
        }
    }

    void STDMETHODCALLTYPE CloseModule(ZT_LANG_MODULE module) override {
        man_.CloseModule(FromModule(module));
    }

    void STDMETHODCALLTYPE Hold() override { man_.Hold(); }

    void STDMETHODCALLTYPE ReleaseHold() override { man_.Release(); }

private:
    ~LanguageManager() = default;

    LONG refs_ = 1;
    TLangMan man_;
};

} // namespace

std::optional<std::string> WinLangFileAccess::ReadFile(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxLanguageFileSize)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                        &read, nullptr))
            return std::nullopt;
        if (read == 0)
            break; // the file shrank meanwhile
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

bool WinLangFileAccess::FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> WinLangFileAccess::ListFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    const std::wstring pattern = folder + L"*";
    UniqueFind find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(find.get(), &data));
    return names;
}

IztLanguageMan* CreateLanguageManager(const std::wstring& programFolder,
                                      const std::wstring& folderName, const std::wstring& code,
                                      std::shared_ptr<LangFileAccess> files) {
    try {
        if (!files)
            files = std::make_shared<WinLangFileAccess>();
        return new LanguageManager(programFolder, folderName, code, std::move(files));
    } catch (...) {
        DiagLogCaught(L"CreateLanguageManager");
        return nullptr;
    }
}

} // namespace zt

#include "framework/plugin_man.h"

#include "common/program_folder.h"

#include <oleauto.h>

#include <cstdint>
#include <type_traits>
#include <utility>

#include "common/diag_log.h"
#include "common/message_box.h"
#include "common/utf.h"
#include "zentik/ztComHelpers.h"

namespace zt {

static_assert(std::is_same_v<TztMsgCallback, ZT_MSG_CALLBACK>);
static_assert(std::is_same_v<std::intptr_t, INT_PTR>);

namespace {

constexpr wchar_t kInvalidIndex[] = L"Invalid index";

std::wstring Quoted(const std::wstring& fileName) {
    return L"\"" + fileName + L"\"";
}

// A drive path ("C:\...") or a UNC path ("\\server\...").
bool IsFullPath(const std::wstring& path) {
    auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (path.size() >= 3 && path[1] == L':' && separator(path[2]))
        return (path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z');
    return path.size() >= 3 && separator(path[0]) && separator(path[1]);
}

// The file search also matches short 8.3 names ("x.pztx" as "X~1.PZT"): keep only names
// whose own extension is the one asked for.
bool HasExtension(const std::wstring& name, const std::wstring& extension) {
    if (name.size() <= extension.size() || name[name.size() - extension.size() - 1] != L'.')
        return false;
    return ::CompareStringOrdinal(name.c_str() + name.size() - extension.size(),
                                  static_cast<int>(extension.size()), extension.c_str(),
                                  static_cast<int>(extension.size()), TRUE) == CSTR_EQUAL;
}

// Loads a library with the search path narrowed to its own folder, the program's folder
// and the system folder; without the system's hard-error boxes. On failure error is the
// loader's error code.
HMODULE LoadLibraryNarrowed(const std::wstring& path, DWORD& error) {
    ::SetDllDirectoryW(L"");
    DWORD oldMode = 0;
    const bool modeSet =
        ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode) != 0;
    HMODULE module =
        ::LoadLibraryExW(path.c_str(), nullptr,
                         LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                             LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without these flags refuse them as an invalid parameter.
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER)
        module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    error = module ? ERROR_SUCCESS : ::GetLastError();
    if (modeSet)
        ::SetThreadErrorMode(oldMode, nullptr);
    return module;
}

// The address range of a loaded module's image.
std::pair<std::uintptr_t, std::uintptr_t> ImageRange(HMODULE module) {
    const auto base = reinterpret_cast<std::uintptr_t>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    if (!module || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return {0, 0};
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE)
        return {0, 0};
    return {base, base + nt->OptionalHeader.SizeOfImage};
}

// The plug-in's name; false when the call failed.
bool TryGetName(IztPlugin* plugin, std::wstring& name) noexcept {
    try {
        name = ztTakeBstr(plugin->GetName());
        return true;
    } catch (...) {
        DiagLogCaught(L"IztPlugin::GetName");
        return false;
    }
}

void DropReference(IUnknown* reference) noexcept {
    try {
        reference->Release();
    } catch (...) {
        // The reference is gone either way.
        DiagLogCaught(L"IUnknown::Release of a plug-in");
    }
}

// A user message as the start of a log line, without its final full stop.
std::wstring LogStart(const std::wstring& message) {
    return message.ends_with(L'.') ? message.substr(0, message.size() - 1) : message;
}

// Logs message with what went wrong, then throws message for the user.
[[noreturn]] void LoadFailed(const std::wstring& message, const std::wstring& detail) {
    DiagLog(LogStart(message) + L": " + detail);
    throw EztLoadPluginError(message);
}

// Logs, inside a catch block, message with the plug-in call that threw and the exception.
void LogCaught(const std::wstring& message, const wchar_t* call) noexcept {
    try {
        DiagLogCaught(LogStart(message) + L" (" + call + L")");
    } catch (...) {
        DiagLogCaught(call);
    }
}

// A plug-in reference not kept yet: dropped unless released to a container. Declared after
// the library's owner, so that it goes first.
class PluginReference {
public:
    explicit PluginReference(IztPlugin* plugin) noexcept : plugin_(plugin) {}
    PluginReference(const PluginReference&) = delete;
    PluginReference& operator=(const PluginReference&) = delete;
    ~PluginReference() { Reset(); }

    void Reset() noexcept {
        if (IztPlugin* plugin = std::exchange(plugin_, nullptr))
            DropReference(plugin);
    }
    IztPlugin* Release() noexcept { return std::exchange(plugin_, nullptr); }

private:
    IztPlugin* plugin_;
};

} // namespace

EztError::EztError(std::wstring message)
    : message_(std::move(message)), utf8_(WideToUtf8(message_)) {}

// One loaded plug-in and its library. Finalize runs before the library is freed; after
// Finalize the plug-in is never called again, not even to release it.
class TztPluginManager::Entry {
public:
    Entry() noexcept = default;
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    ~Entry() { Finalize(); }

    IztPlugin* Plugin() const noexcept { return plugin_; }
    HMODULE Module() const noexcept { return module_.get(); }

    // Takes over an initialised plug-in and its library.
    void Adopt(UniqueModule module, IztPlugin* plugin) noexcept {
        module_ = std::move(module);
        plugin_ = plugin;
    }

    void Finalize() noexcept {
        IztPlugin* plugin = std::exchange(plugin_, nullptr);
        if (!plugin)
            return;
        try {
            plugin->Finalize();
        } catch (...) {
            // The host goes on unloading; the object is considered destroyed.
            DiagLogCaught(L"IztPlugin::Finalize");
        }
    }

    // Leaves the library loaded for good: code in it may still be running.
    void KeepLibrary() noexcept { module_.release(); }

private:
    // Declared first: freed after the plug-in was finalised.
    UniqueModule module_;
    IztPlugin* plugin_ = nullptr;
};

TztPluginManager::TztPluginManager()
    : programFolder_(zt::ProgramFolder()), synchro_(std::make_unique<TztSynchroObj>()) {
    TztSynchroObj* synchro = synchro_.get();
    TztMsgBusPlatform platform;
    platform.MainThreadCall = [synchro](const std::function<int()>& call) {
        return synchro->Run(call);
    };
    platform.Wait = [synchro](const std::function<bool()>& done, unsigned timeoutMs) {
        return synchro->Wait(done, timeoutMs);
    };
    platform.Wake = [synchro] { synchro->Wake(); };
    platform.ReportCaught = [](const wchar_t* where) {
        DiagLogCaught(std::wstring(L"TztPluginMsgMan::") + where);
    };
    messages_ = std::make_unique<TztPluginMsgMan>(std::move(platform));
}

TztPluginManager::~TztPluginManager() {
    destroying_ = true;
    messages_->SetClosing();
    UnloadAllPlugins();
}

void TztPluginManager::SetExtension(const std::wstring& extension) {
    if (extension == extension_)
        return;
    if (extension.empty() || extension.size() > 3)
        throw EztError(L"Extension must be between 1 and 3 characters");
    extension_ = extension;
}

void TztPluginManager::SetProgramFolder(const std::wstring& folder) {
    std::wstring value = folder;
    while (!value.empty() && (value.back() == L'\\' || value.back() == L'/'))
        value.pop_back();
    programFolder_ = std::move(value);
}

std::wstring TztPluginManager::ScanFolder() const {
    std::wstring folder = programFolder_ + L"\\";
    if (!pluginFolder_.empty())
        folder += pluginFolder_ + L"\\";
    return folder;
}

void TztPluginManager::Scan() {
    if (OnBeforeLoading)
        OnBeforeLoading();
    const std::wstring folder = ScanFolder();
    const std::wstring pattern = folder + L"*." + extension_;
    WIN32_FIND_DATAW found{};
    UniqueFind find(::FindFirstFileW(pattern.c_str(), &found));
    if (find) {
        do {
            constexpr DWORD kSkipped =
                FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
            const std::wstring name = found.cFileName;
            if ((found.dwFileAttributes & kSkipped) != 0 || !HasExtension(name, extension_))
                continue;
            try {
                bool allowLoad = true;
                if (OnBeforeLoad)
                    OnBeforeLoad(name, allowLoad);
                if (allowLoad) {
                    LoadPluginFile(folder + name);
                    if (OnAfterLoad)
                        OnAfterLoad(name);
                }
            } catch (const EztPluginError& error) {
                ShowMessageBox(nullptr, error.Message().c_str(), kErrorTitle, MB_OK | MB_ICONERROR);
            }
        } while (::FindNextFileW(find.get(), &found));
        find.reset();
    }
    if (OnAfterLoading)
        OnAfterLoading();
}

bool TztPluginManager::LoadPluginFile(const std::wstring& fileName) {
    const std::wstring loadError = L"Error loading Plug-in " + Quoted(fileName);
    if (!IsFullPath(fileName))
        LoadFailed(loadError, L"not a full path");
    DWORD error = ERROR_SUCCESS;
    UniqueModule module(LoadLibraryNarrowed(fileName, error));
    if (!module)
        LoadFailed(loadError, SystemErrorText(error));
    const std::wstring invalid = Quoted(fileName) + L" is not a valid Plug-in";
    const auto registerPlugin = reinterpret_cast<ZT_REGISTER_PLUGIN>(
        reinterpret_cast<void*>(::GetProcAddress(module.get(), "ztRegisterPlugin")));
    if (!registerPlugin)
        LoadFailed(invalid, L"ztRegisterPlugin: " + SystemErrorText(::GetLastError()));

    const std::wstring initFailed = Quoted(fileName) + L" failed initialization.";
    IUnknown* unknown = nullptr;
    try {
        registerPlugin(&unknown);
    } catch (...) {
        LogCaught(initFailed, L"ztRegisterPlugin");
        throw EztLoadPluginError(initFailed);
    }
    if (!unknown)
        return false;
    IztPlugin* plugin = nullptr;
    HRESULT queried = E_NOINTERFACE;
    try {
        queried = unknown->QueryInterface(IID_IztPlugin, reinterpret_cast<void**>(&plugin));
    } catch (...) {
        LogCaught(invalid, L"QueryInterface");
        plugin = nullptr;
    }
    DropReference(unknown);
    if (FAILED(queried) || !plugin)
        LoadFailed(invalid, L"no IztPlugin");

    PluginReference reference(plugin);

    int maxInstances = 0;
    std::wstring name;
    try {
        maxInstances = plugin->GetMaxInstances();
    } catch (...) {
        LogCaught(initFailed, L"GetMaxInstances");
        throw EztLoadPluginError(initFailed);
    }
    if (!TryGetName(plugin, name))
        LoadFailed(initFailed, L"GetName failed");
    if (maxInstances >= 0) {
        int loaded = 0;
        std::wstring other;
        for (const auto& entry : plugins_)
            if (TryGetName(entry->Plugin(), other) && other == name)
                ++loaded;
        if (loaded >= maxInstances)
            return false;
    }

    // Made ready before Initialize: nothing may fail between a successful Initialize and the
    // plug-in's place in the list.
    plugins_.reserve(plugins_.size() + 1);
    auto entry = std::make_unique<Entry>();

    BOOL initialized = FALSE;
    bool threw = false;
    try {
        initialized = plugin->Initialize(static_cast<IztPluginMan*>(this));
    } catch (...) {
        LogCaught(initFailed, L"Initialize");
        threw = true;
    }
    if (!initialized || threw) {
        reference.Reset();
        // The plug-in may have subscribed or announced commands before it failed; its code
        // is about to go.
        if (!ReleaseCode(module.get()))
            module.release();
        if (threw)
            throw EztLoadPluginError(initFailed);
        LoadFailed(initFailed, L"Initialize returned FALSE");
    }
    entry->Adopt(std::move(module), reference.Release());
    plugins_.push_back(std::move(entry));
    return true;
}

void TztPluginManager::UnloadPluginAt(int index) {
    if (index < 0 || index >= PluginCount())
        throw EztError(kInvalidIndex);
    std::unique_ptr<Entry> entry = std::move(plugins_[static_cast<std::size_t>(index)]);
    plugins_.erase(plugins_.begin() + index);
    entry->Finalize();
    if (!ReleaseCode(entry->Module()))
        entry->KeepLibrary();
}

bool TztPluginManager::ReleaseCode(HMODULE module) noexcept {
    const auto [begin, end] = ImageRange(module);
    messages_->UnsubscribeCode(begin, end);
    if (!destroying_ && OnLibraryUnloading) {
        try {
            OnLibraryUnloading(begin, end);
        } catch (...) {
            DiagLogCaught(L"TztPluginManager::OnLibraryUnloading");
        }
    }
    if (messages_->WaitForCallsInCode(begin, end, unloadWaitMs_))
        return true;
    try {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(module, path, MAX_PATH);
        DiagLog(std::wstring(L"Plug-in library \"") + path +
                L"\" stays loaded: broadcasts are still running in its callbacks");
    } catch (...) {
        // The library stays loaded all the same.
    }
    return false;
}

IztPlugin* TztPluginManager::Plugin(int index) const {
    if (index < 0 || index >= PluginCount())
        throw EztError(kInvalidIndex);
    return plugins_[static_cast<std::size_t>(index)]->Plugin();
}

HMODULE TztPluginManager::PluginHandle(int index) const {
    if (index < 0 || index >= PluginCount())
        throw EztError(kInvalidIndex);
    return plugins_[static_cast<std::size_t>(index)]->Module();
}

void TztPluginManager::ClosingBroadcast(int msg) noexcept {
    messages_->ClosingBroadcast(msg);
}

HRESULT STDMETHODCALLTYPE TztPluginManager::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IztPluginMan)) {
        *object = static_cast<IztPluginMan*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

IztPlugin* STDMETHODCALLTYPE TztPluginManager::GetPlugin(int index) {
    return index >= 0 && index < PluginCount() ? plugins_[static_cast<std::size_t>(index)]->Plugin()
                                               : nullptr;
}

int STDMETHODCALLTYPE TztPluginManager::IndexOfPlugin(const wchar_t* name) {
    try {
        const std::wstring wanted(ztTextView(name));
        std::wstring current;
        for (std::size_t i = 0; i < plugins_.size(); ++i)
            if (TryGetName(plugins_[i]->Plugin(), current) && current == wanted)
                return static_cast<int>(i);
    } catch (...) {
        // Not found.
        DiagLogCaught(L"IztPluginMan::IndexOfPlugin");
    }
    return -1;
}

HMODULE STDMETHODCALLTYPE TztPluginManager::GetPluginHandle(int index) {
    return index >= 0 && index < PluginCount() ? plugins_[static_cast<std::size_t>(index)]->Module()
                                               : nullptr;
}

int STDMETHODCALLTYPE TztPluginManager::GetPluginCount() {
    return PluginCount();
}

HRESULT STDMETHODCALLTYPE TztPluginManager::LoadPlugin(const wchar_t* fileName) {
    try {
        try {
            return LoadPluginFile(std::wstring(ztTextView(fileName))) ? S_OK : S_FALSE;
        } catch (const EztPluginError& error) {
            ShowMessageBox(nullptr, error.Message().c_str(), kErrorTitle, MB_OK | MB_ICONERROR);
        }
    } catch (...) {
        // Reported as a failure below.
        DiagLogCaught(L"IztPluginMan::LoadPlugin");
    }
    return E_FAIL;
}

void STDMETHODCALLTYPE TztPluginManager::LoadPlugins() {
    try {
        Scan();
    } catch (...) {
        // The scan ended; what was loaded stays loaded.
        DiagLogCaught(L"IztPluginMan::LoadPlugins");
    }
}

HRESULT STDMETHODCALLTYPE TztPluginManager::UnloadPlugin(int index) {
    if (index < 0 || index >= PluginCount())
        return E_INVALIDARG;
    try {
        UnloadPluginAt(index);
        return S_OK;
    } catch (...) {
        DiagLogCaught(L"IztPluginMan::UnloadPlugin");
        return E_FAIL;
    }
}

void STDMETHODCALLTYPE TztPluginManager::UnloadAllPlugins() {
    // Taken out first, so that a plug-in's Finalize sees a consistent list.
    std::vector<std::unique_ptr<Entry>> entries = std::move(plugins_);
    plugins_.clear();
    for (auto& entry : entries) {
        entry->Finalize();
        if (!ReleaseCode(entry->Module()))
            entry->KeepLibrary();
        entry.reset();
    }
}

BSTR STDMETHODCALLTYPE TztPluginManager::GetPluginFolder() {
    return ztAllocBstr(pluginFolder_);
}

void STDMETHODCALLTYPE TztPluginManager::Broadcast(int msg, INT_PTR param1, INT_PTR param2) {
    messages_->Broadcast(msg, param1, param2);
}

ZT_SUBSCRIPTION STDMETHODCALLTYPE TztPluginManager::Subscribe(int msg, ZT_MSG_CALLBACK callback,
                                                              void* userData, WORD priority,
                                                              WORD flags) {
    return reinterpret_cast<ZT_SUBSCRIPTION>(
        messages_->Subscribe(msg, callback, userData, priority, flags));
}

HRESULT STDMETHODCALLTYPE TztPluginManager::Unsubscribe(ZT_SUBSCRIPTION* handle) {
    if (!handle)
        return E_FAIL;
    auto* record = reinterpret_cast<TztSubscription*>(*handle);
    const std::int32_t status = messages_->Unsubscribe(record);
    if (status == TztPluginMsgMan::kOk)
        *handle = nullptr;
    return static_cast<HRESULT>(status);
}

int STDMETHODCALLTYPE TztPluginManager::Query(int msg, INT_PTR param1, INT_PTR param2) {
    return messages_->Query(msg, param1, param2);
}

void STDMETHODCALLTYPE TztPluginManager::NewCommand(IUnknown*, const wchar_t* caption,
                                                    const wchar_t* data, const wchar_t* hint,
                                                    ZT_CMND_PROC proc) {
    try {
        if (OnNewCommand)
            OnNewCommand(std::wstring(ztTextView(caption)), std::wstring(ztTextView(hint)),
                         std::wstring(ztTextView(data)), proc);
    } catch (...) {
        // The announcement is lost; the plug-in goes on.
        DiagLogCaught(L"IztPluginMan::NewCommand");
    }
}

void STDMETHODCALLTYPE TztPluginManager::DelCommand(IUnknown*, const wchar_t* data) {
    try {
        if (!destroying_ && OnDelCommand)
            OnDelCommand(std::wstring(ztTextView(data)));
    } catch (...) {
        // As for NewCommand.
        DiagLogCaught(L"IztPluginMan::DelCommand");
    }
}

int STDMETHODCALLTYPE TztPluginManager::SyncCall(ZT_MSG_CALLBACK callback, int msg, INT_PTR param1,
                                                 INT_PTR param2, void* userData) {
    return synchro_->Call(callback, msg, param1, param2, userData);
}

} // namespace zt

#pragma once
// The plug-in manager: finds the plug-in libraries in the plug-in folder, loads each
// through its ztRegisterPlugin export, enforces the per-name instance limit, initialises
// the plug-ins with IztPluginMan, keeps them in load order and unloads them. It carries the
// message bus and forwards the plug-ins' command announcements to the main window.
//
// Life cycle (main window): create the manager on the GUI thread, set the events, call
// LoadPlugins once at start-up; at close call ClosingBroadcast(msgClosing), let pending
// window messages run, then UnloadAllPlugins; the destructor unloads anything left.
// Loading, unloading and the events run on the GUI thread; the bus and SyncCall may be
// used from any thread.
//
// Libraries are loaded with the search path narrowed to the library's own folder, the
// program's folder and the system folder, never the current directory. The library
// handle outlives the plug-in object. Freeing a library (after a failed initialisation or
// at unload): Finalize, then the subscriptions whose callbacks lie in the library's image
// are removed and OnLibraryUnloading is raised, then broadcasts already under way get up
// to UnloadWait() milliseconds to leave those callbacks, then FreeLibrary. A library whose
// callbacks are still running after the wait stays loaded (and the diagnostic log says so).
//
// The interface is not reference counted; no exception leaves an interface method. The
// loader's errors and the failures caught at the interface's edge go to the diagnostic log.

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/handles.h"
#include "framework/msg_bus.h"
#include "framework/msg_bus_sync.h"
#include "zentik/ztPluginInt.h"

namespace zt {

// A failure with a user text; what() gives it as UTF-8.
class EztError : public std::exception {
public:
    explicit EztError(std::wstring message);
    const char* what() const noexcept override { return utf8_.c_str(); }
    const std::wstring& Message() const noexcept { return message_; }

private:
    std::wstring message_;
    std::string utf8_;
};

// Errors of the plug-in manager that a folder scan reports and goes past.
class EztPluginError : public EztError {
public:
    using EztError::EztError;
};

class EztLoadPluginError : public EztPluginError {
public:
    using EztPluginError::EztPluginError;
};

class TztPluginManager final : public IztPluginMan {
public:
    // Title of the scan's message boxes.
    static constexpr const wchar_t* kErrorTitle = L"Error Loading PlugIn";

    TztPluginManager();
    TztPluginManager(const TztPluginManager&) = delete;
    TztPluginManager& operator=(const TztPluginManager&) = delete;
    // Sets closing and unloads every plug-in; OnDelCommand is not raised from here on.
    ~TztPluginManager();

    IztPluginMan* Interface() { return this; }

    // Events of the main window. Sender is the manager.
    std::function<void()> OnBeforeLoading;
    std::function<void()> OnAfterLoading;
    // For each file of a scan (name without folder); clearing allowLoad skips the file.
    std::function<void(const std::wstring& fileName, bool& allowLoad)> OnBeforeLoad;
    std::function<void(const std::wstring& fileName)> OnAfterLoad;
    std::function<void(const std::wstring& caption, const std::wstring& hint,
                       const std::wstring& data, ZT_CMND_PROC proc)>
        OnNewCommand;
    std::function<void(const std::wstring& data)> OnDelCommand;
    // A library's image [begin, end) is about to be freed: remove whatever still points into
    // it (commands, menu items). Raised after the plug-in was finalised or failed to
    // initialise; not from the destructor.
    std::function<void(std::uintptr_t begin, std::uintptr_t end)> OnLibraryUnloading;

    // File extension of plug-in libraries without the point ("pzt"). A new value that is
    // not 1 to 3 characters long throws EztError and the old one stays.
    const std::wstring& Extension() const noexcept { return extension_; }
    void SetExtension(const std::wstring& extension);
    static std::wstring Version() { return L"1.0"; }
    // Relative to the program folder ("Plugins"); empty: the program folder itself.
    const std::wstring& PluginFolder() const noexcept { return pluginFolder_; }
    void SetPluginFolder(const std::wstring& folder) { pluginFolder_ = folder; }
    // The folder of the program's file (the default), without a trailing separator.
    const std::wstring& ProgramFolder() const noexcept { return programFolder_; }
    void SetProgramFolder(const std::wstring& folder);
    // The scanned folder, with a trailing separator.
    std::wstring ScanFolder() const;
    // How long an unload waits for broadcasts under way in the library's callbacks.
    unsigned UnloadWait() const noexcept { return unloadWaitMs_; }
    void SetUnloadWait(unsigned milliseconds) noexcept { unloadWaitMs_ = milliseconds; }

    // Loads one library given by its full path. True when loaded, false when skipped (no
    // object, or the instance limit reached). Throws EztLoadPluginError.
    bool LoadPluginFile(const std::wstring& fileName);
    // Finalises the plug-in at index, then frees its library. Throws EztError
    // "Invalid index".
    void UnloadPluginAt(int index);
    // Throws EztError "Invalid index".
    IztPlugin* Plugin(int index) const;
    HMODULE PluginHandle(int index) const;
    int PluginCount() const noexcept { return static_cast<int>(plugins_.size()); }

    // Sets closing and broadcasts msg (msgClosing) once; later broadcasts do nothing and
    // queries return 1.
    void ClosingBroadcast(int msg) noexcept;
    TztPluginMsgMan& Messages() noexcept { return *messages_; }
    TztSynchroObj& Synchro() noexcept { return *synchro_; }

    // IUnknown: IztPluginMan and IUnknown; AddRef and Release return (ULONG)-1.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(-1); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(-1); }

    IztPlugin* STDMETHODCALLTYPE GetPlugin(int index) override;
    int STDMETHODCALLTYPE IndexOfPlugin(const wchar_t* name) override;
    HMODULE STDMETHODCALLTYPE GetPluginHandle(int index) override;
    int STDMETHODCALLTYPE GetPluginCount() override;
    // S_OK loaded, S_FALSE skipped, E_FAIL after the error was shown.
    HRESULT STDMETHODCALLTYPE LoadPlugin(const wchar_t* fileName) override;
    // Scans the plug-in folder. Plug-in errors are shown (message-box seam, no owner,
    // kErrorTitle, error icon) and the scan goes on; any other exception ends it.
    void STDMETHODCALLTYPE LoadPlugins() override;
    HRESULT STDMETHODCALLTYPE UnloadPlugin(int index) override;
    // Finalises the plug-ins in load order.
    void STDMETHODCALLTYPE UnloadAllPlugins() override;
    BSTR STDMETHODCALLTYPE GetPluginFolder() override;
    void STDMETHODCALLTYPE Broadcast(int msg, INT_PTR param1, INT_PTR param2) override;
    ZT_SUBSCRIPTION STDMETHODCALLTYPE Subscribe(int msg, ZT_MSG_CALLBACK callback, void* userData,
                                                WORD priority, WORD flags) override;
    HRESULT STDMETHODCALLTYPE Unsubscribe(ZT_SUBSCRIPTION* handle) override;
    int STDMETHODCALLTYPE Query(int msg, INT_PTR param1, INT_PTR param2) override;
    void STDMETHODCALLTYPE NewCommand(IUnknown* plugin, const wchar_t* caption, const wchar_t* data,
                                      const wchar_t* hint, ZT_CMND_PROC proc) override;
    void STDMETHODCALLTYPE DelCommand(IUnknown* plugin, const wchar_t* data) override;
    int STDMETHODCALLTYPE SyncCall(ZT_MSG_CALLBACK callback, int msg, INT_PTR param1,
                                   INT_PTR param2, void* userData) override;

private:
    // One loaded plug-in: the library is freed after the plug-in is finalised.
    class Entry;

    // The scan; exceptions other than EztPluginError leave it.
    void Scan();
    // Makes module's image ready to be freed: removes its subscriptions, raises
    // OnLibraryUnloading and waits for the calls under way there. False when calls are
    // still running: the library must stay loaded.
    bool ReleaseCode(HMODULE module) noexcept;

    std::wstring extension_ = L"pzt";
    std::wstring pluginFolder_ = L"Plugins";
    std::wstring programFolder_;
    unsigned unloadWaitMs_ = 3000;
    bool destroying_ = false;
    std::unique_ptr<TztSynchroObj> synchro_;
    std::unique_ptr<TztPluginMsgMan> messages_;
    std::vector<std::unique_ptr<Entry>> plugins_;
};

} // namespace zt

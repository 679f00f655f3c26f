#pragma once
// TztPlgNetkit: sets the computer's clock from an SNTP server. It registers the command
// "NU_Synchronize" (any thread: a fresh record loaded from the registry, one Synchronize
// run, all seven values written back), puts its page TFConfig into the options dialog and
// the frame TFTimeSync onto the dialog's time page "pnlTime". The page's record and server
// list are kept on OK and dropped on Cancel.
//
// A run blocks its thread for up to the receive timeout per server tried; each run has its
// own client and, for the command, its own record. Windows are used on the GUI thread only.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "sntp_client.h"
#include "synchronizator.h"
#include "zentik/ztPlugin.h"

namespace zt {

class TFConfig;
class TFTimeSync;

// What the plug-in reaches outside itself.
struct NetkitPlatform {
    std::wstring keyPath;              // the settings key under HKEY_CURRENT_USER
    std::wstring folder;               // the folder of "HostList.txt", no trailing backslash
    SntpClientPlatform client;         // the query's clock and the clock it sets
    std::function<SyncDateTime()> now; // local time (any thread)
};

// The settings key, this library's folder, the system clock set through the host.
NetkitPlatform DefaultNetkitPlatform();

class TztPlgNetkit final : public TztPlugin {
public:
    explicit TztPlgNetkit(NetkitPlatform platform = DefaultNetkitPlatform());
    ~TztPlgNetkit() override;

    BSTR STDMETHODCALLTYPE GetName() override;
    BSTR STDMETHODCALLTYPE GetCaption() override { return LangBstr(L"Caption"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"2.1"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override;
    BSTR STDMETHODCALLTYPE GetNotice() override;
    BSTR STDMETHODCALLTYPE GetDescription() override { return LangBstr(L"Description"); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }

    const NetkitPlatform& Platform() const noexcept { return platform_; }
    std::wstring HostListPath() const;
    // Any thread. The defaults (the language's default server), then the registry.
    TSynchronizator LoadRecord();
    TSynchronizator DefaultRecord();
    // Any thread. One Synchronize run over record with the real client, the host list file
    // and the language's texts; true when the clock was set.
    bool RunSynchronize(TSynchronizator& record);

    // The page and the frame while the options dialog is open (GUI thread).
    TFConfig* Page() const noexcept { return page_.get(); }
    TFTimeSync* Frame() const noexcept { return frame_.get(); }
    // The Text of key in this plug-in's language module.
    std::wstring Text(const std::wstring& key) { return LangText(key.c_str()); }

    // The routine of "NU_Synchronize" (any thread).
    static void STDMETHODCALLTYPE SynchronizeCommand(IUnknown* sender);

private:
    void Initialise();
    void Finalise() noexcept;
    HWND SetupCreated(HWND dialog);
    void SetupClosed(bool ok);
    // The frame's button: a run with the page's record; its status text.
    std::wstring FrameSynchronize();

    NetkitPlatform platform_;
    bool commandRegistered_ = false;
    bool finalised_ = false;
    std::unique_ptr<TFConfig> page_;
    std::unique_ptr<TFTimeSync> frame_;
};

} // namespace zt

#include "netkit_plugin.h"

#include <utility>

#include "common/datetime_format.h"
#include "common/module_window_class.h"
#include "common/program_folder.h"
#include "common/system_time.h"
#include "common/win_locale.h"
#include "netkit_page.h"
#include "netkit_settings.h"
#include "plugin_identity.h"
#include "time_frame.h"

namespace zt {
namespace {

constexpr wchar_t kName[] = L"Netkit.Zentik";
constexpr wchar_t kSynchronizeCommand[] = L"NU_Synchronize";

} // namespace

NetkitPlatform DefaultNetkitPlatform() {
    NetkitPlatform platform;
    platform.keyPath = kNetkitSettingsKey;
    platform.folder = ModuleFolder(CurrentModule());
    platform.client = DefaultSntpClientPlatform();
    platform.now = &LocalNow;
    return platform;
}

TztPlgNetkit::TztPlgNetkit(NetkitPlatform platform) : platform_(std::move(platform)) {
    OnInitialize = [this](TztPlugin&, bool&) { Initialise(); };
    OnFinalize = [this](TztPlugin&, bool&) { Finalise(); };
    OnCreateSetupPage = [this](TztPlugin&, HWND dialog) { return SetupCreated(dialog); };
    OnSetupClosed = [this](TztPlugin&, bool ok) { SetupClosed(ok); };
    // The page exists while the options dialog is open: Configure selects it there.
    OnConfigure = [this](TztPlugin&) {
        if (page_ && page_->Window()) {
            if (const TztComRef<IZentikAPI> api = ztGetAPI())
                api->AddSetupPage(page_->Window(), static_cast<IztPlugin*>(this));
        }
    };
}

TztPlgNetkit::~TztPlgNetkit() {
    Finalise();
}

BSTR STDMETHODCALLTYPE TztPlgNetkit::GetName() {
    return ::SysAllocString(kName);
}
BSTR STDMETHODCALLTYPE TztPlgNetkit::GetAuthor() {
    return ::SysAllocString(kPluginAuthor);
}
BSTR STDMETHODCALLTYPE TztPlgNetkit::GetNotice() {
    return PluginNotice(LangBstr(L"Notice"));
}

std::wstring TztPlgNetkit::HostListPath() const {
    return platform_.folder + L"\\" + kHostListFile;
}

TSynchronizator TztPlgNetkit::DefaultRecord() {
    return DefaultSynchronizator(Text(L"rsDefSyncHost"));
}

TSynchronizator TztPlgNetkit::LoadRecord() {
    return LoadSynchronizator(platform_.keyPath, Text(L"rsDefSyncHost"));
}

bool TztPlgNetkit::RunSynchronize(TSynchronizator& record) {
    // One language module and one copy of the locale for the run.
    const auto language = std::make_shared<TztLangModule>(kName);
    const auto locale = std::make_shared<FormatSettings>(ReadLocaleFormatSettings());
    SynchronizePlatform sync;
    sync.query = [client = platform_.client](const SntpServer& server, std::uint16_t timeoutMs) {
        return SynchronizeClock(server, timeoutMs, client);
    };
    sync.loadHostList = [path = HostListPath()] { return ReadHostList(path); };
    sync.now = platform_.now;
    sync.text = [language](const std::wstring& key) { return language->Translate(key.c_str()); };
    sync.formatDateTime = [locale](SyncDateTime value) {
        return FormatDateTime(L"c", value, *locale);
    };
    return Synchronize(record, sync);
}

void TztPlgNetkit::Initialise() {
    if (TztComRef<IztPluginMan> man = PluginMan()) {
        commandRegistered_ = true;
        man->NewCommand(static_cast<IztPlugin*>(this), Text(L"MenuItem").c_str(),
                        kSynchronizeCommand, Text(L"MenuItemHelp").c_str(), &SynchronizeCommand);
    }
}

// Safe to repeat: each step undoes only what is still there.
void TztPlgNetkit::Finalise() noexcept {
    if (finalised_)
        return;
    finalised_ = true;
    try {
        if (TztComRef<IztPluginMan> man = PluginMan()) {
            if (std::exchange(commandRegistered_, false))
                man->DelCommand(static_cast<IztPlugin*>(this), kSynchronizeCommand);
        }
        frame_.reset();
        page_.reset();
    } catch (...) {
        ztDebugCaught(L"Netkit finalisation");
    }
}

HWND TztPlgNetkit::SetupCreated(HWND dialog) {
    frame_.reset();
    page_.reset();
    auto page = std::make_unique<TFConfig>(*this);
    if (!page->Create(dialog))
        return nullptr;
    page_ = std::move(page);
    TimeFrameContext context;
    context.text = [this](const std::wstring& key) { return Text(key); };
    context.synchronize = [this] { return FrameSynchronize(); };
    frame_ = AttachTimeFrame(dialog, std::move(context));
    return page_->Window();
}

void TztPlgNetkit::SetupClosed(bool ok) {
    if (!page_)
        return;
    if (ok)
        page_->Save();
    else
        page_->Restore();
    frame_.reset();
    page_.reset();
}

std::wstring TztPlgNetkit::FrameSynchronize() {
    if (!page_)
        return std::wstring();
    page_->SynchronizeNow();
    return page_->Record().StatusSynch;
}

// NU_Synchronize: runs in the calling thread (a worker when started by the scheduler).
void STDMETHODCALLTYPE TztPlgNetkit::SynchronizeCommand(IUnknown*) {
    try {
        TztPlgNetkit* plugin = ztPluginObjectAs<TztPlgNetkit>();
        if (!plugin)
            return;
        TSynchronizator record = plugin->LoadRecord();
        plugin->RunSynchronize(record);
        SaveSynchronizator(plugin->Platform().keyPath, record);
    } catch (...) {
        ztDebugCaught(L"NU_Synchronize");
    }
}

} // namespace zt

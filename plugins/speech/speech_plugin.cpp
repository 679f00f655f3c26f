#include "speech_plugin.h"

#include <cwctype>
#include <utility>
#include <vector>

#include "common/module_window_class.h"
#include "common/program_folder.h"
#include "plugin_identity.h"
#include "speech_page.h"
#include "speech_words.h"

namespace zt {
namespace {

constexpr wchar_t kName[] = L"Speech.Zentik";
constexpr wchar_t kTalkCommand[] = L"pm_TalkTime";
// How often finalisation cuts the word in progress short while it waits.
constexpr DWORD kStopPollMs = 20;

// What one speaking thread does, with everything it needs.
struct SpeechJob {
    std::shared_ptr<SpeechRunState> run;
    std::shared_ptr<TztSpeechSound> sound;
    std::function<SYSTEMTIME()> now;
    SpeechSettings settings;
    std::wstring folder;
    bool chime = false;
    bool talk = false;
    HMODULE self = nullptr; // this library, held until the thread has ended
};

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> VoiceFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    const UniqueFind find(::FindFirstFileW((folder + L"\\*.szt").c_str(), &data));
    if (!find)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(data.cFileName);
    } while (::FindNextFileW(find.get(), &data));
    return names;
}

// A file name without a folder.
bool IsPlainName(const std::wstring& name) {
    return name.find_first_of(L"\\/:") == std::wstring::npos;
}

void TalkTime(const SpeechJob& job) {
    const std::wstring& configured = job.settings.voice;
    const bool exists = IsPlainName(configured) && IsFile(job.folder + L"\\" + configured);
    const std::wstring voice = ChooseVoiceFile(configured, exists, VoiceFiles(job.folder));
    if (voice.empty())
        return;
    // Mapped as a module (its resources are all that is used), none of its code run.
    const UniqueModule library(::LoadLibraryExW((job.folder + L"\\" + voice).c_str(), nullptr,
                                                DONT_RESOLVE_DLL_REFERENCES));
    if (!library)
        return;
    const SYSTEMTIME now = job.now();
    for (const std::wstring_view word :
         SpeechPhraseFor(now.wDay, now.wMonth, now.wHour, now.wMinute, job.settings.say)) {
        if (job.run->stop)
            return;
        job.sound->PlayResource(library.get(), std::wstring(word).c_str());
    }
}

DWORD WINAPI SpeakThread(void* parameter) {
    std::unique_ptr<SpeechJob> job(static_cast<SpeechJob*>(parameter));
    const HMODULE self = job->self;
    try {
        if (job->chime && !job->run->stop && IsFile(job->settings.chimeFile))
            job->sound->PlayFile(job->settings.chimeFile, false);
        if (job->talk && !job->run->stop)
            TalkTime(*job);
    } catch (...) {
        ztDebugCaught(L"Speech thread");
    }
    const bool stopped = job->run->stop;
    job->run->busy = false;
    job.reset();
    if (!stopped) {
        if (const TztComRef<IZentikAPI> api = ztGetAPI())
            api->TrimWorkingSet();
    }
    ::FreeLibraryAndExitThread(self, 0);
}

SYSTEMTIME LocalTimeNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now;
}

} // namespace

SpeechPlatform DefaultSpeechPlatform() {
    SpeechPlatform platform;
    platform.sound = SystemSpeechSound();
    platform.folder = ModuleFolder(CurrentModule());
    platform.keyPath = kSpeechSettingsKey;
    platform.now = &LocalTimeNow;
    return platform;
}

TztPlgSpeech::TztPlgSpeech(SpeechPlatform platform) : platform_(std::move(platform)) {
    OnInitialize = [this](TztPlugin&, bool&) { Initialise(); };
    OnFinalize = [this](TztPlugin&, bool&) { Finalise(); };
    OnCreateSetupPage = [this](TztPlugin&, HWND dialog) { return CreatePage(dialog); };
    OnSetupClosed = [this](TztPlugin&, bool ok) { SetupClosed(ok); };
    // The page exists while the options dialog is open: Configure selects it there.
    OnConfigure = [this](TztPlugin&) {
        if (page_ && page_->Window()) {
            if (const TztComRef<IZentikAPI> api = ztGetAPI())
                api->AddSetupPage(page_->Window(), static_cast<IztPlugin*>(this));
        }
    };
}

TztPlgSpeech::~TztPlgSpeech() {
    Finalise();
}

BSTR STDMETHODCALLTYPE TztPlgSpeech::GetName() {
    return ::SysAllocString(kName);
}
BSTR STDMETHODCALLTYPE TztPlgSpeech::GetAuthor() {
    return ::SysAllocString(kPluginAuthor);
}
BSTR STDMETHODCALLTYPE TztPlgSpeech::GetNotice() {
    return PluginNotice(LangBstr(L"Notice"));
}

std::wstring TztPlgSpeech::Text(const wchar_t* key) {
    return LangText(key);
}

void TztPlgSpeech::Initialise() {
    run_->busy = false;
    settings_ = LoadSpeechSettings(platform_.keyPath);
    if (TztComRef<IztPluginMan> man = PluginMan()) {
        commandRegistered_ = true;
        man->NewCommand(static_cast<IztPlugin*>(this), Text(L"MenuItem").c_str(), kTalkCommand,
                        Text(L"MenuItemHelp").c_str(), &TalkCommand);
    }
    ApplyHourRule();
}

// Safe to repeat: each step undoes only what is still there.
void TztPlgSpeech::Finalise() noexcept {
    if (finalised_)
        return;
    finalised_ = true;
    try {
        run_->stop = true;
        if (thread_) {
            const ULONGLONG deadline = ::GetTickCount64() + platform_.stopBoundMs;
            while (::WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT &&
                   ::GetTickCount64() < deadline) {
                platform_.sound->Stop();
                ::WaitForSingleObject(thread_.get(), kStopPollMs);
            }
            thread_.reset();
        }
        if (TztComRef<IztPluginMan> man = PluginMan()) {
            if (hour_)
                man->Unsubscribe(&hour_);
            if (std::exchange(commandRegistered_, false))
                man->DelCommand(static_cast<IztPlugin*>(this), kTalkCommand);
        }
        hour_ = nullptr;
        page_.reset();
    } catch (...) {
        ztDebugCaught(L"Speech finalisation");
    }
}

void TztPlgSpeech::ApplyHourRule() {
    if (finalised_)
        return;
    TztComRef<IztPluginMan> man = PluginMan();
    if (!man)
        return;
    const bool needed = NeedsHourSubscription(settings_.everyHour, settings_.everyHourPlay);
    if (needed && !hour_)
        hour_ = man->Subscribe(msgHour, &HourMessage, this, 0, 0);
    else if (!needed && hour_)
        man->Unsubscribe(&hour_);
}

bool TztPlgSpeech::RequestTalk() {
    return StartSpeaking(false, true);
}

bool TztPlgSpeech::HourTalk() {
    return StartSpeaking(settings_.everyHourPlay, settings_.everyHour);
}

void TztPlgSpeech::PlayChime() {
    platform_.sound->PlayFile(settings_.chimeFile, true);
}

bool TztPlgSpeech::StartSpeaking(bool chime, bool talk) {
    if (finalised_)
        return false;
    bool idle = false;
    if (!run_->busy.compare_exchange_strong(idle, true))
        return false;
    thread_.reset(); // the previous phrase's thread, ended
    auto job = std::make_unique<SpeechJob>();
    job->run = run_;
    job->sound = platform_.sound;
    job->now = platform_.now;
    job->settings = settings_;
    job->folder = platform_.folder;
    job->chime = chime;
    job->talk = talk;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<const wchar_t*>(&SpeakThread), &job->self)) {
        run_->busy = false;
        return false;
    }
    HANDLE thread = ::CreateThread(nullptr, 0, &SpeakThread, job.get(), 0, nullptr);
    if (!thread) {
        ::FreeLibrary(job->self);
        run_->busy = false;
        return false;
    }
    job.release(); // the thread owns it
    thread_.reset(thread);
    return true;
}

HWND TztPlgSpeech::CreatePage(HWND dialog) {
    page_.reset();
    initial_ = settings_;
    auto page = std::make_unique<TFConfig>(
        *this, [this](const std::wstring& key) { return Text(key.c_str()); });
    if (!page->Create(dialog))
        return nullptr;
    page_ = std::move(page);
    return page_->Window();
}

void TztPlgSpeech::SetupClosed(bool ok) {
    if (!page_)
        return;
    if (ok) {
        SaveSpeechSettings(platform_.keyPath, settings_);
    } else {
        settings_ = initial_;
        ApplyHourRule();
    }
    page_.reset();
}

int STDMETHODCALLTYPE TztPlgSpeech::HourMessage(int, INT_PTR, INT_PTR, void* self) {
    try {
        static_cast<TztPlgSpeech*>(self)->HourTalk();
    } catch (...) {
        ztDebugCaught(L"Speech hour message");
    }
    return 0;
}

namespace {

int STDMETHODCALLTYPE TalkOnGuiThread(int, INT_PTR, INT_PTR, void*) {
    try {
        if (TztPlgSpeech* plugin = ztPluginObjectAs<TztPlgSpeech>())
            plugin->RequestTalk();
    } catch (...) {
        ztDebugCaught(L"Speech command");
    }
    return 0;
}

} // namespace

// pm_TalkTime: may be called on any thread; the phrase starts from the GUI thread.
void STDMETHODCALLTYPE TztPlgSpeech::TalkCommand(IUnknown*) {
    TztPlgSpeech* plugin = ztPluginObjectAs<TztPlgSpeech>();
    if (!plugin)
        return;
    if (TztComRef<IztPluginMan> man = plugin->PluginMan())
        man->SyncCall(&TalkOnGuiThread, 0, 0, 0, nullptr);
    else
        TalkOnGuiThread(0, 0, 0, nullptr);
}

} // namespace zt

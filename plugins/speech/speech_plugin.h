#pragma once
// TztPlgSpeech: the speaking clock. On request (command "pm_TalkTime", the settings page's
// test button) and, when chosen, at the start of every hour (after a chime) it speaks the
// date and time word by word from a voice library: a resource-only library "*.szt" of the
// plug-in folder whose "WAVE" resources are the words of speech_words.h.
//
// One phrase at a time: the busy flag is set on the GUI thread before the speaking thread
// starts and cleared by that thread at its end; requests meanwhile are dropped. The thread
// works on a copy of the settings taken at its start, holds a reference on this library
// until it has ended (FreeLibraryAndExitThread), and stops between words when asked.
// Finalisation asks it to stop, cuts the word in progress short and waits for it with a
// bound; the thread is never killed.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "common/handles.h"
#include "speech_settings.h"
#include "speech_sound.h"
#include "zentik/ztPlugin.h"

namespace zt {

class TFConfig;

// What the plug-in reaches outside itself.
struct SpeechPlatform {
    std::shared_ptr<TztSpeechSound> sound;
    std::wstring folder;             // the voice files' folder, no trailing backslash
    std::wstring keyPath;            // the settings key under HKEY_CURRENT_USER
    std::function<SYSTEMTIME()> now; // the local time (any thread)
    DWORD stopBoundMs = 3000;        // finalisation's wait for the speaking thread
};

// The system's sound, this library's folder, the settings key and the local clock.
SpeechPlatform DefaultSpeechPlatform();

// Shared by the plug-in and its speaking thread.
struct SpeechRunState {
    std::atomic<bool> busy{false};
    std::atomic<bool> stop{false};
};

class TztPlgSpeech final : public TztPlugin {
public:
    explicit TztPlgSpeech(SpeechPlatform platform = DefaultSpeechPlatform());
    ~TztPlgSpeech() override;

    BSTR STDMETHODCALLTYPE GetName() override;
    BSTR STDMETHODCALLTYPE GetCaption() override { return LangBstr(L"Caption"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"2.1"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override;
    BSTR STDMETHODCALLTYPE GetNotice() override;
    BSTR STDMETHODCALLTYPE GetDescription() override { return LangBstr(L"Description"); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }

    // GUI thread. Speaks the phrase unless one is being spoken; false when dropped.
    bool RequestTalk();
    // The hour message's work: the chime when chosen, then the phrase when chosen.
    bool HourTalk();
    bool Busy() const noexcept { return run_->busy; }

    // The settings in force (GUI thread); the page changes them live.
    SpeechSettings& Settings() noexcept { return settings_; }
    const SpeechPlatform& Platform() const noexcept { return platform_; }
    // Subscribes or cancels the hour message as the hourly switches say.
    void ApplyHourRule();
    bool HourSubscribed() const noexcept { return hour_ != nullptr; }
    // Plays the chime file once, returning at once.
    void PlayChime();

    // The settings page while it exists.
    TFConfig* Page() const noexcept { return page_.get(); }

private:
    void Initialise();
    void Finalise() noexcept;
    bool StartSpeaking(bool chime, bool talk);
    HWND CreatePage(HWND dialog);
    void SetupClosed(bool ok);
    std::wstring Text(const wchar_t* key);

    static int STDMETHODCALLTYPE HourMessage(int, INT_PTR, INT_PTR, void* self);

public:
    // The routine of "pm_TalkTime" (any thread).
    static void STDMETHODCALLTYPE TalkCommand(IUnknown* sender);

private:
    SpeechPlatform platform_;
    SpeechSettings settings_;
    SpeechSettings initial_; // when the page opened
    std::shared_ptr<SpeechRunState> run_ = std::make_shared<SpeechRunState>();
    UniqueThread thread_;
    ZT_SUBSCRIPTION hour_ = nullptr;
    bool commandRegistered_ = false;
    bool finalised_ = false;
    std::unique_ptr<TFConfig> page_;
};

} // namespace zt

// The speaking clock's plug-in object under Wine, with the fake plug-in manager and a
// recording sound double: the words of a phrase and the voice they come from, dropped
// requests, the hourly announcement and its subscription, the settings page with Cancel
// and OK, and unloading while a phrase is spoken.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/component_name.h"
#include "common/handles.h"
#include "common/window_text.h"
#include "speech_plugin.h"
#include "speech_settings.h"
#include "tests/plugins/fake_host.h"
#include "zentik/ztPlugin.h"

namespace zt::test {
namespace {

using Words = std::vector<std::wstring>;

constexpr wchar_t kTestKey[] = L"Software\\Ombrelt\\ZentikTests\\Speech.Zentik";
const Words kPhraseAt1405 = {L"TODAY",    L"EMPTY", L"SEVENTH", L"MARCH", L"EMPTY",
                             L"FOURTEEN", L"HOURS", L"EMPTY",   L"FIVE",  L"MINUTES"};

std::wstring FileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Records what is played. While held, a word plays until it is released or cut short
// with Stop.
class RecordingSound final : public TztSpeechSound {
public:
    struct Played {
        std::wstring what;  // word, or "file:" + path
        std::wstring voice; // the voice file's name (words)
        bool found = false; // the word is a resource of the voice
    };

    RecordingSound()
        : release_(::CreateEventW(nullptr, TRUE, TRUE, nullptr)),
          stop_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

    void Hold() { ::ResetEvent(release_.get()); }
    void Release() { ::SetEvent(release_.get()); }

    void PlayResource(HMODULE module, const wchar_t* name) override {
        Played played;
        played.what = name;
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(module, path, MAX_PATH);
        played.voice = FileName(path);
        played.found = ::FindResourceW(module, name, L"WAVE") != nullptr;
        Add(played);
        const HANDLE events[] = {release_.get(), stop_.get()};
        ::WaitForMultipleObjects(2, events, FALSE, 20000);
    }
    void PlayFile(const std::wstring& path, bool async) override {
        Add({L"file:" + path + (async ? L" async" : L" sync"), L"", true});
    }
    void Stop() override {
        ++stops;
        ::SetEvent(stop_.get());
    }

    std::vector<Played> Log() {
        std::lock_guard lock(mutex_);
        return log_;
    }
    Words WordsPlayed() {
        Words words;
        for (const Played& played : Log())
            words.push_back(played.what);
        return words;
    }
    size_t Count() { return Log().size(); }
    DWORD SpeakingThread() const { return thread_; }

    std::atomic<int> stops{0};

private:
    void Add(const Played& played) {
        thread_ = ::GetCurrentThreadId();
        std::lock_guard lock(mutex_);
        log_.push_back(played);
    }

    UniqueEvent release_;
    UniqueEvent stop_;
    std::mutex mutex_;
    std::vector<Played> log_;
    std::atomic<DWORD> thread_{0};
};

void DeleteTestKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ombrelt\\ZentikTests");
}

void WriteString(const wchar_t* name, const std::wstring& value) {
    HKEY raw = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                &raw, nullptr),
              ERROR_SUCCESS);
    const UniqueKey key(raw);
    ::RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

DWORD ReadDword(const wchar_t* name) {
    DWORD value = 0xFFFF;
    DWORD size = sizeof(value);
    ::RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

class SpeechPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeZentik& host = FakeZentik::Get();
        host.Reset();
        host.language = static_cast<IztLanguageMan*>(&language);
        DeleteTestKey();
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"zt-speech-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
        AddVoice(L"Voicepack.szt");
        sound = std::make_shared<RecordingSound>();
    }

    void TearDown() override {
        if (sound)
            sound->Release();
        Unload();
        for (const std::wstring& file : files)
            ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(folder.c_str());
        DeleteTestKey();
        FakeZentik::Get().Reset();
    }

    // The test voice under name in the voice folder.
    void AddVoice(const std::wstring& name) {
        const std::wstring path = folder + L"\\" + name;
        ASSERT_TRUE(::CopyFileW(L"" ZT_TEST_VOICE_PATH, path.c_str(), FALSE)) << ::GetLastError();
        files.push_back(path);
    }
    void RemoveVoice(const std::wstring& name) {
        ASSERT_TRUE(::DeleteFileW((folder + L"\\" + name).c_str()));
    }

    // Creates and initialises the plug-in at 7 March 2026, 14:05.
    void Load() {
        manager.commands.clear(); // a plug-in loaded again registers its command again
        manager.deleted.clear();
        SpeechPlatform platform;
        platform.sound = sound;
        platform.folder = folder;
        platform.keyPath = kTestKey;
        platform.now = [] {
            SYSTEMTIME t{};
            t.wYear = 2026;
            t.wMonth = 3;
            t.wDay = 7;
            t.wHour = 14;
            t.wMinute = 5;
            return t;
        };
        platform.stopBoundMs = kBoundMs;
        object = new TztPlgSpeech(std::move(platform));
        ztSetPluginObject(object); // as ztRegisterPlugin does: the command finds it
        object->AddRef();
        plugin = object;
        ASSERT_EQ(plugin->Initialize(&manager), TRUE);
    }

    void Unload() {
        if (plugin)
            plugin->Finalize();
        plugin = nullptr;
        object = nullptr;
    }

    void Talk() {
        const ZT_CMND_PROC proc = manager.Proc(L"pm_TalkTime");
        ASSERT_NE(proc, nullptr);
        proc(nullptr);
    }

    bool WaitIdle() {
        return PumpUntil([&] { return !object->Busy(); }, 10000);
    }

    Words Spoken() {
        EXPECT_TRUE(WaitIdle());
        return sound->WordsPlayed();
    }

    bool HourSubscribed() {
        for (const auto& subscription : manager.subscriptions)
            if (subscription.msg == msgHour)
                return true;
        return false;
    }

    static constexpr DWORD kBoundMs = 2000;

    FakeLanguage language;
    FakePluginMan manager;
    std::shared_ptr<RecordingSound> sound;
    std::wstring folder;
    std::vector<std::wstring> files;
    TztPlgSpeech* object = nullptr;
    IztPlugin* plugin = nullptr;
};

TEST_F(SpeechPluginTest, IdentityCommandAndSubscriptionsFromInitializeToFinalize) {
    Load();
    EXPECT_EQ(ztTakeBstr(plugin->GetName()), L"Speech.Zentik");
    EXPECT_EQ(ztTakeBstr(plugin->GetVersion()), L"2.1");
    EXPECT_EQ(plugin->GetMaxInstances(), 1);
    EXPECT_EQ(ztTakeBstr(plugin->GetCaption()), L"Speech.Zentik/Caption");
    ASSERT_EQ(manager.commands.size(), 1u);
    EXPECT_EQ(manager.commands[0].data, L"pm_TalkTime");
    EXPECT_EQ(manager.commands[0].caption, L"Speech.Zentik/MenuItem");
    EXPECT_EQ(manager.commands[0].hint, L"Speech.Zentik/MenuItemHelp");
    std::vector<int> messages;
    for (const auto& subscription : manager.subscriptions)
        messages.push_back(subscription.msg);
    std::sort(messages.begin(), messages.end());
    EXPECT_EQ(messages, (std::vector<int>{msgSetupCreated, msgSetupClosed, msgHour}));

    Unload();
    EXPECT_TRUE(manager.subscriptions.empty());
    EXPECT_EQ(manager.deleted, (Words{L"pm_TalkTime"}));
}

TEST_F(SpeechPluginTest, TheCommandSpeaksThePhraseFromTheVoiceFile) {
    Load();
    Talk();
    EXPECT_EQ(Spoken(), kPhraseAt1405);
    for (const RecordingSound::Played& played : sound->Log()) {
        EXPECT_EQ(played.voice, L"Voicepack.szt");
        EXPECT_TRUE(played.found) << played.what;
    }
    EXPECT_NE(sound->SpeakingThread(), ::GetCurrentThreadId()) << "spoken on its own thread";
}

TEST_F(SpeechPluginTest, SwitchesFromTheRegistryChooseTheWords) {
    HKEY raw = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                &raw, nullptr),
              ERROR_SUCCESS);
    {
        const UniqueKey key(raw);
        const DWORD off = 0;
        for (const wchar_t* name : {L"Today", L"Date"})
            ::RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off),
                             sizeof(off));
    }
    Load();
    Talk();
    EXPECT_EQ(Spoken(), (Words{L"EMPTY", L"FOURTEEN", L"HOURS", L"EMPTY", L"FIVE", L"MINUTES"}));
}

TEST_F(SpeechPluginTest, TwoQuickRequestsSpeakOnce) {
    Load();
    sound->Hold();
    Talk();
    ASSERT_TRUE(PumpUntil([&] { return sound->Count() == 1; }));
    Talk();
    EXPECT_FALSE(object->RequestTalk()) << "dropped while busy";
    sound->Release();
    EXPECT_EQ(Spoken(), kPhraseAt1405);
    // Once idle, a request speaks again.
    Talk();
    EXPECT_TRUE(WaitIdle());
    EXPECT_EQ(sound->Count(), 2 * kPhraseAt1405.size());
}

TEST_F(SpeechPluginTest, AMissingVoiceNameFallsBackToVoicepackThenToTheFirstVoice) {
    AddVoice(L"b.szt");
    AddVoice(L"Other.szt");
    WriteString(L"CurSPlgName", L"Other.szt");
    Load();
    Talk();
    ASSERT_FALSE(Spoken().empty());
    EXPECT_EQ(sound->Log().back().voice, L"Other.szt") << "the chosen voice";
    Unload();

    WriteString(L"CurSPlgName", L"gone.szt");
    Load();
    Talk();
    ASSERT_EQ(Spoken().size(), 2 * kPhraseAt1405.size());
    EXPECT_EQ(sound->Log().back().voice, L"Voicepack.szt") << "names no file";
    Unload();

    RemoveVoice(L"Voicepack.szt");
    WriteString(L"CurSPlgName", L"");
    Load();
    Talk();
    ASSERT_EQ(Spoken().size(), 3 * kPhraseAt1405.size());
    EXPECT_EQ(sound->Log().back().voice, L"b.szt") << "empty, without Voicepack.szt";
}

TEST_F(SpeechPluginTest, TheHourMessagePlaysTheChimeThenSpeaks) {
    const std::wstring chime = folder + L"\\chime.wav";
    AddVoice(L"chime.wav"); // any existing file serves the double
    WriteString(L"EveryHourPlayFile", chime);
    Load();
    manager.Broadcast(msgHour, 0, 0);
    Words expected = {L"file:" + chime + L" sync"};
    expected.insert(expected.end(), kPhraseAt1405.begin(), kPhraseAt1405.end());
    EXPECT_EQ(Spoken(), expected);

    // Without "EveryHour" only the chime; a missing chime file plays nothing.
    object->Settings().everyHour = false;
    manager.Broadcast(msgHour, 0, 0);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(sound->Count(), expected.size() + 1);
    EXPECT_EQ(sound->WordsPlayed().back(), expected.front());
    object->Settings().everyHour = true;
    object->Settings().chimeFile = folder + L"\\none.wav";
    manager.Broadcast(msgHour, 0, 0);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(sound->Count(), expected.size() + 1 + kPhraseAt1405.size());
    EXPECT_EQ(sound->WordsPlayed()[expected.size() + 1], L"TODAY");
}

// The page as the options dialog gets it, with its switches clicked.
class SpeechPageTest : public SpeechPluginTest {
protected:
    void OpenPage() {
        dialog.reset(::CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_POPUP, 0, 0, 400,
                                       300, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                       nullptr));
        page = object->OnCreateSetupPage(*object, dialog.get());
        ASSERT_NE(page, nullptr);
    }
    HWND Control(const wchar_t* name) {
        HWND control = FindComponent(page, name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(const wchar_t* name) { ::SendMessageW(Control(name), BM_CLICK, 0, 0); }
    bool IsChecked(const wchar_t* name) {
        return ::SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    UniqueWindow dialog;
    HWND page = nullptr;
};

TEST_F(SpeechPageTest, CancelAfterUntickingBothHourlySwitchesKeepsTheHourlyAnnouncement) {
    Load();
    OpenPage();
    EXPECT_EQ(WindowText(Control(L"CBoxEveryHour")), L"Speech.Zentik/CBoxEveryHour");
    EXPECT_TRUE(IsChecked(L"CBoxEveryHour"));
    EXPECT_TRUE(IsChecked(L"cbEveryHour"));
    Click(L"CBoxEveryHour");
    EXPECT_TRUE(HourSubscribed()) << "the chime still wants the hour";
    Click(L"cbEveryHour");
    EXPECT_FALSE(HourSubscribed());
    EXPECT_FALSE(::IsWindowEnabled(Control(L"btnEveryHourPlay")));

    manager.Broadcast(msgSetupClosed, 0, 0);
    EXPECT_TRUE(object->Settings().everyHour);
    EXPECT_TRUE(object->Settings().everyHourPlay);
    EXPECT_TRUE(HourSubscribed());
    EXPECT_EQ(ReadDword(L"EveryHour"), 0xFFFFu) << "Cancel writes nothing";
}

TEST_F(SpeechPageTest, LiveChangesAreSpokenAtOnceAndOkSavesThem) {
    AddVoice(L"Other.szt");
    Load();
    OpenPage();
    Click(L"CBoxTime");
    EXPECT_FALSE(::IsWindowEnabled(Control(L"CBoxHour")));
    EXPECT_FALSE(::IsWindowEnabled(Control(L"CBoxMinute")));
    Click(L"CBoxDate");
    EXPECT_FALSE(::IsWindowEnabled(Control(L"CBoxMonth")));
    HWND voices = Control(L"edtPlName");
    ASSERT_EQ(::SendMessageW(voices, LB_GETCOUNT, 0, 0), 2);
    const LRESULT other = ::SendMessageW(voices, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(L"Other.szt"));
    ::SendMessageW(voices, LB_SETCURSEL, other, 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(voices), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(voices));
    Click(L"btnTest");
    EXPECT_EQ(Spoken(), (Words{L"TODAY", L"EMPTY"}));
    EXPECT_EQ(sound->Log().back().voice, L"Other.szt");

    manager.Broadcast(msgSetupClosed, 1, 0);
    EXPECT_EQ(ReadDword(L"Time"), 0u);
    EXPECT_EQ(ReadDword(L"Date"), 0u);
    EXPECT_EQ(ReadDword(L"Today"), 1u);
    EXPECT_EQ(LoadSpeechSettings(kTestKey), object->Settings());
    EXPECT_EQ(object->Settings().voice, L"Other.szt");
}

TEST_F(SpeechPluginTest, UnloadingDuringAPhraseReturnsWithinTheBoundAndNothingMoreIsPlayed) {
    Load();
    sound->Hold();
    Talk();
    ASSERT_TRUE(PumpUntil([&] { return sound->Count() == 1; }));
    const UniqueThread speaking(::OpenThread(SYNCHRONIZE, FALSE, sound->SpeakingThread()));
    ASSERT_TRUE(speaking);

    const ULONGLONG start = ::GetTickCount64();
    Unload();
    const ULONGLONG took = ::GetTickCount64() - start;
    EXPECT_LT(took, kBoundMs) << "the word in progress is cut short";
    EXPECT_GE(sound->stops.load(), 1);
    EXPECT_EQ(::WaitForSingleObject(speaking.get(), 0), WAIT_OBJECT_0)
        << "the speaking thread has ended";
    EXPECT_EQ(sound->WordsPlayed(), (Words{L"TODAY"}));
}

} // namespace
} // namespace zt::test

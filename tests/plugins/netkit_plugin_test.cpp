// The Netkit plug-in under Wine, with the fake host and a fake SNTP server on loopback: the
// stored record and its bad values, the command from a worker thread, the page with its
// list-editing panel, OK and Cancel, the Scheduler button and the time-page frame.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/component_name.h"
#include "common/handles.h"
#include "common/message_box.h"
#include "common/window_text.h"
#include "netkit_page.h"
#include "netkit_plugin.h"
#include "netkit_settings.h"
#include "tests/plugins/fake_host.h"
#include "tests/plugins/sntp_fake_server.h"
#include "zentik/ztPlugin.h"

namespace zt::test {
namespace {

using Lines = std::vector<std::wstring>;

constexpr wchar_t kTestRoot[] = L"Software\\Ombrelt\\ZentikTests";
constexpr wchar_t kTestKey[] = L"Software\\Ombrelt\\ZentikTests\\Netkit.Zentik";
constexpr SyncDateTime kNow = 46000.25;
constexpr DWORD kRunBoundMs = 20000;

void DeleteTestKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
}

UniqueKey CreateTestKey() {
    HKEY raw = nullptr;
    EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                &raw, nullptr),
              ERROR_SUCCESS);
    return UniqueKey(raw);
}

void WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    const UniqueKey key = CreateTestKey();
    ASSERT_EQ(::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
}
void WriteDword(const wchar_t* name, DWORD value) {
    WriteValue(name, REG_DWORD, &value, sizeof(value));
}
void WriteString(const wchar_t* name, const std::wstring& value) {
    WriteValue(name, REG_SZ, value.c_str(),
               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool ValueExists(const wchar_t* name) {
    return ::RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_ANY, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

std::string FileBytes(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    std::string bytes(4096, '\0');
    DWORD read = 0;
    if (!file ||
        !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return "<unreadable>";
    bytes.resize(read);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    const UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                    &written, nullptr));
}

// UTC now as a FILETIME count of seconds.
double UtcSeconds(const SYSTEMTIME& time) {
    FILETIME file{};
    ::SystemTimeToFileTime(&time, &file);
    return static_cast<double>(ULARGE_INTEGER{{file.dwLowDateTime, file.dwHighDateTime}}.QuadPart) /
           1e7;
}
double UtcNowSeconds() {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return UtcSeconds(now);
}

// ---- The stored record ----------------------------------------------------------------

class NetkitSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteTestKey(); }
    void TearDown() override { DeleteTestKey(); }
};

TEST_F(NetkitSettingsTest, SavedRecordLoadsBackAndMissingValuesKeepTheDefaults) {
    EXPECT_EQ(LoadSynchronizator(kTestKey, L"pool.example"),
              DefaultSynchronizator(L"pool.example"));

    TSynchronizator record;
    record.EnableNextSynch = false;
    record.PortSynch = 255;
    record.ReceiveTimeOutSynch = 65535;
    record.LastSynch = 46000.5;
    record.LastLuckySynch = 45999.75;
    record.HostSynch = L"время.example:1234";
    record.StatusSynch = L"готово";
    ASSERT_TRUE(SaveSynchronizator(kTestKey, record));
    EXPECT_EQ(LoadSynchronizator(kTestKey, L"pool.example"), record);
}

TEST_F(NetkitSettingsTest, ValuesOfAnotherTypeOrOutOfRangeKeepTheDefaults) {
    WriteDword(L"PortSynch", 256);
    WriteDword(L"ReceiveTimeOutSynch", 65536);
    WriteString(L"EnableNextSynch", L"0");
    WriteDword(L"HostSynch", 7);
    WriteString(L"LastSynch", L"46000");
    const float shortTime = 1.0F;
    WriteValue(L"LastLuckySynch", REG_BINARY, &shortTime, sizeof(shortTime));
    EXPECT_EQ(LoadSynchronizator(kTestKey, L"pool.example"),
              DefaultSynchronizator(L"pool.example"));
}

// ---- The plug-in object ---------------------------------------------------------------

class NetkitPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeZentik& host = FakeZentik::Get();
        host.Reset();
        host.language = static_cast<IztLanguageMan*>(&language);
        host.systemClock = static_cast<IztSystemClock*>(&clock);
        DeleteTestKey();
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"zt-netkit-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
        hostList = folder + L"\\HostList.txt";
        WriteFileBytes(hostList, "one.example\r\ntwo.example:124\r\n");
        ASSERT_TRUE(server.Started());
    }

    void TearDown() override {
        Unload();
        ::DeleteFileW(hostList.c_str());
        ::RemoveDirectoryW(folder.c_str());
        DeleteTestKey();
        FakeZentik::Get().Reset();
    }

    void Load() {
        NetkitPlatform platform;
        platform.keyPath = kTestKey;
        platform.folder = folder;
        platform.client = DefaultSntpClientPlatform(); // sets the clock through the host
        platform.now = [] { return kNow; };
        object = new TztPlgNetkit(std::move(platform));
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

    // The stored server is the fake one, without fallback.
    void UseFakeServer() {
        WriteString(L"HostSynch", server.ServerText());
        WriteDword(L"EnableNextSynch", 0);
        WriteDword(L"ReceiveTimeOutSynch", 3000);
    }

    FakeLanguage language;
    FakeSystemClock clock;
    FakePluginMan manager;
    SntpFakeServer server;
    std::wstring folder;
    std::wstring hostList;
    TztPlgNetkit* object = nullptr;
    IztPlugin* plugin = nullptr;
};

TEST_F(NetkitPluginTest, TheCommandIsRegisteredFromInitializeToFinalize) {
    Load();
    EXPECT_EQ(ztTakeBstr(plugin->GetName()), L"Netkit.Zentik");
    EXPECT_EQ(ztTakeBstr(plugin->GetVersion()), L"2.1");
    ASSERT_EQ(manager.commands.size(), 1u);
    EXPECT_EQ(manager.commands[0].data, L"NU_Synchronize");
    EXPECT_EQ(manager.commands[0].caption, L"Netkit.Zentik/MenuItem");
    EXPECT_EQ(manager.commands[0].hint, L"Netkit.Zentik/MenuItemHelp");
    EXPECT_NE(manager.Proc(L"NU_Synchronize"), nullptr);

    Unload();
    EXPECT_EQ(manager.deleted, (Lines{L"NU_Synchronize"}));
    EXPECT_TRUE(manager.subscriptions.empty());
}

TEST_F(NetkitPluginTest, TheCommandOnAWorkerThreadSetsTheClockAndStoresAllSevenValues) {
    constexpr double kOffset = 3600;
    server.SetReply(FakeSntpReply::Good, kOffset);
    UseFakeServer();
    Load();
    const ZT_CMND_PROC proc = manager.Proc(L"NU_Synchronize");
    ASSERT_NE(proc, nullptr);

    const UniqueThread worker(::CreateThread(
        nullptr, 0,
        [](void* routine) -> DWORD {
            reinterpret_cast<ZT_CMND_PROC>(routine)(nullptr);
            return 0;
        },
        reinterpret_cast<void*>(proc), 0, nullptr));
    ASSERT_TRUE(worker);
    ASSERT_EQ(::WaitForSingleObject(worker.get(), kRunBoundMs), WAIT_OBJECT_0);

    EXPECT_EQ(server.Requests(), 1);
    const std::vector<SYSTEMTIME> set = clock.Times();
    ASSERT_EQ(set.size(), 1u);
    EXPECT_NEAR(UtcSeconds(set[0]) - UtcNowSeconds(), kOffset, 5);

    for (const wchar_t* name : {L"EnableNextSynch", L"PortSynch", L"ReceiveTimeOutSynch",
                                L"HostSynch", L"StatusSynch", L"LastSynch", L"LastLuckySynch"})
        EXPECT_TRUE(ValueExists(name)) << name;
    const TSynchronizator stored = LoadSynchronizator(kTestKey, L"");
    EXPECT_EQ(stored.LastSynch, kNow);
    EXPECT_EQ(stored.LastLuckySynch, stored.LastSynch);
    EXPECT_EQ(stored.StatusSynch, L"Netkit.Zentik/rsSuccessStatus");
    EXPECT_EQ(stored.HostSynch, server.ServerText());
}

// ---- The page and the time-page frame -------------------------------------------------

class NetkitPageTest : public NetkitPluginTest {
protected:
    // A setup dialog with a time page panel, and the plug-in's page in it.
    void OpenPage() {
        dialog.reset(::CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_POPUP, 0, 0, 500,
                                       400, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                       nullptr));
        timePanel = ::CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_CHILD, 0, 0, 450, 330,
                                      dialog.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
        SetComponentName(timePanel, L"pnlTime");
        page = object->OnCreateSetupPage(*object, dialog.get());
        ASSERT_NE(page, nullptr);
    }
    HWND Control(const wchar_t* name) {
        HWND control = FindComponent(page, name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(const wchar_t* name) { ::SendMessageW(Control(name), BM_CLICK, 0, 0); }
    // Shown within the page (the page itself stays hidden here).
    bool Shown(const wchar_t* name) {
        return (::GetWindowLongW(Control(name), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    bool IsChecked(const wchar_t* name) {
        return ::SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void TypeServer(const std::wstring& text) {
        HWND box = Control(L"cbHostList");
        ::SetWindowTextW(box, text.c_str());
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(box), CBN_EDITCHANGE),
                       reinterpret_cast<LPARAM>(box));
    }
    // The list-editing panel's memo and timeout, then its OK.
    void EditList(const std::wstring& lines, const std::wstring& timeout) {
        Click(L"btnAdv");
        ::SetWindowTextW(Control(L"mHL"), lines.c_str());
        ::SetWindowTextW(Control(L"edtTimeOut"), timeout.c_str());
        Click(L"btnOkHL");
    }
    LRESULT ListCount() { return ::SendMessageW(Control(L"cbHostList"), CB_GETCOUNT, 0, 0); }

    UniqueWindow dialog;
    HWND timePanel = nullptr;
    HWND page = nullptr;
};

TEST_F(NetkitPageTest, ControlsShowTheRecordAndDefaultsResetAllButTheStatus) {
    WriteDword(L"EnableNextSynch", 0);
    WriteDword(L"ReceiveTimeOutSynch", 700);
    WriteString(L"HostSynch", L"time.example:1234");
    WriteString(L"StatusSynch", L"earlier");
    Load();
    OpenPage();
    EXPECT_EQ(WindowText(Control(L"gb1")), L"Netkit.Zentik/gb1");
    EXPECT_FALSE(IsChecked(L"cbCheckNext"));
    EXPECT_EQ(WindowText(Control(L"cbHostList")), L"time.example:1234");
    EXPECT_EQ(ListCount(), 2);
    EXPECT_EQ(WindowText(Control(L"LSynchStatus")), L"earlier");
    EXPECT_EQ(WindowText(Control(L"edtTimeOut")), L"700");
    EXPECT_FALSE(Shown(L"pnlEditHL"));

    Click(L"bDef");
    EXPECT_TRUE(IsChecked(L"cbCheckNext"));
    EXPECT_EQ(WindowText(Control(L"cbHostList")), L"Netkit.Zentik/rsDefSyncHost");
    EXPECT_EQ(WindowText(Control(L"edtTimeOut")), L"5000");
    TSynchronizator expected = DefaultSynchronizator(L"Netkit.Zentik/rsDefSyncHost");
    expected.StatusSynch = L"earlier";
    EXPECT_EQ(object->Page()->Record(), expected);
}

TEST_F(NetkitPageTest, TheEditPanelTakesTheLinesAndANumericTimeoutOnly) {
    WriteDword(L"ReceiveTimeOutSynch", 700);
    Load();
    OpenPage();
    Click(L"btnAdv");
    EXPECT_TRUE(Shown(L"pnlEditHL"));
    EXPECT_FALSE(Shown(L"cbHostList"));
    EXPECT_EQ(WindowText(Control(L"mHL")), L"one.example\r\ntwo.example:124\r\n");

    EditList(L"a.example\r\n\r\n b.example:5 \r\nc.example", L"12s");
    EXPECT_EQ(object->Page()->HostList(), (Lines{L"a.example", L"b.example:5", L"c.example"}));
    EXPECT_EQ(ListCount(), 3);
    EXPECT_EQ(object->Page()->Record().ReceiveTimeOutSynch, 700);
    EXPECT_FALSE(Shown(L"pnlEditHL"));
    EXPECT_TRUE(Shown(L"cbHostList"));

    EditList(L"a.example", L"900");
    EXPECT_EQ(object->Page()->Record().ReceiveTimeOutSynch, 900);
}

TEST_F(NetkitPageTest, CancelDropsTheChangesAndOkStoresThem) {
    WriteString(L"HostSynch", L"time.example");
    Load();
    OpenPage();
    TypeServer(L"new.example:99");
    Click(L"cbCheckNext");
    EditList(L"x.example", L"1000");
    manager.Broadcast(msgSetupClosed, 0, 0);
    EXPECT_EQ(object->Page(), nullptr);
    EXPECT_EQ(FileBytes(hostList), "one.example\r\ntwo.example:124\r\n");
    EXPECT_EQ(LoadSynchronizator(kTestKey, L""), DefaultSynchronizator(L"time.example"));
    EXPECT_FALSE(ValueExists(L"EnableNextSynch"));

    OpenPage();
    EXPECT_EQ(WindowText(Control(L"cbHostList")), L"time.example");
    EXPECT_EQ(ListCount(), 2);
    TypeServer(L"new.example:99");
    Click(L"cbCheckNext");
    EditList(L"x.example\r\nпример.рф", L"1000");
    manager.Broadcast(msgSetupClosed, 1, 0);
    EXPECT_EQ(FileBytes(hostList), "x.example\r\n\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80."
                                   "\xD1\x80\xD1\x84\r\n");
    TSynchronizator expected = DefaultSynchronizator(L"new.example:99");
    expected.EnableNextSynch = false;
    expected.ReceiveTimeOutSynch = 1000;
    EXPECT_EQ(LoadSynchronizator(kTestKey, L""), expected);
    EXPECT_TRUE(ValueExists(L"EnableNextSynch"));
}

TEST_F(NetkitPageTest, WithoutTheHostListFileThePageHasAnEmptyList) {
    ASSERT_TRUE(::DeleteFileW(hostList.c_str()));
    Load();
    OpenPage();
    ASSERT_NE(object->Page(), nullptr);
    EXPECT_EQ(ListCount(), 0);
    manager.Broadcast(msgSetupClosed, 0, 0);
    EXPECT_EQ(object->Page(), nullptr);
}

TEST_F(NetkitPageTest, TheSchedulerButtonIsEnabledOnlyWhileTheSchedulerIsLoaded) {
    ASSERT_EQ(::GetModuleHandleW(L"Scheduler.pzt"), nullptr);
    Load();
    OpenPage();
    EXPECT_FALSE(::IsWindowEnabled(Control(L"btnAddSch")));
    manager.Broadcast(msgSetupClosed, 0, 0);

    const UniqueModule scheduler(
        ::LoadLibraryExW(L"" ZT_SCHEDULER_PATH, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    ASSERT_TRUE(scheduler) << ::GetLastError();
    OpenPage();
    EXPECT_TRUE(::IsWindowEnabled(Control(L"btnAddSch")));
    Click(L"btnAddSch"); // a Scheduler without its plug-in object does nothing
    manager.Broadcast(msgSetupClosed, 0, 0);
}

TEST_F(NetkitPageTest, TheTimePageButtonSynchronisesAndShowsTheStatusInAMessageBox) {
    server.SetReply(FakeSntpReply::Good, -120);
    UseFakeServer();
    Load();
    OpenPage();
    HWND frame = FindComponent(dialog.get(), L"FTimeSync");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(::GetParent(frame), timePanel);
    RECT panelArea{}, frameArea{};
    ::GetClientRect(timePanel, &panelArea);
    ::GetWindowRect(frame, &frameArea);
    ::MapWindowPoints(nullptr, timePanel, reinterpret_cast<POINT*>(&frameArea), 2);
    EXPECT_EQ(frameArea.bottom, panelArea.bottom);
    HWND button = FindComponent(frame, L"btnSynch");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(WindowText(button), L"Netkit.Zentik/btnSynch");

    struct Shown {
        std::wstring text, caption;
        UINT type;
    };
    std::vector<Shown> shown;
    const MessageBoxHandler previous =
        SetMessageBoxHandler([&](HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
            shown.push_back({text, caption, type});
            return IDOK;
        });
    ::SendMessageW(button, BM_CLICK, 0, 0);
    SetMessageBoxHandler(previous);

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, L"Netkit.Zentik/rsSuccessStatus");
    EXPECT_EQ(shown[0].caption, L"");
    EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(WindowText(Control(L"LSynchStatus")), shown[0].text);
    EXPECT_EQ(clock.Times().size(), 1u);
    const TSynchronizator stored = LoadSynchronizator(kTestKey, L"");
    EXPECT_EQ(stored.StatusSynch, shown[0].text);
    EXPECT_EQ(stored.LastLuckySynch, kNow);
    EXPECT_FALSE(ValueExists(L"PortSynch")) << "only the results are written";
}

} // namespace
} // namespace zt::test

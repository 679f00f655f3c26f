// TztPlugin's life cycle, manager reference, language texts, settings-page hooks and the
// plug-in menu helpers, with a plug-in class built into the test program; the SDK's access to the
// clock's objects and its reference and BSTR owners.

#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/handles.h"
#include "common/timer.h"
#include "tests/plugins/fake_host.h"
#include "zentik/ztPlugin.h"

namespace {

int g_destroyed = 0;

class ProbePlugin final : public TztPlugin {
public:
    ~ProbePlugin() override { ++g_destroyed; }
    BSTR STDMETHODCALLTYPE GetName() override { return ::SysAllocString(L"Probe.Zentik"); }
    BSTR STDMETHODCALLTYPE GetCaption() override { return LangBstr(L"Caption"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"1.0"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override { return ::SysAllocString(L"Probe"); }
    BSTR STDMETHODCALLTYPE GetNotice() override { return ::SysAllocString(L""); }
    BSTR STDMETHODCALLTYPE GetDescription() override { return LangBstr(L"Description"); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }
};

} // namespace

ZT_REGISTER_PLUGIN(ProbePlugin)

namespace zt::test {
namespace {

// Creates the plug-in the way the host does: register, query IztPlugin, drop the first
// reference.
class PluginBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeZentik::Get().Reset();
        g_destroyed = 0;
        plugin = Register();
        ASSERT_NE(plugin, nullptr);
        object = ztPluginObjectAs<ProbePlugin>();
    }
    void TearDown() override {
        if (plugin)
            plugin->Finalize();
        FakeZentik::Get().Reset();
    }

    static IztPlugin* Register() {
        IUnknown* unknown = nullptr;
        ztRegisterPlugin(&unknown);
        if (!unknown)
            return nullptr;
        void* found = nullptr;
        const HRESULT queried = unknown->QueryInterface(IID_IztPlugin, &found);
        unknown->Release();
        return SUCCEEDED(queried) ? static_cast<IztPlugin*>(found) : nullptr;
    }

    // Finalize destroys the object: the fixture must not call it again.
    BOOL FinalizeOnce() { return std::exchange(plugin, nullptr)->Finalize(); }

    IztPlugin* plugin = nullptr;
    ProbePlugin* object = nullptr;
    FakePluginMan manager;
};

TEST_F(PluginBaseTest, RegisteringMakesTheModuleObject) {
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(static_cast<IztPlugin*>(object), plugin);
    EXPECT_EQ(ztTakeBstr(plugin->GetName()), L"Probe.Zentik");

    // A second object of the same library does not replace the first; dropping it
    // destroys it and leaves the first in place.
    IztPlugin* second = Register();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(ztPluginObject(), object);
    second->Release();
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(ztPluginObject(), object);
}

TEST_F(PluginBaseTest, InitializeWithoutHookKeepsThePluginAndHoldsTheManager) {
    EXPECT_EQ(plugin->Initialize(&manager), TRUE);
    EXPECT_EQ(manager.Refs(), 1);
    EXPECT_EQ(object->Manager(), static_cast<IUnknown*>(&manager));
    EXPECT_EQ(object->PluginMan().get(), static_cast<IztPluginMan*>(&manager));
}

TEST_F(PluginBaseTest, InitializeReturnsTheHookFlagAndFalseWhenTheHookThrows) {
    int calls = 0;
    object->OnInitialize = [&](TztPlugin& sender, bool& allowLoad) {
        ++calls;
        EXPECT_EQ(&sender, object);
        EXPECT_TRUE(allowLoad);
        allowLoad = false;
    };
    EXPECT_EQ(plugin->Initialize(&manager), FALSE);
    EXPECT_EQ(calls, 1);

    object->OnInitialize = [](TztPlugin&, bool&) { throw std::runtime_error("hook"); };
    EXPECT_EQ(plugin->Initialize(&manager), FALSE);
}

TEST_F(PluginBaseTest, SecondInitializeReleasesTheFirstManager) {
    FakePluginMan other;
    ASSERT_EQ(plugin->Initialize(&manager), TRUE);
    ASSERT_EQ(plugin->Initialize(&other), TRUE);
    EXPECT_EQ(manager.Refs(), 0);
    EXPECT_EQ(other.Refs(), 1);
    EXPECT_EQ(object->Manager(), static_cast<IUnknown*>(&other));
    FinalizeOnce();
    EXPECT_EQ(other.Refs(), 0);
}

TEST_F(PluginBaseTest, FinalizeWithoutHookDestroysAndReleasesTheManager) {
    ASSERT_EQ(plugin->Initialize(&manager), TRUE);
    EXPECT_EQ(FinalizeOnce(), TRUE);
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(manager.Refs(), 0);
    EXPECT_EQ(ztPluginObject(), nullptr);
}

TEST_F(PluginBaseTest, FinalizeReturnsTheHookFlagAndDestroysEvenWhenTheHookThrows) {
    object->OnFinalize = [](TztPlugin&, bool& result) { result = false; };
    EXPECT_EQ(FinalizeOnce(), FALSE);
    EXPECT_EQ(g_destroyed, 1);

    plugin = Register();
    ASSERT_NE(plugin, nullptr);
    object = ztPluginObjectAs<ProbePlugin>();
    ASSERT_NE(object, nullptr);
    object->OnFinalize = [](TztPlugin&, bool&) { throw std::runtime_error("hook"); };
    EXPECT_EQ(FinalizeOnce(), FALSE);
    EXPECT_EQ(g_destroyed, 2);
}

TEST_F(PluginBaseTest, ReleasingTheLastReferenceInsideFinalizeDestroysOnce) {
    // The host's last reference goes while OnFinalize runs.
    IztPlugin* self = plugin;
    object->OnFinalize = [self](TztPlugin&, bool&) { self->Release(); };
    EXPECT_EQ(FinalizeOnce(), TRUE);
    EXPECT_EQ(g_destroyed, 1);
}

TEST_F(PluginBaseTest, ReleasingAnObjectThatWasNeverFinalizedDestroysIt) {
    std::exchange(plugin, nullptr)->Release();
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(ztPluginObject(), nullptr);
}

TEST_F(PluginBaseTest, ConfigureCallsTheHookIfAssignedAndSwallowsItsFailure) {
    plugin->Configure(); // unassigned: nothing happens
    int calls = 0;
    object->OnConfigure = [&](TztPlugin& sender) {
        ++calls;
        EXPECT_EQ(&sender, object);
    };
    plugin->Configure();
    EXPECT_EQ(calls, 1);
    object->OnConfigure = [](TztPlugin&) { throw std::runtime_error("hook"); };
    plugin->Configure();
}

TEST_F(PluginBaseTest, WithoutSetupHooksNothingListensForTheOptionsDialog) {
    ASSERT_EQ(plugin->Initialize(&manager), TRUE);
    EXPECT_TRUE(manager.subscriptions.empty());
}

TEST_F(PluginBaseTest, SetupHooksHearTheOptionsDialogFromInitializeToFinalize) {
    std::vector<std::wstring> calls;
    HWND made = nullptr;
    object->OnCreateSetupPage = [&](TztPlugin& sender, HWND dialog) -> HWND {
        EXPECT_EQ(&sender, object);
        calls.push_back(L"create");
        made = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, dialog, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
        return made;
    };
    object->OnSetupClosed = [&](TztPlugin&, bool ok) { calls.push_back(ok ? L"ok" : L"cancel"); };
    ASSERT_EQ(plugin->Initialize(&manager), TRUE);
    EXPECT_EQ(manager.subscriptions.size(), 2u);

    // No options dialog is open to take the page (ZentikOpt.dll is not loaded here).
    UniqueWindow dialog(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                          nullptr, ::GetModuleHandleW(nullptr), nullptr));
    manager.Broadcast(msgSetupCreated, reinterpret_cast<INT_PTR>(dialog.get()), 0);
    ASSERT_NE(made, nullptr);
    EXPECT_FALSE(::IsWindow(made)) << "a page nobody took is destroyed";
    manager.Broadcast(msgSetupClosed, 1, 0);
    manager.Broadcast(msgSetupClosed, 0, 0);
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"create", L"ok", L"cancel"}));

    EXPECT_EQ(FinalizeOnce(), TRUE);
    EXPECT_TRUE(manager.subscriptions.empty()) << "Finalize unsubscribes";
}

TEST_F(PluginBaseTest, CaptionAndDescriptionComeFromTheModuleNamedByGetName) {
    FakeLanguage language;
    FakeZentik::Get().language = &language;
    EXPECT_EQ(ztTakeBstr(plugin->GetCaption()), L"Probe.Zentik/Caption");
    EXPECT_EQ(ztTakeBstr(plugin->GetDescription()), L"Probe.Zentik/Description");
    EXPECT_EQ(language.open, 0);
    EXPECT_EQ(language.Refs(), 0);
}

TEST_F(PluginBaseTest, CaptionIsEmptyWithoutALanguageManager) {
    BSTR caption = plugin->GetCaption();
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(::SysStringLen(caption), 0u);
    ::SysFreeString(caption);
}

// ---- The clock's objects and the owners --------------------------------------------

TEST(HostInterface, BorrowedObjectsAreCountedWhileHeld) {
    FakeZentik& host = FakeZentik::Get();
    host.Reset();
    FakeClock clock;
    host.clock = static_cast<ICustomZentik*>(&clock);
    {
        const TztComRef<ICustomZentik> engine =
            ztGetHostInterface<ICustomZentik>(ztiClockEngine, IID_ICustomZentik);
        EXPECT_EQ(engine.get(), static_cast<ICustomZentik*>(&clock));
        EXPECT_EQ(clock.Refs(), 1);
    }
    EXPECT_EQ(clock.Refs(), 0);
    EXPECT_FALSE(ztGetHostInterface<IztLCDPanel>(ztiClockEngine, IID_IztLCDPanel));
    EXPECT_FALSE(ztGetHostInterface<IztLCDPanel>(ztiLCDPanel, IID_IztLCDPanel)) << "none set";
    EXPECT_EQ(clock.Refs(), 0);
    host.Reset();
}

TEST(HostInterface, ANewTimerBelongsToTheCallerAlone) {
    FakeZentik& host = FakeZentik::Get();
    host.Reset();
    const unsigned before = GetTimerHandlerState().timerCount;
    {
        const TztComRef<IztTimer> timer = ztGetHostInterface<IztTimer>(ztiNewTimer, IID_IztTimer);
        ASSERT_TRUE(timer);
        EXPECT_EQ(timer->GetInterval(), 1000);
        EXPECT_EQ(GetTimerHandlerState().timerCount, before + 1);
    }
    EXPECT_EQ(GetTimerHandlerState().timerCount, before) << "the caller's reference leaked";
    // Asked for an interface it lacks, the new timer goes at once.
    EXPECT_FALSE(ztGetHostInterface<IztLCDPanel>(ztiNewTimer, IID_IztLCDPanel));
    EXPECT_EQ(host.timersMade, 2);
    EXPECT_EQ(GetTimerHandlerState().timerCount, before);
    host.Reset();
}

TEST(ComHelpers, PutDropsWhatIsHeldAndReleaseHandsItOver) {
    FakeClock first;
    FakeClock second;
    auto ref = TztComRef<ICustomZentik>::Query(&first, IID_ICustomZentik);
    ASSERT_EQ(first.Refs(), 1);
    ASSERT_EQ(second.QueryInterface(IID_ICustomZentik, ref.put_void()), S_OK);
    EXPECT_EQ(first.Refs(), 0);
    EXPECT_EQ(ref.get(), static_cast<ICustomZentik*>(&second));
    ICustomZentik* handed = ref.release();
    EXPECT_FALSE(ref);
    EXPECT_EQ(second.Refs(), 1);
    handed->Release();
}

TEST(ComHelpers, BstrTextsKeepTheirLengthAndNullCountsAsEmpty) {
    TztBstr text(ztAllocBstr(std::wstring_view(L"a\0b", 3)));
    ASSERT_NE(text.get(), nullptr);
    EXPECT_EQ(::SysStringLen(text.get()), 3u);
    EXPECT_EQ(text.str(), std::wstring(L"a\0b", 3));
    const TztBstr empty(ztAllocBstr({}));
    ASSERT_NE(empty.get(), nullptr) << "an empty text is an empty BSTR, not null";
    EXPECT_EQ(::SysStringLen(empty.get()), 0u);
    EXPECT_EQ(ztTakeBstr(nullptr), L"");
}

// ---- Menu helpers -------------------------------------------------------------------

int g_menuRuns = 0;
IUnknown* g_menuSender = nullptr;
void STDMETHODCALLTYPE CountMenuRun(IUnknown* sender) {
    ++g_menuRuns;
    g_menuSender = sender;
}

class PluginMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_menuRuns = 0;
        g_menuSender = nullptr;
        root = ::CreatePopupMenu();
        // A host item outside the plug-in range.
        ::AppendMenuW(root, MF_STRING, 1000, L"Host item");
    }
    void TearDown() override { ::DestroyMenu(root); }
    HMENU root = nullptr;
};

TEST_F(PluginMenuTest, EntriesAreAddedWithDistinctIdsAndRunTheirRoutine) {
    TztPluginMenu first, second;
    ASSERT_TRUE(first.Create(root, L"First"));
    ASSERT_TRUE(second.Create(root, L"Second"));
    ASSERT_EQ(first.AddItem(L"a", &CountMenuRun), 0);
    ASSERT_EQ(second.AddItem(L"b", &CountMenuRun), 0);
    ASSERT_EQ(first.AddItem(L"c", &CountMenuRun), 1);
    ASSERT_EQ(::GetMenuItemCount(root), 3);
    EXPECT_EQ(::GetSubMenu(root, 1), first.Handle());
    EXPECT_EQ(MenuText(first.Handle(), 1), L"c");

    const UINT ids[] = {first.Id(), second.Id(), first.ItemId(0), second.ItemId(0),
                        first.ItemId(1)};
    for (size_t i = 0; i < std::size(ids); ++i) {
        EXPECT_GE(ids[i], ZT_PLUGIN_MENU_FIRST_ID);
        EXPECT_LE(ids[i], ZT_PLUGIN_MENU_LAST_ID);
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(ids[i], ids[j]);
    }

    FakePluginMan sender;
    EXPECT_EQ(ztRunMenuAction(root, second.ItemId(0), &sender), TRUE);
    EXPECT_EQ(g_menuRuns, 1);
    EXPECT_EQ(g_menuSender, static_cast<IztPluginMan*>(&sender));
    // The submenu item itself, the host's item and an unknown id run nothing.
    EXPECT_EQ(ztRunMenuAction(root, first.Id(), nullptr), FALSE);
    EXPECT_EQ(ztRunMenuAction(root, 1000, nullptr), FALSE);
    EXPECT_EQ(ztRunMenuAction(root, ZT_PLUGIN_MENU_LAST_ID, nullptr), FALSE);
    EXPECT_EQ(g_menuRuns, 1);
}

TEST_F(PluginMenuTest, CaptionsChangeInPlace) {
    TztPluginMenu menu;
    ASSERT_TRUE(menu.Create(root, L""));
    ASSERT_EQ(menu.AddItem(L"", &CountMenuRun), 0);
    menu.SetCaption(L"Sub");
    menu.SetItemCaption(0, L"Entry");
    EXPECT_EQ(MenuText(root, 1), L"Sub");
    EXPECT_EQ(MenuText(menu.Handle(), 0), L"Entry");
}

TEST_F(PluginMenuTest, DestroyRemovesOnlyWhatWasAdded) {
    {
        TztPluginMenu menu;
        ASSERT_TRUE(menu.Create(root, L"Sub"));
        ASSERT_EQ(menu.AddItem(L"x", &CountMenuRun), 0);
        ASSERT_EQ(::GetMenuItemCount(root), 2);
        const HMENU popup = menu.Handle();
        menu.Destroy();
        EXPECT_EQ(::GetMenuItemCount(root), 1);
        EXPECT_FALSE(::IsMenu(popup));
        ASSERT_TRUE(menu.Create(root, L"Again"));
    }
    // The destructor removed the second submenu too.
    EXPECT_EQ(::GetMenuItemCount(root), 1);
    EXPECT_EQ(::GetMenuItemID(root, 0), 1000u);
}

TEST(PluginsMenuLookup, FoundThroughThePropertyOfTheClockWindow) {
    FakeZentik& host = FakeZentik::Get();
    host.Reset();
    EXPECT_EQ(ztFindPluginsMenu(), nullptr);
    HMENU menu = ::CreatePopupMenu();
    ::SetPropW(host.Window(), ZT_PLUGINS_ITEMS, menu);
    EXPECT_EQ(ztFindPluginsMenu(), menu);
    ::DestroyMenu(menu);
    EXPECT_EQ(ztFindPluginsMenu(), nullptr); // a destroyed menu is no menu
    host.Reset();
}

} // namespace
} // namespace zt::test

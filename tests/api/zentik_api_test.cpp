#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <chrono>
#include <string>
#include <vector>

#include "api/roll_frames.h"
#include "api/zentik_api.h"
#include "fakes.h"
#include "common/handles.h"
#include "zentik/ztComHelpers.h"
#include "zentik/ztZentikAPI.h"

namespace {

using ApiRef = TztComRef<IZentikAPI>;

ApiRef Adopt(IUnknown* api) {
    return ApiRef::Attach(static_cast<IZentikAPI*>(api));
}

// Tells a null result from an empty text.
std::wstring Take(BSTR text) {
    return text ? ztTakeBstr(text) : L"<null>";
}

// ---- The exports: one API object per process, so every test installs the same host ----

fake::Commands gCommands;
fake::Language gLanguage;
fake::Zentik gHost(&gCommands, &gLanguage);
fake::Zentik gOtherHost(nullptr, nullptr);

IUnknown* gBeforeInit = nullptr;
IUnknown* gWithNullHost = nullptr;

// Sees the library before any test has called InitAPI.
class FirstContact : public testing::Environment {
public:
    void SetUp() override {
        GetAPI(&gBeforeInit);
        InitAPI(&gWithNullHost, nullptr);
    }
};
const testing::Environment* const gFirstContact =
    testing::AddGlobalTestEnvironment(new FirstContact);

ApiRef InstalledApi() {
    IUnknown* api = nullptr;
    InitAPI(&api, &gHost);
    return Adopt(api);
}

TEST(ZentikApiExports, NoObjectBeforeInitApi) {
    EXPECT_EQ(gBeforeInit, nullptr);
    // A null host does not take the place of the clock.
    EXPECT_EQ(gWithNullHost, nullptr);
}

TEST(ZentikApiExports, InitApiKeepsTheFirstHost) {
    const ApiRef first = InstalledApi();
    ASSERT_TRUE(first);
    IUnknown* again = nullptr;
    InitAPI(&again, &gOtherHost);
    const ApiRef second = Adopt(again);
    EXPECT_EQ(second.get(), first.get());
    EXPECT_EQ(second->GetZentik(), static_cast<IUnknown*>(&gHost));
    IUnknown* fetched = nullptr;
    GetAPI(&fetched);
    EXPECT_EQ(Adopt(fetched).get(), first.get());
}

TEST(ZentikApiExports, ReferencesAreCounted) {
    const ApiRef api = InstalledApi();
    const ULONG afterAddRef = api->AddRef();
    EXPECT_EQ(api->Release(), afterAddRef - 1);
    IUnknown* fetched = nullptr;
    GetAPI(&fetched);
    EXPECT_EQ(fetched->AddRef(), afterAddRef + 1) << "GetAPI adds a reference";
    fetched->Release();
    fetched->Release();

    IZentikAPI* queried = nullptr;
    ASSERT_EQ(api->QueryInterface(IID_IZentikAPI, reinterpret_cast<void**>(&queried)), S_OK);
    EXPECT_EQ(queried, api.get());
    EXPECT_EQ(queried->Release(), afterAddRef - 1);
    void* other = &gHost;
    EXPECT_EQ(api->QueryInterface(IID_IZentik, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);

    // An object of its own goes at the last Release.
    IZentikAPI* own = new zt::TAPI(&gHost);
    EXPECT_EQ(own->AddRef(), 2u);
    EXPECT_EQ(own->Release(), 1u);
    EXPECT_EQ(own->Release(), 0u);
}

TEST(ZentikApiExports, ExecCommandRunsTheSplitLineThroughTheRegistry) {
    const ApiRef api = InstalledApi();
    gCommands.executed.clear();
    api->ExecCommand(L"pm_Say the time now");
    api->ExecCommand(L"pm_TalkTime");
    api->ExecCommand(L" pm_TalkTime");
    api->ExecCommand(nullptr);
    using Call = std::pair<std::wstring, std::wstring>;
    const std::vector<Call> expected{
        {L"pm_Say", L"the time now"}, {L"pm_TalkTime", L""}, {L"", L"pm_TalkTime"}, {L"", L""}};
    EXPECT_EQ(gCommands.executed, expected);
    EXPECT_EQ(gHost.held, 0);
    EXPECT_EQ(gCommands.held, 0);
}

TEST(ZentikApiExports, GetLangTextTranslatesThroughTheLanguageManager) {
    const ApiRef api = InstalledApi();
    gLanguage.texts[L"Zentik"][L"Menu=Close"] = L"Close the clock";
    EXPECT_EQ(Take(api->GetLangText(L"Zentik", L"Menu=Close")), L"Close the clock");
    EXPECT_EQ(Take(api->GetLangText(L"Zentik", L"Menu=Missing")), L"");
    EXPECT_EQ(Take(api->GetLangText(L"Unknown.Zentik", L"Caption")), L"");
    EXPECT_EQ(gLanguage.openModules, 0) << "every module opened is closed again";
    EXPECT_EQ(gLanguage.held, 0);
    EXPECT_EQ(gHost.held, 0);
}

// ---- The object itself ----

struct ShellCall {
    HWND window;
    std::wstring operation, file, params, directory;
    int show;
};
std::vector<ShellCall> gShellCalls;

std::wstring OrNull(const wchar_t* text) {
    return text ? text : L"<null>";
}

HINSTANCE WINAPI RecordShell(HWND window, const wchar_t* operation, const wchar_t* file,
                             const wchar_t* params, const wchar_t* directory, INT show) {
    gShellCalls.push_back(
        {window, OrNull(operation), OrNull(file), OrNull(params), OrNull(directory), show});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

class ApiObject : public testing::Test {
protected:
    fake::Commands commands_;
    fake::Language language_;
    fake::Zentik host_{&commands_, &language_};
    ApiRef api_ = ApiRef::Attach(new zt::TAPI(&host_, &RecordShell));
};

TEST_F(ApiObject, ShellOpenAndRunShellPassTheirArguments) {
    gShellCalls.clear();
    EXPECT_EQ(api_->ShellOpen(L"C:\\help\\zentik.chm", L"-x"), 42);
    const HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    EXPECT_EQ(api_->RunShell(owner, L"print", L"a.txt", nullptr, L"C:\\", SW_HIDE), 42);
    ASSERT_EQ(gShellCalls.size(), 2u);
    const ShellCall& open = gShellCalls[0];
    EXPECT_EQ(open.window, nullptr);
    EXPECT_EQ(open.operation, L"open");
    EXPECT_EQ(open.file, L"C:\\help\\zentik.chm");
    EXPECT_EQ(open.params, L"-x");
    EXPECT_EQ(open.directory, L"<null>");
    EXPECT_EQ(open.show, SW_SHOWNORMAL);
    const ShellCall& run = gShellCalls[1];
    EXPECT_EQ(run.window, owner);
    EXPECT_EQ(run.operation + run.file + run.params + run.directory, L"printa.txt<null>C:\\");
    EXPECT_EQ(run.show, SW_HIDE);

    const ApiRef noShell = ApiRef::Attach(new zt::TAPI(&host_, nullptr));
    EXPECT_EQ(noShell->ShellOpen(L"a.txt", L""), 0);
}

TEST_F(ApiObject, TextServicesReturnBstrs) {
    EXPECT_EQ(Take(api_->GetParam(L"CMND", L"NOT_CONTAIN=x;CMND= zt_CloseZentik ;")),
              L"zt_CloseZentik");
    EXPECT_EQ(Take(api_->GetParam(nullptr, nullptr)), L"");
    TztBstr program;
    TztBstr params;
    api_->SplitCommandLine(L"\"C:\\Program Files\\a.exe\" /s", program.put(), params.put());
    EXPECT_EQ(program.str(), L"C:\\Program Files\\a.exe");
    EXPECT_EQ(params.str(), L"/s");
    api_->SplitCommandLine(L"calc.exe", program.put(), nullptr);
    EXPECT_EQ(program.str(), L"calc.exe");
}

TEST_F(ApiObject, ServicesWithoutHostPartsDoNothing) {
    const ApiRef bare = ApiRef::Attach(new zt::TAPI(nullptr));
    bare->ExecCommand(L"pm_TalkTime");
    EXPECT_EQ(Take(bare->GetLangText(L"Zentik", L"Caption")), L"");
    fake::Zentik empty(nullptr, nullptr);
    const ApiRef hollow = ApiRef::Attach(new zt::TAPI(&empty));
    hollow->ExecCommand(L"pm_TalkTime");
    EXPECT_EQ(Take(hollow->GetLangText(L"Zentik", L"Caption")), L"");
    EXPECT_EQ(empty.held, 0);
}

std::wstring TestFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

TEST_F(ApiObject, AddSetupPageNeedsTheLoadedOptionsLibrary) {
    fake::Plugin plugin(L"Word.Zentik", L"Word clock");
    const HWND page = reinterpret_cast<HWND>(static_cast<INT_PTR>(4660));
    ASSERT_EQ(::GetModuleHandleW(L"ZentikOpt.dll"), nullptr);
    EXPECT_FALSE(api_->AddSetupPage(page, &plugin));

    const zt::UniqueModule options(
        ::LoadLibraryW((TestFolder() + L"fake_options\\ZentikOpt.dll").c_str()));
    ASSERT_TRUE(options);
    using LogFn = const wchar_t*(__stdcall*)();
    const auto log = reinterpret_cast<LogFn>(
        reinterpret_cast<void*>(::GetProcAddress(options.get(), "FakeOptionsLog")));
    ASSERT_NE(log, nullptr);

    EXPECT_TRUE(api_->AddSetupPage(page, &plugin));
    EXPECT_STREQ(log(), L"add Word clock|Word.Zentik|4660;");
    // Added before: selected again, and the result says nothing was added.
    EXPECT_FALSE(api_->AddSetupPage(page, &plugin));
    EXPECT_STREQ(log(), L"add Word clock|Word.Zentik|4660;select Word.Zentik;");
    // Not a plug-in.
    EXPECT_FALSE(api_->AddSetupPage(page, static_cast<IZentik*>(&host_)));
    EXPECT_FALSE(api_->AddSetupPage(page, nullptr));
    EXPECT_STREQ(log(), L"add Word clock|Word.Zentik|4660;select Word.Zentik;");
    EXPECT_EQ(plugin.held, 0);
}

TEST_F(ApiObject, TrimWorkingSetKeepsTheLimits) {
    SIZE_T minBefore = 0, maxBefore = 0, minAfter = 0, maxAfter = 0;
    ASSERT_TRUE(::GetProcessWorkingSetSize(::GetCurrentProcess(), &minBefore, &maxBefore));
    EXPECT_TRUE(api_->TrimWorkingSet());
    ASSERT_TRUE(::GetProcessWorkingSetSize(::GetCurrentProcess(), &minAfter, &maxAfter));
    EXPECT_EQ(minAfter, minBefore);
    EXPECT_EQ(maxAfter, maxBefore);
}

// ---- Roll animations on a real window ----

std::vector<zt::RollFrame> gPainted;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        RECT box{};
        if (::GetWindowRgnBox(window, &box) != ERROR)
            gPainted.push_back({box.left, box.top, box.right, box.bottom});
        const zt::PaintScope paint(window);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class Roll : public ApiObject {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &RecordingProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZentikApiRollTest";
        ::RegisterClassW(&wc);
        window_.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, L"ZentikApiRollTest", L"", WS_POPUP, 100,
                                        100, 129, 39, nullptr, nullptr, wc.hInstance, nullptr));
        ASSERT_TRUE(window_);
        gPainted.clear();
    }

    int RegionType() const {
        const zt::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
        return ::GetWindowRgn(window_.get(), region.get());
    }

    zt::UniqueWindow window_;
};

TEST_F(Roll, RollInPaintsEveryFrameFromTheStripOutAndEndsFullyShown) {
    EXPECT_NE(api_->RollIn(window_.get(), 129, 39), 0);
    EXPECT_TRUE(::IsWindowVisible(window_.get()));
    EXPECT_EQ(RegionType(), ERROR) << "no region left: the whole window shows";
    const auto frames = zt::RollFrames(129, 39);
    const std::vector<zt::RollFrame> reversed(frames.rbegin(), frames.rend());
    EXPECT_EQ(gPainted, reversed);
}

TEST_F(Roll, RollOutEndsWithAnEmptyRegionOnAVisibleWindow) {
    ::ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(api_->RollOut(window_.get(), 129, 39), 0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(::IsWindowVisible(window_.get()));
    EXPECT_EQ(RegionType(), NULLREGION);
    // 17 frames 10 ms apart, with room for a coarse timer.
    EXPECT_GE(elapsed, std::chrono::milliseconds(17 * 8));
}

TEST_F(Roll, NoWindowReturnsAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(api_->RollIn(nullptr, 129, 39), 0);
    EXPECT_EQ(api_->RollOut(nullptr, 129, 39), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

} // namespace

#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "common/handles.h"
#include "framework/cmnd_intf.h"

namespace {

using zt::CmndInterface;

// Routines are plain function pointers: what they need is reached through globals.
std::atomic<IUnknown*> gSender{nullptr};
std::atomic<DWORD> gThreadId{0};
std::atomic<int> gRuns{0};
HANDLE gGate = nullptr;

std::wstring Take(BSTR text) {
    std::wstring result = text ? std::wstring(text, ::SysStringLen(text)) : L"(null)";
    ::SysFreeString(text);
    return result;
}

void STDMETHODCALLTYPE Record(IUnknown* sender) {
    gSender = sender;
    gThreadId = ::GetCurrentThreadId();
    ++gRuns;
}
void STDMETHODCALLTYPE Throwing(IUnknown*) {
    throw std::runtime_error("routine failed");
}
void STDMETHODCALLTYPE WaitForGate(IUnknown*) {
    ::WaitForSingleObject(gGate, 10000);
    ++gRuns;
}
// Uses the registry from a worker, through the sender it is given.
void STDMETHODCALLTYPE Reentrant(IUnknown* sender) {
    IztCmnd* cmnd = nullptr;
    if (FAILED(sender->QueryInterface(IID_IztCmnd, reinterpret_cast<void**>(&cmnd))))
        return;
    cmnd->AddCommand(L"added", &Record, L"");
    cmnd->Execute(L"ADDED", nullptr);
    cmnd->DeleteCommand(L"added");
    cmnd->ExecuteInThread(L"record", L"");
}
BSTR STDMETHODCALLTYPE Quote(const wchar_t* param) {
    return ::SysAllocString((L"\"" + std::wstring(param) + L"\"").c_str());
}
BSTR STDMETHODCALLTYPE FailingEditor(const wchar_t*) {
    throw std::runtime_error("editor");
}

class CmndIntfTest : public ::testing::Test {
protected:
    CmndIntfTest() {
        gThreadId = 0;
        gRuns = 0;
    }
    ~CmndIntfTest() override { EXPECT_TRUE(registry_.WaitForCommandThreads(5000)); }

    CmndInterface registry_;
    IztCmnd* cmnd_ = registry_.Interface();
};

TEST_F(CmndIntfTest, IsAnUncountedInterfaceThatCatchesFailures) {
    void* object = nullptr;
    ASSERT_EQ(cmnd_->QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, static_cast<IUnknown*>(cmnd_));
    EXPECT_EQ(cmnd_->QueryInterface(IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(cmnd_->AddRef(), static_cast<ULONG>(-1));
    EXPECT_EQ(cmnd_->Release(), static_cast<ULONG>(-1));

    cmnd_->AddCommand(L"zt_ShowHideClock", &Record, L"Show or hide");
    cmnd_->AddCommand(L"bad", &Throwing, L"");
    EXPECT_EQ(cmnd_->Execute(L"ZT_SHOWHIDECLOCK", nullptr), 0);
    EXPECT_EQ(gSender.load(), static_cast<IUnknown*>(cmnd_));
    EXPECT_EQ(cmnd_->Execute(nullptr, nullptr), -1);
    EXPECT_EQ(cmnd_->Execute(L"bad", L""), CmndInterface::kFailed);
    EXPECT_EQ(Take(cmnd_->GetListText()), L"zt_ShowHideClock (Show or hide)\r\nbad ()\r\n");
    EXPECT_EQ(Take(cmnd_->GetCommandName(2)), L"(null)");
    EXPECT_EQ(Take(cmnd_->GetItemText(-1)), L"(null)");
}

TEST_F(CmndIntfTest, EditCommandLineWithAndWithoutEditor) {
    cmnd_->AddParamCommand(L"ZT_ExecuteApp", nullptr, &Quote, L"");
    cmnd_->AddCommand(L"pm_TalkTime", &Record, L"");
    EXPECT_EQ(cmnd_->GetEditor(L"zt_executeapp"), &Quote);
    EXPECT_EQ(Take(cmnd_->EditCommandLine(L"ZT_ExecuteApp")), L"ZT_ExecuteApp \"\"");
    EXPECT_EQ(Take(cmnd_->EditCommandLine(L"ZT_ExecuteApp a b")), L"ZT_ExecuteApp \" a b\"");
    EXPECT_EQ(Take(cmnd_->EditCommandLine(L"pm_TalkTime now")), L"pm_TalkTime");
    cmnd_->SetEditor(L"PM_TALKTIME", &FailingEditor);
    EXPECT_EQ(Take(cmnd_->EditCommandLine(L"pm_TalkTime now")), L"pm_TalkTime now");
    EXPECT_EQ(gRuns, 0);
}

TEST_F(CmndIntfTest, ExecuteInThreadRunsOnWorkersThatEndOnTheirOwn) {
    cmnd_->AddCommand(L"record", &Record, L"");
    cmnd_->AddCommand(L"bad", &Throwing, L"");
    cmnd_->AddCommand(L"reentrant", &Reentrant, L"");
    cmnd_->ExecuteInThread(L"missing", L"");
    cmnd_->ExecuteInThread(L"RECORD", L"");
    ASSERT_TRUE(registry_.WaitForCommandThreads(5000));
    EXPECT_EQ(gRuns, 1);
    EXPECT_NE(gThreadId.load(), 0u);
    EXPECT_NE(gThreadId.load(), ::GetCurrentThreadId());

    // Failing workers end alone; a worker may use the registry, start another and
    // remove commands while it runs.
    for (int i = 0; i < 8; ++i) {
        cmnd_->ExecuteInThread(L"bad", L"");
        cmnd_->ExecuteInThread(L"reentrant", nullptr);
    }
    ASSERT_TRUE(registry_.WaitForCommandThreads(5000));
    EXPECT_EQ(gRuns, 1 + 8 * 2);
    EXPECT_EQ(Take(cmnd_->GetNamesText()), L"record\r\nbad\r\nreentrant\r\n");
    EXPECT_EQ(registry_.Registry().RunningThreads(), 0);
}

TEST_F(CmndIntfTest, WaitForCommandThreadsIsBounded) {
    zt::UniqueEvent gate(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(gate);
    gGate = gate.get();
    cmnd_->AddCommand(L"wait", &WaitForGate, L"");
    cmnd_->ExecuteInThread(L"wait", L"");
    cmnd_->ExecuteInThread(L"wait", L"");
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_FALSE(registry_.WaitForCommandThreads(100));
    EXPECT_GE(::GetTickCount64() - start, 90u);
    EXPECT_EQ(registry_.Registry().RunningThreads(), 2);
    ::SetEvent(gate.get());
    EXPECT_TRUE(registry_.WaitForCommandThreads(5000));
    EXPECT_EQ(gRuns, 2);
}

} // namespace

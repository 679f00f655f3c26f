#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/cmnd.h"

namespace {

using zt::TCmnd;
using Log = std::vector<std::wstring>;

// Routines are plain function pointers, so what they see and do goes through globals.
std::mutex gLogLock;
Log gLog;
std::atomic<IUnknown*> gSender{nullptr};
std::atomic<int> gFrees{0};
TCmnd* gRegistry = nullptr;

void Write(const std::wstring& entry) {
    std::lock_guard guard(gLogLock);
    gLog.push_back(entry);
}
Log TakeLog() {
    std::lock_guard guard(gLogLock);
    return std::exchange(gLog, {});
}

void ZT_CMND_CALL ProcA(IUnknown* sender) {
    gSender = sender;
    Write(L"A");
}
void ZT_CMND_CALL ProcB(IUnknown*) {
    Write(L"B");
}
void ZT_CMND_CALL ParamProc(const wchar_t* param) {
    Write(std::wstring(L"P:") + param);
}
void ZT_CMND_CALL Throwing(IUnknown*) {
    throw std::runtime_error("routine failed");
}
// Changes the registry while it runs: a lock held during routines would deadlock here.
void ZT_CMND_CALL Reentrant(IUnknown*) {
    gRegistry->AddCommand(L"added", &ProcB, L"");
    gRegistry->Execute(L"added", L"");
    gRegistry->DeleteCommand(L"reentrant");
    Write(gRegistry->GetNamesText());
}

void FreeCopy(wchar_t* text) {
    ++gFrees;
    delete[] text;
}
wchar_t* ZT_CMND_CALL Bracket(const wchar_t* param) {
    const std::wstring text = L"[" + std::wstring(param) + L"]";
    auto* copy = new wchar_t[text.size() + 1];
    std::wmemcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}
wchar_t* ZT_CMND_CALL NullEditor(const wchar_t*) {
    return nullptr;
}
wchar_t* ZT_CMND_CALL ThrowingEditor(const wchar_t*) {
    throw std::runtime_error("editor");
}

std::wstring Name(int i) {
    return L"cmd" + std::to_wstring(i);
}

// Worker threads are started by hand (RunPending), so every case is deterministic.
class CmndTest : public ::testing::Test {
protected:
    CmndTest() : cmnd_(Platform()) {
        TakeLog();
        gFrees = 0;
        gRegistry = &cmnd_;
    }
    zt::TCmndPlatform Platform() {
        zt::TCmndPlatform p;
        p.Sender = reinterpret_cast<IUnknown*>(&senderToken_);
        p.FreeText = &FreeCopy;
        p.StartThread = [this](std::function<void()> job) {
            pending_.push_back(std::move(job));
            return startSucceeds_;
        };
        return p;
    }
    void RunPending() {
        for (auto& job : std::exchange(pending_, {}))
            job();
    }

    int senderToken_ = 0;
    bool startSucceeds_ = true;
    std::vector<std::function<void()>> pending_;
    TCmnd cmnd_;
};

TEST_F(CmndTest, LookUpIgnoresCaseAndFirstRegistrationWins) {
    cmnd_.AddParamCommand(L"ZT_ExecuteApp", &ParamProc, nullptr, L"run");
    cmnd_.AddCommand(L"\u041A\u043E\u043C", &ProcA, L"cyrillic");
    cmnd_.AddCommand(L"zt_executeAPP", &ProcB, L"shadowed");
    EXPECT_EQ(cmnd_.Execute(L"ZT_EXECUTEAPP", L"p"), 0);
    EXPECT_EQ(cmnd_.Execute(L"\u043A\u041E\u041C", L""), 1);
    EXPECT_EQ(cmnd_.Execute(L"ZT_ExecuteAp", L"p"), TCmnd::kNotFound);
    EXPECT_EQ(cmnd_.Execute(L"", L""), TCmnd::kNotFound);
    EXPECT_EQ(TakeLog(), (Log{L"P:p", L"A"}));
    EXPECT_EQ(gSender.load(), reinterpret_cast<IUnknown*>(&senderToken_));
    EXPECT_FALSE(zt::SameCommandName(L"\u00D7", L"\u00F7"));

    EXPECT_TRUE(cmnd_.SetEditor(L"zt_executeapp", &Bracket));
    EXPECT_TRUE(cmnd_.DeleteCommand(L"zt_executeapp"));
    EXPECT_EQ(cmnd_.GetEditor(L"ZT_ExecuteApp"), nullptr); // the later one, uncovered
    EXPECT_EQ(cmnd_.Execute(L"ZT_ExecuteApp", L"p"), 1);
    EXPECT_EQ(TakeLog(), Log{L"B"});
    EXPECT_TRUE(cmnd_.DeleteCommand(L"ZT_EXECUTEAPP"));
    EXPECT_FALSE(cmnd_.DeleteCommand(L"ZT_ExecuteApp"));
    EXPECT_FALSE(cmnd_.SetEditor(L"ZT_ExecuteApp", &Bracket));
}

TEST_F(CmndTest, ExecuteRunsTheOneRoutineSetAndLetsExceptionsThrough) {
    cmnd_.AddParamCommand(L"p", &ParamProc, nullptr, L"");
    cmnd_.AddCommand(L"empty", nullptr, L"");
    cmnd_.AddCommand(L"bad", &Throwing, L"");
    cmnd_.AddCommand(L"reentrant", &Reentrant, L"");
    EXPECT_EQ(cmnd_.Execute(L"p", L" two words "), 0);
    EXPECT_EQ(cmnd_.Execute(L"empty", L"x"), 1);
    EXPECT_THROW(cmnd_.Execute(L"bad", L""), std::runtime_error);
    EXPECT_EQ(cmnd_.Execute(L"reentrant", L""), 3);
    EXPECT_EQ(TakeLog(), (Log{L"P: two words ", L"B", L"p\r\nempty\r\nbad\r\nadded\r\n"}));
}

TEST_F(CmndTest, CapacityGrowsAndShrinksByOneStep) {
    std::vector<std::size_t> capacity{cmnd_.ItemCapacity()}; // by number of commands
    for (int i = 0; i < 77; ++i) {
        cmnd_.AddCommand(Name(i), &ProcA, L"");
        capacity.push_back(cmnd_.ItemCapacity());
    }
    EXPECT_EQ(capacity[8], 8u);
    EXPECT_EQ(capacity[9], 12u);
    EXPECT_EQ(capacity[13], 28u);
    std::vector<std::size_t> steps;
    for (std::size_t c : capacity) {
        if (steps.empty() || steps.back() != c)
            steps.push_back(c);
    }
    EXPECT_EQ(steps, (std::vector<std::size_t>{0, 4, 8, 12, 28, 44, 60, 76, 95}));

    steps.clear();
    for (int i = 76; i >= 0; --i) {
        ASSERT_TRUE(cmnd_.DeleteCommand(Name(i)));
        if (steps.empty() || steps.back() != cmnd_.ItemCapacity())
            steps.push_back(cmnd_.ItemCapacity());
    }
    EXPECT_EQ(steps, (std::vector<std::size_t>{95, 72, 54, 38, 22, 6, 2}));
}

TEST_F(CmndTest, CapacityFrom28ShrinksTo12AndStaysThere) {
    for (int i = 0; i < 13; ++i)
        cmnd_.AddCommand(Name(i), &ProcA, L"");
    ASSERT_EQ(cmnd_.ItemCapacity(), 28u);
    cmnd_.DeleteCommand(Name(12));
    EXPECT_EQ(cmnd_.ItemCapacity(), 28u);
    cmnd_.DeleteCommand(Name(11));
    EXPECT_EQ(cmnd_.ItemCapacity(), 12u);
    for (int i = 10; i >= 0; --i)
        cmnd_.DeleteCommand(Name(i));
    EXPECT_EQ(cmnd_.ItemCapacity(), 12u); // the step at 12 is 16
}

TEST_F(CmndTest, DeleteKeepsPositionsParallelAndTextsFollow) {
    EXPECT_EQ(cmnd_.GetListText(), L"");
    EXPECT_THROW(cmnd_.GetItemText(0), std::out_of_range);
    cmnd_.AddCommand(L"one", &ProcA, L"first");
    cmnd_.AddCommand(L"two", &ProcB, L"second");
    cmnd_.AddParamCommand(L"three", &ParamProc, nullptr, L"");
    EXPECT_TRUE(cmnd_.DeleteCommand(L"TWO"));
    EXPECT_EQ(cmnd_.GetItemText(1), L"three()");
    EXPECT_EQ(cmnd_.GetCommandName(0), L"one");
    EXPECT_EQ(cmnd_.GetCommandDescription(0), L"first");
    EXPECT_EQ(cmnd_.GetNamesText(), L"one\r\nthree\r\n");
    EXPECT_EQ(cmnd_.GetDescriptionsText(), L"first\r\n\r\n");
    EXPECT_EQ(cmnd_.GetListText(), L"one (first)\r\nthree ()\r\n");
    EXPECT_THROW(cmnd_.GetCommandName(-1), std::out_of_range);
    EXPECT_THROW(cmnd_.GetCommandDescription(2), std::out_of_range);
    EXPECT_EQ(cmnd_.Execute(L"three", L"x"), 1);
    EXPECT_EQ(TakeLog(), Log{L"P:x"});
}

// The one-byte range of a routine's address: code holding that routine and nothing else.
template <typename Routine> std::pair<std::uintptr_t, std::uintptr_t> CodeOf(Routine routine) {
    const auto address = reinterpret_cast<std::uintptr_t>(routine);
    return {address, address + 1};
}

TEST_F(CmndTest, DeleteCommandsInCodeRemovesEveryCommandWithARoutineThere) {
    cmnd_.AddCommand(L"a1", &ProcA, L"first");
    cmnd_.AddParamCommand(L"edited", &ParamProc, &Bracket, L"");
    cmnd_.AddCommand(L"b", &ProcB, L"kept");
    cmnd_.AddParamCommand(L"plain", &ParamProc, nullptr, L"");
    cmnd_.AddCommand(L"a2", &ProcA, L"second");

    // A null editor lies in no code, not even code that starts at address 0.
    EXPECT_EQ(cmnd_.DeleteCommandsInCode(0, 1), 0u);
    EXPECT_EQ(cmnd_.Count(), 5);

    const auto [aBegin, aEnd] = CodeOf(&ProcA);
    EXPECT_EQ(cmnd_.DeleteCommandsInCode(aBegin, aEnd), 2u);
    EXPECT_EQ(cmnd_.GetNamesText(), L"edited\r\nb\r\nplain\r\n");
    EXPECT_EQ(cmnd_.GetDescriptionsText(), L"\r\nkept\r\n\r\n");
    EXPECT_EQ(cmnd_.Execute(L"a1", L""), TCmnd::kNotFound);
    EXPECT_EQ(cmnd_.Execute(L"b", L""), 1) << "the routines moved with their names";
    EXPECT_EQ(cmnd_.Execute(L"plain", L"x"), 2);
    EXPECT_EQ(TakeLog(), (Log{L"B", L"P:x"}));

    // The editor alone puts a command in the code.
    const auto [eBegin, eEnd] = CodeOf(&Bracket);
    EXPECT_EQ(cmnd_.DeleteCommandsInCode(eBegin, eEnd), 1u);
    EXPECT_EQ(cmnd_.GetNamesText(), L"b\r\nplain\r\n");
    // The parameter routine as well.
    const auto [pBegin, pEnd] = CodeOf(&ParamProc);
    EXPECT_EQ(cmnd_.DeleteCommandsInCode(pBegin, pEnd), 1u);
    EXPECT_EQ(cmnd_.GetNamesText(), L"b\r\n");
    EXPECT_EQ(cmnd_.DeleteCommandsInCode(pBegin, pEnd), 0u);
    EXPECT_EQ(cmnd_.ItemCapacity(), 4u) << "shrunk by one step per removal, as DeleteCommand";
}

TEST_F(CmndTest, EditCommandLineRunsTheEditorOnTheParameterPart) {
    cmnd_.AddParamCommand(L"ZT_ExecuteApp", &ParamProc, &Bracket, L"");
    cmnd_.AddCommand(L"pm_TalkTime", &ProcA, L"");
    EXPECT_EQ(cmnd_.EditCommandLine(L"ZT_ExecuteApp"), L"ZT_ExecuteApp []");
    // The parameter part starts at the first blank and keeps it.
    EXPECT_EQ(cmnd_.EditCommandLine(L"zt_executeapp c:\\a b"), L"zt_executeapp [ c:\\a b]");
    EXPECT_EQ(gFrees, 2);
    EXPECT_EQ(cmnd_.EditCommandLine(L"pm_TalkTime some text"), L"pm_TalkTime");
    EXPECT_EQ(cmnd_.EditCommandLine(L"unknown x"), L"unknown");
    cmnd_.SetEditor(L"pm_TalkTime", &NullEditor);
    EXPECT_EQ(cmnd_.EditCommandLine(L"pm_TalkTime x"), L"pm_TalkTime ");
    cmnd_.SetEditor(L"pm_TalkTime", &ThrowingEditor);
    EXPECT_THROW(cmnd_.EditCommandLine(L"pm_TalkTime x"), std::runtime_error);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(CmndTest, WorkerLooksTheNameUpAgainAndSwallowsExceptions) {
    cmnd_.AddCommand(L"a", &ProcA, L"");
    cmnd_.AddCommand(L"b", &ProcB, L"");
    cmnd_.AddCommand(L"bad", &Throwing, L"");
    EXPECT_FALSE(cmnd_.ExecuteInThread(L"unknown", L""));
    EXPECT_TRUE(pending_.empty());
    EXPECT_TRUE(cmnd_.ExecuteInThread(L"A", L""));
    EXPECT_TRUE(cmnd_.ExecuteInThread(L"bad", L""));
    EXPECT_TRUE(cmnd_.ExecuteInThread(L"b", L""));
    cmnd_.DeleteCommand(L"a");
    EXPECT_TRUE(TakeLog().empty()); // nothing runs before its thread does
    EXPECT_EQ(cmnd_.RunningThreads(), 3);
    EXPECT_NO_THROW(RunPending());
    EXPECT_EQ(TakeLog(), Log{L"B"});
    EXPECT_EQ(cmnd_.RunningThreads(), 0);

    startSucceeds_ = false;
    EXPECT_FALSE(cmnd_.ExecuteInThread(L"b", L""));
    EXPECT_EQ(cmnd_.RunningThreads(), 0);
}

TEST_F(CmndTest, WaitForCommandThreadsIsBounded) {
    cmnd_.AddCommand(L"a", &ProcA, L"");
    cmnd_.ExecuteInThread(L"a", L"");
    std::thread late([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        RunPending();
    });
    EXPECT_FALSE(cmnd_.WaitForCommandThreads(20));
    EXPECT_TRUE(cmnd_.WaitForCommandThreads(5000));
    late.join();
    EXPECT_EQ(TakeLog(), Log{L"A"});
}

TEST_F(CmndTest, ConcurrentRegistrationAndExecutionStayConsistent) {
    cmnd_.AddCommand(L"a", &ProcB, L"");
    std::atomic<bool> stop{false};
    std::atomic<int> misses{0};
    std::vector<std::thread> runners;
    for (int t = 0; t < 3; ++t) {
        runners.emplace_back([&] {
            while (!stop) {
                if (cmnd_.Execute(L"A", L"") != 0 || cmnd_.GetListText().empty())
                    ++misses;
            }
        });
    }
    for (int i = 0; i < 600; ++i) {
        cmnd_.AddCommand(Name(i % 40), &ProcA, L"d");
        if (i % 3 == 0)
            cmnd_.DeleteCommand(Name(i % 40));
    }
    stop = true;
    for (auto& runner : runners)
        runner.join();
    EXPECT_EQ(misses, 0);
    EXPECT_EQ(cmnd_.Count(), 1 + 600 - 200);
    EXPECT_LE(static_cast<std::size_t>(cmnd_.Count()), cmnd_.ItemCapacity());
    TakeLog();
}

} // namespace

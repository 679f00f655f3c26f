#include "common/window_impl.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/common/debug_log_value.h"
#include "tests/common/window_impl_test.h"

namespace zt {
namespace {

constexpr UINT kPing = WM_APP + 1; // answered with 42 + wParam
constexpr UINT kEnd = WM_APP + 2;  // ends a modal dialog with 7

// What a probe saw; outlives the probe.
struct ProbeLog {
    std::vector<UINT> messages;
    HWND handleAtNcCreate = nullptr;
    HWND handleAtDestroy = nullptr;
    HWND handleAtFinal = nullptr;
    int finalMessages = 0;
    bool objectGone = false;
    int messagesToGoneObject = 0;
};

struct MainProbeName {
    static constexpr wchar_t kName[] = L"ZentikWindowImplProbe";
};
struct LeftoverProbeName {
    static constexpr wchar_t kName[] = L"ZentikWindowImplLeftover";
};

template <class Name> class BasicProbe final : public WindowImpl<BasicProbe<Name>> {
public:
    // withMessages: the destructor destroys the window while the probe still sees it.
    explicit BasicProbe(ProbeLog& log, bool withMessages = false)
        : log_(log), withMessages_(withMessages) {}
    ~BasicProbe() {
        if (withMessages_)
            this->DestroyWindowNow();
        log_.objectGone = true;
    }

    bool Create(HWND parent = HWND_MESSAGE, DWORD style = 0) {
        return this->CreateWindowOf(0, L"probe", style, 0, 0, 20, 20, parent);
    }

    UINT throwOn = 0;

private:
    friend class WindowImpl<BasicProbe<Name>>;

    static ModuleWindowClass::Fields WindowClass() { return {Name::kName, nullptr}; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        if (log_.objectGone)
            ++log_.messagesToGoneObject;
        log_.messages.push_back(message);
        if (message == WM_NCCREATE)
            log_.handleAtNcCreate = this->Window();
        if (message == WM_DESTROY)
            log_.handleAtDestroy = this->Window();
        if (message == throwOn)
            throw std::runtime_error("probe failure");
        if (message == kPing)
            return 42 + static_cast<LRESULT>(wParam);
        return this->DefaultHandling(message, wParam, lParam);
    }

    void OnFinalMessage() {
        ++log_.finalMessages;
        log_.handleAtFinal = this->Window();
    }

    ProbeLog& log_;
    bool withMessages_;
};

using Probe = BasicProbe<MainProbeName>;

// A popup of a system class, to be a parent.
UniqueWindow MakeParent() {
    return UniqueWindow(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr,
                                          nullptr, nullptr, nullptr));
}

TEST(WindowImpl, MessagesReachTheObjectFromNcCreateOn) {
    ProbeLog log;
    Probe probe(log);
    ASSERT_TRUE(probe.Create());
    const HWND window = probe.Window();
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_EQ(log.handleAtNcCreate, window) << "the handle is the object's during WM_NCCREATE";
    ASSERT_FALSE(log.messages.empty());
    EXPECT_EQ(log.messages.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(::SendMessageW(window, kPing, 1, 0), 43);
    // GWLP_USERDATA belongs to whoever uses the window, not to the base.
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 1234);
    EXPECT_EQ(::SendMessageW(window, kPing, 2, 0), 44);
}

TEST(WindowImpl, HandleIsClearedAtNcDestroyAndTheObjectCanCreateAgain) {
    ProbeLog log;
    Probe probe(log);
    UniqueWindow parent = MakeParent();
    ASSERT_TRUE(parent);
    ASSERT_TRUE(probe.Create(parent.get(), WS_CHILD));
    const HWND first = probe.Window();

    parent.reset(); // takes the child with it, from outside the probe
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_EQ(log.handleAtDestroy, first) << "WM_DESTROY still sees the handle";
    EXPECT_EQ(log.finalMessages, 1);
    EXPECT_EQ(log.handleAtFinal, nullptr) << "cleared before OnFinalMessage";
    EXPECT_EQ(probe.Window(), nullptr);
    EXPECT_EQ(log.messages.back(), static_cast<UINT>(WM_DESTROY));

    ASSERT_TRUE(probe.Create());
    EXPECT_TRUE(::IsWindow(probe.Window()));
    EXPECT_EQ(::SendMessageW(probe.Window(), kPing, 0, 0), 42);
}

TEST(WindowImpl, DestroyingTheOwnerDestroysTheWindow) {
    {
        ProbeLog log;
        auto probe = std::make_unique<Probe>(log);
        ASSERT_TRUE(probe->Create());
        const HWND window = probe->Window();
        probe.reset();
        EXPECT_FALSE(::IsWindow(window));
        EXPECT_EQ(log.messagesToGoneObject, 0) << "nothing is dispatched to a destroyed object";
        EXPECT_EQ(log.finalMessages, 0);
    }
    {
        ProbeLog log;
        auto probe = std::make_unique<Probe>(log, true);
        ASSERT_TRUE(probe->Create());
        const HWND window = probe->Window();
        probe.reset();
        EXPECT_FALSE(::IsWindow(window));
        EXPECT_EQ(log.handleAtDestroy, window) << "DestroyWindowNow passes WM_DESTROY on";
        EXPECT_EQ(log.finalMessages, 1);
        EXPECT_EQ(log.messagesToGoneObject, 0);
    }
}

TEST(WindowImpl, ExceptionFromHandleMessageStaysInsideAndIsLogged) {
    test::DebugLogValue debugLog;
    debugLog.SetText(L"1");
    ProbeLog log;
    Probe probe(log);
    ASSERT_TRUE(probe.Create());
    probe.throwOn = WM_APP + 9;
    EXPECT_EQ(::SendMessageW(probe.Window(), WM_APP + 9, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(probe.Window(), kPing, 0, 0), 42) << "the window keeps working";
    EXPECT_NE(debugLog.Appended().find("ZentikWindowImplProbe: probe failure\r\n"),
              std::string::npos)
        << debugLog.Appended();

    // A failure in WM_NCCREATE fails the creation and leaves no handle behind.
    ProbeLog failedLog;
    Probe failed(failedLog);
    failed.throwOn = WM_NCCREATE;
    EXPECT_FALSE(failed.Create());
    EXPECT_EQ(failed.Window(), nullptr);
}

TEST(WindowImpl, ReplacesAClassLeftRegisteredUnderItsName) {
    // As an earlier load of a library at the same address leaves it.
    WNDCLASSEXW leftover{};
    leftover.cbSize = sizeof(leftover);
    leftover.lpfnWndProc = ::DefWindowProcW;
    leftover.hInstance = CurrentModule();
    leftover.lpszClassName = LeftoverProbeName::kName;
    ASSERT_NE(::RegisterClassExW(&leftover), 0);

    ProbeLog log;
    BasicProbe<LeftoverProbeName> probe(log);
    ASSERT_TRUE(probe.Create());
    EXPECT_EQ(::SendMessageW(probe.Window(), kPing, 5, 0), 47);
}

class ProbeDialog final : public DialogImpl<ProbeDialog> {
public:
    bool Show() { return CreateModeless(CurrentModule(), IDD_WINDOW_IMPL_PROBE, nullptr); }
    INT_PTR ShowModal() { return RunModal(CurrentModule(), IDD_WINDOW_IMPL_PROBE, nullptr); }
    void Close() { DestroyWindowNow(); }

    bool endAtInit = false;
    int initDialogs = 0;
    HWND handleAtInit = nullptr;
    std::wstring textAtInit;
    HWND handleAtDestroy = nullptr;
    int finalMessages = 0;

private:
    friend class DialogImpl<ProbeDialog>;

    INT_PTR HandleMessage(UINT message, WPARAM, LPARAM) {
        switch (message) {
        case WM_INITDIALOG: {
            ++initDialogs;
            handleAtInit = Window();
            wchar_t text[32] = {};
            ::GetDlgItemTextW(Window(), IDC_PROBE_TEXT, text, 32);
            textAtInit = text;
            if (endAtInit)
                ::PostMessageW(Window(), kEnd, 0, 0);
            return TRUE;
        }
        case kEnd:
            ::EndDialog(Window(), 7);
            return TRUE;
        case WM_DESTROY:
            handleAtDestroy = Window();
            return FALSE;
        }
        return FALSE;
    }

    void OnFinalMessage() { ++finalMessages; }
};

TEST(DialogImpl, ModelessDialogSeesInitDialogAndDestroy) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Show());
    const HWND window = dialog.Window();
    EXPECT_EQ(dialog.initDialogs, 1);
    EXPECT_EQ(dialog.handleAtInit, window);
    EXPECT_EQ(dialog.textAtInit, L"Проба") << "the template's controls exist at WM_INITDIALOG";

    dialog.Close();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(dialog.handleAtDestroy, window);
    EXPECT_EQ(dialog.finalMessages, 1);
    EXPECT_EQ(dialog.Window(), nullptr);
}

TEST(DialogImpl, ModalDialogReturnsTheEndDialogValue) {
    ProbeDialog dialog;
    dialog.endAtInit = true;
    EXPECT_EQ(dialog.ShowModal(), 7);
    EXPECT_EQ(dialog.initDialogs, 1);
    EXPECT_EQ(dialog.finalMessages, 1);
    EXPECT_EQ(dialog.Window(), nullptr);
}

} // namespace
} // namespace zt

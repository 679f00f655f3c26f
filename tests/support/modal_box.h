#pragma once
// Answers a message box from a watcher thread, so a test never blocks on a modal box:
//
//     test::ModalBoxAnswerer answer(L"Zentik", IDNO);  // watching from now on
//     ...the code under test shows (or does not show) its box...
//     EXPECT_TRUE(answer.Wait());                       // the box came and was answered
//     EXPECT_EQ(answer.Text(), L"...");                 // what it said
//
// The watcher looks for a visible message box (a "#32770" window) with the given title of
// one process (this one unless told otherwise), reads its message and clicks the given
// button. It answers one box, and gives up once its time limit has passed; Stop ends the
// watch at once (for a box that must not come: Stop, then check Answered).

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace zt::test {

class ModalBoxAnswerer {
public:
    ModalBoxAnswerer(std::wstring title, int button, DWORD timeoutMs = 10000,
                     DWORD processId = ::GetCurrentProcessId())
        : title_(std::move(title)), button_(button), processId_(processId),
          deadline_(::GetTickCount64() + timeoutMs), thread_([this] { Watch(); }) {}
    ModalBoxAnswerer(const ModalBoxAnswerer&) = delete;
    ModalBoxAnswerer& operator=(const ModalBoxAnswerer&) = delete;
    ~ModalBoxAnswerer() { Stop(); }

    // Waits for the watch to end; true when a box was answered.
    bool Wait() {
        if (thread_.joinable())
            thread_.join();
        return answered_;
    }
    // Ends the watch now.
    void Stop() {
        stop_ = true;
        Wait();
    }
    bool Answered() const { return answered_; }
    // The message of the box answered; empty before.
    std::wstring Text() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }

private:
    HWND FindBox() const {
        HWND candidate = nullptr;
        while ((candidate = ::FindWindowExW(nullptr, candidate, L"#32770", title_.c_str()))) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(candidate, &owner);
            // A box is visible only once its texts are in place.
            if (owner == processId_ && ::IsWindowVisible(candidate))
                return candidate;
        }
        return nullptr;
    }

    void Watch() {
        while (!stop_ && ::GetTickCount64() < deadline_) {
            if (HWND box = FindBox()) {
                // The message of a box is the static text 0xFFFF.
                wchar_t text[2048] = {};
                ::GetDlgItemTextW(box, 0xFFFF, text, 2048);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    text_ = text;
                }
                answered_ = true;
                ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(box, button_)));
                return;
            }
            ::Sleep(10);
        }
    }

    const std::wstring title_;
    const int button_;
    const DWORD processId_;
    const ULONGLONG deadline_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> answered_{false};
    mutable std::mutex mutex_;
    std::wstring text_;
    std::thread thread_; // last: starts once everything above is in place
};

} // namespace zt::test

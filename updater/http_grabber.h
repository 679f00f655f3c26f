#pragma once
// HttpGrb, the download component: one HTTP/1.0 GET at a time on a worker thread over
// WinINet, delivered into memory (stream mode) or into a file (file mode). Every event
// reaches the thread that created the grabber, through a message-only window, and only
// for the transfer started last: once Stop or Start has returned, no event of an earlier
// transfer arrives.
//
// File mode writes to a temporary file beside the target and renames it into place only
// when the whole body has arrived; a stopped or failed transfer removes it again. A
// reply other than 200, without a content length, or with a body shorter than that
// length is an error.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/handles.h"
#include "common/window_impl.h"

namespace zt::uplift {

struct GrabberTransfer;
struct GrabberEvent;

class THttpGrabber : private WindowImpl<THttpGrabber> {
public:
    enum class Mode { Stream, File };

    struct Events {
        std::function<void()> onRequestSending;
        std::function<void()> onRequestSent;
        std::function<void(uint64_t received, uint64_t total)> onProgress;
        std::function<void(std::string data)> onDoneStream;
        std::function<void(const std::wstring& fileName)> onDoneFile;
        std::function<void(const std::wstring& message)> onError;
    };

    // A stream transfer is refused beyond this many bytes.
    static constexpr uint64_t kMaxStreamSize = 16u << 20;

    THttpGrabber();
    ~THttpGrabber();
    THttpGrabber(const THttpGrabber&) = delete;
    THttpGrabber& operator=(const THttpGrabber&) = delete;

    void SetEvents(Events events) { events_ = std::move(events); }
    void SetMode(Mode mode) { mode_ = mode; }
    Mode GetMode() const { return mode_; }
    void SetUrl(std::wstring url) { url_ = std::move(url); }
    const std::wstring& GetUrl() const { return url_; }
    // The target of file mode.
    void SetFileName(std::wstring fileName) { fileName_ = std::move(fileName); }
    const std::wstring& GetFileName() const { return fileName_; }
    void SetUserAgent(std::wstring agent) { userAgent_ = std::move(agent); }

    // Starts a transfer with the current settings; a running one is stopped first.
    // A failure to start is reported through onError like any other.
    void Start();
    // Aborts the running transfer and waits (bounded) for its thread to end.
    void Stop();
    bool Busy() const { return activeId_ != 0; }

private:
    friend class WindowImpl<THttpGrabber>;

    static ModuleWindowClass::Fields WindowClass();
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool EnsureWindow();
    void Dispatch(std::unique_ptr<GrabberEvent> event);
    void EndTransfer();
    void DropQueuedEvents();

    Events events_;
    Mode mode_ = Mode::Stream;
    std::wstring url_;
    std::wstring fileName_;
    std::wstring userAgent_ = L"Zentik AutoUpdate service";

    UniqueThread thread_;
    std::shared_ptr<GrabberTransfer> transfer_;
    uint64_t lastId_ = 0;
    uint64_t activeId_ = 0;
};

} // namespace zt::uplift

#include "updater/http_grabber.h"

#include <wininet.h>

#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

#include "common/diag_log.h"
#include "updater/download_name.h"
#include "updater/internet_handle.h"
#include "updater/resource.h"
#include "updater/uplift_text.h"
#include "updater/win_support.h"

namespace zt::uplift {

namespace {

constexpr UINT kEventMessage = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"ZentikUpliftGrabber";
constexpr DWORD kStopWaitMs = 5000;
constexpr DWORD kTimeoutMs = 30000;
constexpr ULONGLONG kProgressIntervalMs = 100;
constexpr DWORD kChunkSize = 16 * 1024;

} // namespace

enum class GrabberEventKind { RequestSending, RequestSent, Progress, DoneStream, DoneFile, Error };

struct GrabberEvent {
    uint64_t id = 0;
    GrabberEventKind kind = GrabberEventKind::Error;
    uint64_t received = 0;
    uint64_t total = 0;
    std::string data;
    std::wstring text;
};

// State shared by the grabber and one worker thread. The request handle is closed by
// whichever side takes it out first: Abort closes it to break a blocking call.
struct GrabberTransfer {
    uint64_t id = 0;
    HWND window = nullptr;
    THttpGrabber::Mode mode = THttpGrabber::Mode::Stream;
    std::wstring url;
    std::wstring fileName;
    std::wstring userAgent;

    std::mutex mutex;
    HINTERNET request = nullptr;
    bool cancelled = false;

    bool Cancelled() {
        std::lock_guard lock(mutex);
        return cancelled;
    }

    void Abort() {
        std::lock_guard lock(mutex);
        cancelled = true;
        if (request)
            ::InternetCloseHandle(std::exchange(request, nullptr));
    }

    // Hands the request handle over; false (and the handle closed) once aborted.
    bool AdoptRequest(UniqueInternet handle) {
        std::lock_guard lock(mutex);
        if (cancelled)
            return false;
        request = handle.release();
        return true;
    }

    void CloseRequest() {
        std::lock_guard lock(mutex);
        if (request)
            ::InternetCloseHandle(std::exchange(request, nullptr));
    }

    void Post(std::unique_ptr<GrabberEvent> event) {
        if (Cancelled())
            return;
        event->id = id;
        if (::PostMessageW(window, kEventMessage, 0, reinterpret_cast<LPARAM>(event.get())))
            event.release();
    }
};

namespace {

std::unique_ptr<GrabberEvent> MakeEvent(GrabberEventKind kind) {
    auto event = std::make_unique<GrabberEvent>();
    event->kind = kind;
    return event;
}

std::unique_ptr<GrabberEvent> ErrorEvent(std::wstring message) {
    auto event = MakeEvent(GrabberEventKind::Error);
    event->text = std::move(message);
    return event;
}

std::wstring InternetErrorText(DWORD code) {
    std::wstring text = ErrorText(code, ::GetModuleHandleW(L"wininet.dll"));
    wchar_t response[512] = {};
    DWORD detail = 0;
    DWORD length = 512;
    if (::InternetGetLastResponseInfoW(&detail, response, &length) && length > 0 && length < 512) {
        std::wstring reply(response, length);
        while (!reply.empty() && (reply.back() == L'\r' || reply.back() == L'\n'))
            reply.pop_back();
        if (!reply.empty())
            text += L": " + reply;
    }
    return text;
}

std::wstring QueryText(HINTERNET request, DWORD info) {
    wchar_t buffer[256] = {};
    DWORD size = sizeof(buffer);
    if (!::HttpQueryInfoW(request, info, buffer, &size, nullptr))
        return {};
    return std::wstring(buffer, size / sizeof(wchar_t));
}

// The Content-Length header as a number; nothing when absent or not a number.
std::optional<uint64_t> ContentLength(HINTERNET request) {
    const std::wstring text = QueryText(request, HTTP_QUERY_CONTENT_LENGTH);
    if (text.empty() || text.size() > 19)
        return std::nullopt;
    uint64_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - L'0');
    }
    return value;
}

// A temporary file beside the target, removed unless it was renamed into place.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!path_.empty())
            ::DeleteFileW(path_.c_str());
    }

    bool Create(const std::wstring& target) {
        const size_t slash = target.find_last_of(L"\\/");
        const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash);
        wchar_t path[MAX_PATH] = {};
        if (::GetTempFileNameW(folder.c_str(), L"upl", 0, path) == 0)
            return false;
        path_ = path;
        return true;
    }
    const std::wstring& Path() const { return path_; }
    bool CommitTo(const std::wstring& target) {
        if (!::MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
            return false;
        path_.clear();
        return true;
    }

private:
    std::wstring path_;
};

struct RequestCloser {
    GrabberTransfer& transfer;
    ~RequestCloser() { transfer.CloseRequest(); }
};

// The text with the last error's description as its argument.
std::wstring LastErrorText(UINT text) {
    const DWORD error = ::GetLastError();
    return Text(text, {ErrorText(error)});
}

class Worker {
public:
    explicit Worker(std::shared_ptr<GrabberTransfer> transfer) : t_(std::move(transfer)) {}

    void Run() {
        t_->Post(MakeEvent(GrabberEventKind::RequestSending));
        auto result = Transfer();
        if (result)
            t_->Post(std::move(result));
    }

private:
    // Returns the final event, or nothing when the transfer was stopped.
    std::unique_ptr<GrabberEvent> Transfer() {
        URL_COMPONENTSW parts{};
        parts.dwStructSize = sizeof(parts);
        parts.dwHostNameLength = 1;
        parts.dwUrlPathLength = 1;
        parts.dwExtraInfoLength = 1;
        if (!IsWebAddress(t_->url) ||
            !::InternetCrackUrlW(t_->url.c_str(), static_cast<DWORD>(t_->url.size()), 0, &parts) ||
            parts.dwHostNameLength == 0)
            return ErrorEvent(Text(IDS_ERR_ADDRESS));
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
        if (parts.lpszExtraInfo)
            path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        if (path.empty())
            path = L"/";
        const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

        // A proxy cannot reach this machine's loopback address; elsewhere the system's
        // settings apply.
        const DWORD access =
            IsLoopbackHost(host) ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PRECONFIG;
        UniqueInternet session(::InternetOpenW(t_->userAgent.c_str(), access, nullptr, nullptr, 0));
        if (!session)
            return ErrorEvent(InternetErrorText(::GetLastError()));
        DWORD timeout = kTimeoutMs;
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                             INTERNET_OPTION_SEND_TIMEOUT})
            ::InternetSetOptionW(session.get(), option, &timeout, sizeof(timeout));

        UniqueInternet connection(::InternetConnectW(session.get(), host.c_str(), parts.nPort,
                                                     nullptr, nullptr, INTERNET_SERVICE_HTTP, 0,
                                                     0));
        if (!connection)
            return ErrorEvent(InternetErrorText(::GetLastError()));

        const wchar_t* acceptTypes[] = {L"*/*", nullptr};
        DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
        if (secure)
            flags |= INTERNET_FLAG_SECURE;
        UniqueInternet opened(::HttpOpenRequestW(connection.get(), L"GET", path.c_str(),
                                                 L"HTTP/1.0", nullptr, acceptTypes, flags, 0));
        if (!opened)
            return ErrorEvent(InternetErrorText(::GetLastError()));
        const HINTERNET request = opened.get();
        // The request goes before its connection and session.
        const RequestCloser closer{*t_};
        if (!t_->AdoptRequest(std::move(opened)))
            return nullptr;

        if (!::HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
            const DWORD error = ::GetLastError();
            return t_->Cancelled() ? nullptr : ErrorEvent(InternetErrorText(error));
        }
        t_->Post(MakeEvent(GrabberEventKind::RequestSent));

        DWORD status = 0;
        DWORD size = sizeof(status);
        if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                              &size, nullptr))
            return t_->Cancelled() ? nullptr : ErrorEvent(Text(IDS_ERR_NO_STATUS));
        if (status != HTTP_STATUS_OK) {
            std::wstring reason = QueryText(request, HTTP_QUERY_STATUS_TEXT);
            return ErrorEvent(
                Text(IDS_ERR_SERVER_ANSWERED,
                     {std::to_wstring(status) + (reason.empty() ? L"" : L" " + reason)}));
        }
        const auto total = ContentLength(request);
        if (!total)
            return ErrorEvent(Text(IDS_ERR_NO_SIZE));
        if (t_->mode == THttpGrabber::Mode::Stream && *total > THttpGrabber::kMaxStreamSize)
            return ErrorEvent(Text(IDS_ERR_TOO_LARGE, {std::to_wstring(*total)}));
        return Receive(request, *total);
    }

    std::unique_ptr<GrabberEvent> Receive(HINTERNET request, uint64_t total) {
        const bool toFile = t_->mode == THttpGrabber::Mode::File;
        TempFile temp;
        UniqueFile file;
        std::string data;
        if (toFile) {
            if (!temp.Create(t_->fileName))
                return ErrorEvent(LastErrorText(IDS_ERR_CREATE));
            file.reset(::CreateFileW(temp.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file)
                return ErrorEvent(LastErrorText(IDS_ERR_CREATE));
        } else {
            data.reserve(static_cast<size_t>(total));
        }

        PostProgress(0, total);
        uint64_t received = 0;
        ULONGLONG lastProgress = ::GetTickCount64();
        std::string chunk(kChunkSize, '\0');
        for (;;) {
            DWORD read = 0;
            if (!::InternetReadFile(request, chunk.data(), kChunkSize, &read)) {
                const DWORD error = ::GetLastError();
                return t_->Cancelled() ? nullptr : ErrorEvent(InternetErrorText(error));
            }
            if (t_->Cancelled())
                return nullptr;
            if (read == 0)
                break;
            received += read;
            if (received > total)
                return ErrorEvent(Text(IDS_ERR_MORE_DATA));
            if (toFile) {
                DWORD written = 0;
                if (!::WriteFile(file.get(), chunk.data(), read, &written, nullptr) ||
                    written != read)
                    return ErrorEvent(LastErrorText(IDS_ERR_WRITE));
            } else {
                data.append(chunk.data(), read);
            }
            const ULONGLONG now = ::GetTickCount64();
            if (now - lastProgress >= kProgressIntervalMs) {
                lastProgress = now;
                PostProgress(received, total);
            }
        }
        if (received < total)
            return ErrorEvent(
                Text(IDS_ERR_CUT_SHORT, {std::to_wstring(received), std::to_wstring(total)}));
        PostProgress(received, total);

        if (!toFile) {
            auto done = MakeEvent(GrabberEventKind::DoneStream);
            done->data = std::move(data);
            return done;
        }
        file.reset();
        {
            // Under the lock, so that a Stop either comes before the rename (and the
            // download is dropped) or after it (and the file is complete).
            std::lock_guard lock(t_->mutex);
            if (t_->cancelled)
                return nullptr;
            if (!temp.CommitTo(t_->fileName))
                return ErrorEvent(LastErrorText(IDS_ERR_SAVE));
        }
        auto done = MakeEvent(GrabberEventKind::DoneFile);
        done->text = t_->fileName;
        return done;
    }

    void PostProgress(uint64_t received, uint64_t total) {
        auto event = MakeEvent(GrabberEventKind::Progress);
        event->received = received;
        event->total = total;
        t_->Post(std::move(event));
    }

    std::shared_ptr<GrabberTransfer> t_;
};

DWORD WINAPI WorkerThread(void* parameter) {
    std::unique_ptr<std::shared_ptr<GrabberTransfer>> transfer(
        static_cast<std::shared_ptr<GrabberTransfer>*>(parameter));
    try {
        Worker(*transfer).Run();
    } catch (...) {
        // A failure inside the worker itself (out of memory) ends the transfer as an error.
        DiagLogCaught(L"download thread");
        try {
            (*transfer)->Post(ErrorEvent(Text(IDS_ERR_INTERNAL)));
        } catch (...) {
        }
    }
    return 0;
}

} // namespace

THttpGrabber::THttpGrabber() = default;

THttpGrabber::~THttpGrabber() {
    Stop();
    DropQueuedEvents();
}

ModuleWindowClass::Fields THttpGrabber::WindowClass() {
    return {kWindowClass, nullptr};
}

bool THttpGrabber::EnsureWindow() {
    return CreateWindowOf(0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
}

void THttpGrabber::Start() {
    Stop();
    const uint64_t id = ++lastId_;
    activeId_ = id;
    if (!EnsureWindow()) {
        activeId_ = 0;
        if (events_.onError)
            events_.onError(LastErrorText(IDS_ERR_START));
        return;
    }
    auto transfer = std::make_shared<GrabberTransfer>();
    transfer->id = id;
    transfer->window = Window();
    transfer->mode = mode_;
    transfer->url = url_;
    transfer->fileName = fileName_;
    transfer->userAgent = userAgent_;
    transfer_ = transfer;

    auto parameter = std::make_unique<std::shared_ptr<GrabberTransfer>>(transfer);
    thread_.reset(::CreateThread(nullptr, 0, &WorkerThread, parameter.get(), 0, nullptr));
    if (thread_) {
        parameter.release();
        return;
    }
    transfer->Post(ErrorEvent(LastErrorText(IDS_ERR_START)));
}

void THttpGrabber::Stop() {
    activeId_ = 0;
    if (transfer_)
        transfer_->Abort();
    EndTransfer();
}

void THttpGrabber::EndTransfer() {
    if (thread_) {
        // The worker leaves promptly once its request handle is closed; should it not,
        // it ends on its own later and posts nothing.
        ::WaitForSingleObject(thread_.get(), kStopWaitMs);
        thread_.reset();
    }
    transfer_.reset();
}

void THttpGrabber::Dispatch(std::unique_ptr<GrabberEvent> event) {
    if (event->id != activeId_)
        return;
    switch (event->kind) {
    case GrabberEventKind::RequestSending:
        if (events_.onRequestSending)
            events_.onRequestSending();
        break;
    case GrabberEventKind::RequestSent:
        if (events_.onRequestSent)
            events_.onRequestSent();
        break;
    case GrabberEventKind::Progress:
        if (events_.onProgress)
            events_.onProgress(event->received, event->total);
        break;
    case GrabberEventKind::DoneStream:
        activeId_ = 0;
        EndTransfer();
        if (events_.onDoneStream)
            events_.onDoneStream(std::move(event->data));
        break;
    case GrabberEventKind::DoneFile:
        activeId_ = 0;
        EndTransfer();
        if (events_.onDoneFile)
            events_.onDoneFile(event->text);
        break;
    case GrabberEventKind::Error:
        activeId_ = 0;
        EndTransfer();
        if (events_.onError)
            events_.onError(event->text);
        break;
    }
}

void THttpGrabber::DropQueuedEvents() {
    if (!Window())
        return;
    MSG message;
    while (::PeekMessageW(&message, Window(), kEventMessage, kEventMessage, PM_REMOVE))
        delete reinterpret_cast<GrabberEvent*>(message.lParam);
}

LRESULT THttpGrabber::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kEventMessage)
        return DefaultHandling(message, wParam, lParam);
    // Owned from here on, also when an event handler throws.
    std::unique_ptr<GrabberEvent> event(reinterpret_cast<GrabberEvent*>(lParam));
    Dispatch(std::move(event));
    return 0;
}

} // namespace zt::uplift

#include "synchronizator.h"

#include <algorithm>
#include <exception>

#include "common/format_text.h"

namespace zt {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A decimal port 1..65535, or 0 when text is none.
std::uint16_t ParsePort(std::wstring_view text) {
    if (text.empty() || text.size() > 5)
        return 0;
    std::uint32_t port = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return 0;
        port = port * 10 + static_cast<std::uint32_t>(c - L'0');
    }
    return port <= 65535 ? static_cast<std::uint16_t>(port) : 0;
}

// Host names compare without regard to ASCII case.
bool SameServer(const SntpServer& a, const SntpServer& b) {
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
    return a.port == b.port && a.host.size() == b.host.size() &&
           std::equal(a.host.begin(), a.host.end(), b.host.begin(),
                      [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

const wchar_t* FailureKey(SntpFailure failure) {
    switch (failure) {
    case SntpFailure::None:
        return nullptr;
    case SntpFailure::Timeout:
        return L"rsFailTimeout";
    case SntpFailure::HostNotFound:
        return L"rsFailHostNotFound";
    case SntpFailure::NetworkError:
        return L"rsFailNetwork";
    case SntpFailure::WrongSource:
        return L"rsFailWrongSource";
    case SntpFailure::Malformed:
        return L"rsFailMalformed";
    case SntpFailure::NotOurRequest:
        return L"rsFailNotOurRequest";
    case SntpFailure::LeapAlarm:
        return L"rsFailLeapAlarm";
    case SntpFailure::BadVersion:
        return L"rsFailBadVersion";
    case SntpFailure::BadMode:
        return L"rsFailBadMode";
    case SntpFailure::KissOfDeath:
        return L"rsFailKiss";
    case SntpFailure::StratumTooHigh:
        return L"rsFailStratum";
    case SntpFailure::ZeroTransmit:
        return L"rsFailZeroTransmit";
    case SntpFailure::ClockRefused:
        return L"rsFailClockRefused";
    }
    return L"rsFailNetwork";
}

SntpAttempt Attempt(const SynchronizePlatform& platform, const SntpServer& server,
                    std::uint16_t timeoutMs) {
    try {
        return platform.query(server, timeoutMs);
    } catch (...) {
        return {SntpFailure::NetworkError, {}};
    }
}

void Append(std::wstring& status, const std::wstring& part) {
    if (part.empty())
        return;
    if (!status.empty())
        status += L' ';
    status += part;
}

} // namespace

SntpServer ParseServerText(std::wstring_view text, std::uint16_t defaultPort) {
    SntpServer server;
    server.port = defaultPort;
    const auto colon = text.find(L':');
    if (colon == std::wstring_view::npos) {
        server.host = Trim(text);
        return server;
    }
    server.host = Trim(text.substr(0, colon));
    if (const std::uint16_t port = ParsePort(Trim(text.substr(colon + 1))))
        server.port = port;
    return server;
}

std::vector<std::wstring> SplitHostList(std::wstring_view text) {
    std::vector<std::wstring> lines;
    while (!text.empty()) {
        const auto end = std::min(text.find(L'\r'), text.find(L'\n'));
        const std::wstring_view line = Trim(text.substr(0, end));
        if (!line.empty())
            lines.emplace_back(line);
        if (end == std::wstring_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::wstring JoinHostList(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const auto& line : lines) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

bool Synchronize(TSynchronizator& record, const SynchronizePlatform& platform) {
    std::optional<std::vector<std::wstring>> hostList;
    if (record.EnableNextSynch)
        hostList = platform.loadHostList();
    const bool listMissing = record.EnableNextSynch && !hostList;

    SntpServer server = ParseServerText(record.HostSynch, record.PortSynch);
    SntpServer lastTried = server;
    SntpAttempt attempt;
    std::vector<SntpServer> kissed;
    std::size_t position = 0;
    for (;;) {
        const bool refused = std::any_of(kissed.begin(), kissed.end(), [&](const SntpServer& s) {
            return SameServer(s, server);
        });
        if (!refused) {
            lastTried = server;
            attempt = Attempt(platform, server, record.ReceiveTimeOutSynch);
            if (attempt.Succeeded())
                break;
            if (attempt.failure == SntpFailure::KissOfDeath)
                kissed.push_back(server);
        }
        if (!hostList || position >= hostList->size())
            break;
        server = ParseServerText((*hostList)[position++], record.PortSynch);
    }

    record.LastSynch = platform.now();
    const std::wstring port = std::to_wstring(lastTried.port);
    std::wstring status;
    if (attempt.Succeeded()) {
        record.LastLuckySynch = record.LastSynch;
        status = FormatText(platform.text(L"rsSuccessStatus"),
                            {platform.formatDateTime(record.LastLuckySynch), lastTried.host, port});
    } else {
        status = FormatText(platform.text(L"rsFailedStatus"),
                            {platform.formatDateTime(record.LastSynch), lastTried.host, port,
                             platform.formatDateTime(record.LastLuckySynch)});
        const std::wstring code(attempt.kissCode.begin(), attempt.kissCode.end());
        Append(status, FormatText(platform.text(FailureKey(attempt.failure)), {code}));
    }
    if (listMissing)
        Append(status, platform.text(L"rsNoHostList"));
    record.StatusSynch = std::move(status);
    return attempt.Succeeded();
}

} // namespace zt

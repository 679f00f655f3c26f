#pragma once
// TSynchronizator, the settings and results of a synchronisation, and Synchronize, one run
// over the configured server and the fallback list. Portable: the query, the clock, the
// host list and the texts are passed in.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

using SyncDateTime = double; // days since 30 December 1899, local time

struct TSynchronizator {
    bool EnableNextSynch = true;
    std::uint8_t PortSynch = 123;
    std::uint16_t ReceiveTimeOutSynch = 5000;
    SyncDateTime LastSynch = 0;
    SyncDateTime LastLuckySynch = 0;
    std::wstring HostSynch; // the language's "rsDefSyncHost" when loaded with defaults
    std::wstring StatusSynch;

    bool operator==(const TSynchronizator&) const = default;
};

struct SntpServer {
    std::wstring host;
    std::uint16_t port = 123;
    bool operator==(const SntpServer&) const = default;
};

// "host" or "host:port": the part before the first ':' is the host; the part after it
// replaces the port when it is a decimal number 1..65535, otherwise defaultPort stays.
SntpServer ParseServerText(std::wstring_view text, std::uint16_t defaultPort);

// The lines of a host list text (CR LF, LF or CR ended), trimmed, empty ones dropped.
std::vector<std::wstring> SplitHostList(std::wstring_view text);
// Lines joined with CR LF, each ended.
std::wstring JoinHostList(const std::vector<std::wstring>& lines);

// The outcome of one query.
enum class SntpFailure {
    None,
    Timeout,
    HostNotFound,
    NetworkError,
    WrongSource, // only replies from another address or port came
    Malformed,   // only datagrams that are no SNTP packet (short or oversized) came
    NotOurRequest,
    LeapAlarm,
    BadVersion,
    BadMode,
    KissOfDeath,
    StratumTooHigh,
    ZeroTransmit,
    ClockRefused, // the system did not set the time
};

struct SntpAttempt {
    SntpFailure failure = SntpFailure::None;
    std::string kissCode; // for KissOfDeath
    bool Succeeded() const noexcept { return failure == SntpFailure::None; }
};

struct SynchronizePlatform {
    // Queries the server and sets the clock: one attempt.
    std::function<SntpAttempt(const SntpServer& server, std::uint16_t timeoutMs)> query;
    // The host list's lines; nullopt when the file is missing or unreadable.
    std::function<std::optional<std::vector<std::wstring>>()> loadHostList;
    std::function<SyncDateTime()> now;
    // A language text by key ("rsSuccessStatus", "rsFailedStatus", "rsFail…").
    std::function<std::wstring(const std::wstring& key)> text;
    std::function<std::wstring(SyncDateTime)> formatDateTime;
};

// One run: the configured server, then (EnableNextSynch) the host list's lines in order,
// skipping a server that sent a kiss-o'-death in this run; a missing list leaves only the
// configured server. Sets LastSynch, LastLuckySynch on success and StatusSynch always:
// "rsSuccessStatus" (time, host, port) or "rsFailedStatus" (time, host, port, last success)
// followed by the reason of the last failure ("rsFail…") and "rsNoHostList" when the list
// was missing. True when the clock was set.
bool Synchronize(TSynchronizator& record, const SynchronizePlatform& platform);

} // namespace zt

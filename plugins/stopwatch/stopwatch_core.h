#pragma once
// The Stopwatch's display format and its time arithmetic on the 32-bit millisecond tick
// count. Differences are taken in unsigned 32-bit arithmetic, so the tick's wrap after
// about 49.7 days is harmless.

#include <cstdint>
#include <string>

namespace zt {

// "hh:mm:ss.zzz": the whole seconds taken modulo 65536, each field its last 2 (3)
// decimal digits.
std::wstring FormatElapsed(std::uint32_t ms);

class StopwatchCounter {
public:
    // Initial state: ticks 0, nothing accumulated, not running.
    void Reset();
    // Switching on starts stopped at zero; the ticks are kept.
    void SwitchOn();
    // Switching off ends a run without adding it; everything else is kept.
    void SwitchOff() { running_ = false; }
    // A run starts at now.
    void Start(std::uint32_t now);
    // The run ends at now and is added to the accumulated time.
    void Stop(std::uint32_t now);
    // Zero accumulated; a run in progress counts from now.
    void Clear(std::uint32_t now);
    // The time shown at now: accumulated plus the run in progress.
    std::uint32_t Elapsed(std::uint32_t now) const;

    bool Running() const { return running_; }
    std::uint32_t Accumulated() const { return accumulated_; }
    std::uint32_t StartTick() const { return start_; }
    std::uint32_t StopTick() const { return stop_; }

private:
    std::uint32_t start_ = 0;
    std::uint32_t stop_ = 0;
    std::uint32_t accumulated_ = 0;
    bool running_ = false;
};

} // namespace zt

// Cost of a clock tick whose text changes: change detection, formatting "hh:mm:ss"
// and turning the text into segment codes for the panel.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>

#include "common/datetime_format.h"
#include "display/charset.h"
#include "host/custom_zentik.h"

namespace {

using namespace zt;

// A clock that moves one second per reading pair (each tick reads the time twice).
class SteppingClock final : public TimeSource {
public:
    LocalTime Now() override {
        LocalTime t;
        t.year = 2026;
        t.month = 12;
        t.day = 8;
        const uint32_t s = seconds_ / 2 % 86400;
        ++seconds_;
        t.hour = static_cast<uint16_t>(s / 3600);
        t.minute = static_cast<uint16_t>(s / 60 % 60);
        t.second = static_cast<uint16_t>(s % 60);
        return t;
    }

private:
    uint32_t seconds_ = 2;
};

class IdleTimer final : public TactTimer {
public:
    void SetInterval(int milliseconds) override { interval_ = milliseconds; }
    int GetInterval() const override { return interval_; }
    void SetOnTick(std::function<void()>) override {}

private:
    int interval_ = 0;
};

void BM_TickWithNewText(benchmark::State& state) {
    SteppingClock clock;
    IdleTimer timer;
    TCustomZentik engine(clock, timer, DefaultFormatSettings());
    uint32_t sink = 0;
    engine.OnTextChange = [&](TCustomZentik&, const std::wstring& text) {
        for (unsigned char byte : lcd::TextToDisplayBytes(text))
            sink += lcd::CharToSegments(byte);
    };
    for (auto _ : state) {
        engine.OnTimerTick();
        benchmark::DoNotOptimize(sink);
    }
}
BENCHMARK(BM_TickWithNewText);

void BM_FormatTimeOnly(benchmark::State& state) {
    const FormatSettings settings = DefaultFormatSettings();
    const DateTime value = EncodeDate(2026, 12, 8) + EncodeTime(7, 5, 9, 0);
    const std::wstring pattern = L"hh:mm:ss";
    for (auto _ : state)
        benchmark::DoNotOptimize(FormatDateTime(pattern, value, settings));
}
BENCHMARK(BM_FormatTimeOnly);

} // namespace

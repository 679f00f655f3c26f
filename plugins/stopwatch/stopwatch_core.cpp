#include "stopwatch_core.h"

namespace zt {
namespace {

// The last digits decimal digits of value, with leading zeros.
void AppendDigits(std::wstring& text, std::uint32_t value, int digits) {
    wchar_t buffer[3];
    for (int i = digits - 1; i >= 0; --i) {
        buffer[i] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    }
    text.append(buffer, static_cast<std::size_t>(digits));
}

} // namespace

std::wstring FormatElapsed(std::uint32_t ms) {
    const std::uint32_t seconds = (ms / 1000) & 0xFFFFu;
    std::wstring text;
    text.reserve(12);
    AppendDigits(text, seconds / 3600, 2);
    text += L':';
    AppendDigits(text, seconds / 60 % 60, 2);
    text += L':';
    AppendDigits(text, seconds % 60, 2);
    text += L'.';
    AppendDigits(text, ms % 1000, 3);
    return text;
}

void StopwatchCounter::Reset() {
    *this = StopwatchCounter();
}

void StopwatchCounter::SwitchOn() {
    accumulated_ = 0;
    running_ = false;
}

void StopwatchCounter::Start(std::uint32_t now) {
    start_ = now;
    running_ = true;
}

void StopwatchCounter::Stop(std::uint32_t now) {
    stop_ = now;
    accumulated_ += stop_ - start_;
    running_ = false;
}

void StopwatchCounter::Clear(std::uint32_t now) {
    accumulated_ = 0;
    start_ = now;
}

std::uint32_t StopwatchCounter::Elapsed(std::uint32_t now) const {
    return running_ ? now + accumulated_ - start_ : accumulated_;
}

} // namespace zt

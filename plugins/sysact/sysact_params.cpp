#include "sysact_params.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace zt {
namespace {

// Blanks and control characters, compared as code points (wchar_t may be signed).
bool IsBlank(wchar_t c) {
    return static_cast<std::uint32_t>(c) <= 0x20;
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A decimal integer with an optional sign, saturated far beyond every range used here;
// nothing when text is not one.
std::optional<long long> ParseInteger(std::wstring_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    constexpr long long kSaturated = 1LL << 40;
    long long value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = std::min(value * 10 + (c - L'0'), kSaturated);
    }
    return negative ? -value : value;
}

int Clamp(long long value, int low, int high) {
    return static_cast<int>(std::clamp<long long>(value, low, high));
}

} // namespace

std::wstring ComposeProgramLine(std::wstring_view program, std::wstring_view arguments) {
    std::wstring line;
    if (program.find(L' ') != std::wstring_view::npos)
        line.append(L"\"").append(program).append(L"\"");
    else
        line.append(program);
    if (!arguments.empty())
        line.append(L" ").append(arguments);
    return line;
}

std::wstring ComposeMessage(std::wstring_view text, std::wstring_view soundFile) {
    std::wstring line = L"\"";
    line.append(text).append(L"\"");
    if (!soundFile.empty())
        line.append(L" ").append(soundFile);
    return line;
}

ShutdownChoice ShutdownFlagsIn(std::wstring_view param) {
    std::wstring text(Trim(param));
    text += L' ';
    ShutdownChoice choice{};
    for (std::size_t i = 0; i < kShutdownFlagCount; ++i) {
        std::wstring flag(kShutdownFlags[i].text);
        flag += L' ';
        choice[i] = text.find(flag) != std::wstring::npos;
    }
    return choice;
}

unsigned ExitWindowsFlags(std::wstring_view param) {
    const ShutdownChoice choice = ShutdownFlagsIn(param);
    if (std::none_of(choice.begin(), choice.end(), [](bool on) { return on; }))
        return kDefaultShutdown;
    unsigned flags = 0;
    for (std::size_t i = 0; i < kShutdownFlagCount; ++i) {
        if (choice[i])
            flags += kShutdownFlags[i].value;
    }
    return flags;
}

std::wstring ComposeShutdownFlags(const ShutdownChoice& choice) {
    std::wstring text;
    for (std::size_t i = 0; i < kShutdownFlagCount; ++i) {
        if (!choice[i])
            continue;
        if (!text.empty())
            text += L' ';
        text += kShutdownFlags[i].text;
    }
    return text;
}

std::array<BoxState, kShutdownFlagCount> ShutdownBoxStates(const ShutdownChoice& choice) {
    const bool none = std::none_of(choice.begin(), choice.end(), [](bool on) { return on; });
    std::array<BoxState, kShutdownFlagCount> states{};
    for (std::size_t i = 0; i < kShutdownFlagCount; ++i) {
        if (none)
            states[i] = (kDefaultShutdown & kShutdownFlags[i].value) != 0 ? BoxState::Grayed
                                                                          : BoxState::Unchecked;
        else
            states[i] = choice[i] ? BoxState::Checked : BoxState::Unchecked;
    }
    return states;
}

FlashParams ParseFlash(std::wstring_view param) {
    const std::wstring_view text = Trim(param);
    const std::size_t bar = text.find(L'|');
    FlashParams params;
    if (bar == std::wstring_view::npos)
        return params;
    if (const auto count = ParseInteger(text.substr(0, bar)))
        params.count = Clamp(*count, kFlashCountMin, kFlashCountMax);
    if (const auto period = ParseInteger(text.substr(bar + 1)))
        params.period = Clamp(*period, kFlashPeriodMin, kFlashPeriodMax);
    return params;
}

FlashParams ClampFlash(FlashParams params) {
    params.count = Clamp(params.count, kFlashCountMin, kFlashCountMax);
    params.period = Clamp(params.period, kFlashPeriodMin, kFlashPeriodMax);
    return params;
}

std::wstring ComposeFlash(const FlashParams& params) {
    return std::to_wstring(params.count) + L"|" + std::to_wstring(params.period);
}

std::vector<bool> FlashSteps(int count, bool startVisible) {
    std::vector<bool> steps;
    if (startVisible) {
        // Hidden on even steps, shown on odd ones, from step 0.
        for (int i = 0; i <= count; ++i)
            steps.push_back(i % 2 != 0);
    } else {
        // Shown on odd steps, hidden on even ones, from step 1.
        for (int i = 1; i <= count; ++i)
            steps.push_back(i % 2 != 0);
    }
    steps.push_back(startVisible);
    return steps;
}

DoCommandParts SplitDoCommand(std::wstring_view param) {
    const std::size_t at = param.find(kCommandKey);
    if (at == std::wstring_view::npos)
        return {std::wstring(param), {}};
    return {std::wstring(param.substr(0, at)), std::wstring(param.substr(at + kCommandKey.size()))};
}

TitleCondition ChooseTitleCondition(std::wstring_view conditionPart, std::wstring_view notContain,
                                    std::wstring_view contain) {
    if (!notContain.empty())
        return {false, std::wstring(notContain)};
    if (Trim(conditionPart).empty())
        return {false, {}};
    return {true, std::wstring(contain)};
}

bool TitleConditionHolds(const TitleCondition& condition, std::wstring_view title) {
    const bool occurs =
        !condition.text.empty() && title.find(condition.text) != std::wstring_view::npos;
    return condition.mustContain == occurs;
}

DoCommandChoice InitialDoCommandChoice(std::wstring_view conditionPart,
                                       std::wstring_view notContain, std::wstring_view contain) {
    if (!notContain.empty())
        return {1, std::wstring(notContain)};
    if (Trim(conditionPart).empty())
        return {kNoConditionItem, {}};
    return {0, std::wstring(contain)};
}

std::wstring ComposeDoCommand(const DoCommandChoice& choice, std::wstring_view command) {
    std::wstring line;
    if (choice.item == 0)
        line.append(kContainKey).append(L"=").append(choice.title).append(L"; ");
    else if (choice.item == 1)
        line.append(kNotContainKey).append(L"=").append(choice.title).append(L"; ");
    line.append(kCommandKey).append(command);
    return line;
}

} // namespace zt

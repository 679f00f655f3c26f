#include "api/api_text.h"

#include <cstddef>
#include <cstdint>

namespace zt {

namespace {

// Blanks and control characters, compared as code points so that a signed wchar_t cannot
// make a character negative.
bool IsTrimmed(wchar_t c) {
    return static_cast<std::uint32_t>(c) <= 0x20;
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsTrimmed(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::wstring GetParam(std::wstring_view key, std::wstring_view text) {
    std::wstring pattern(key);
    pattern += L'=';
    const std::size_t found = text.find(pattern);
    if (found == std::wstring_view::npos)
        return {};
    std::wstring_view value = text.substr(found + pattern.size());
    const std::size_t end = value.find(L';');
    if (end != std::wstring_view::npos)
        value = value.substr(0, end);
    return std::wstring(Trim(value));
}

ProgramLine SplitCommandLine(std::wstring_view line) {
    const std::wstring_view text = Trim(line);
    ProgramLine result;
    if (!text.empty() && text.front() == L'"') {
        const std::size_t close = text.find(L'"', 1);
        if (close == std::wstring_view::npos) {
            result.params = text.substr(1);
        } else {
            result.program = text.substr(1, close - 1);
            if (close + 2 <= text.size())
                result.params = text.substr(close + 2);
        }
        return result;
    }
    const std::size_t blank = text.find(L' ');
    if (blank == std::wstring_view::npos) {
        result.program = text;
    } else {
        result.program = text.substr(0, blank);
        result.params = text.substr(blank + 1);
    }
    return result;
}

CommandCall SplitCommand(std::wstring_view line) {
    const std::size_t blank = line.find(L' ');
    if (blank == std::wstring_view::npos)
        return {std::wstring(line), {}};
    return {std::wstring(line.substr(0, blank)), std::wstring(line.substr(blank + 1))};
}

} // namespace zt

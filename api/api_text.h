#pragma once
// Text services of the host API that need no Win32 call: "key=value;" look-up and the
// splitting of command lines.

#include <string>
#include <string_view>

namespace zt {

// The value of the first "key=" found anywhere in text, up to the next ';', without
// leading and trailing blanks and control characters; empty when key= does not occur.
// The search is a plain substring search: "CONTAIN" also matches inside "NOT_CONTAIN=",
// so callers ask for the longer of two such keys first.
std::wstring GetParam(std::wstring_view key, std::wstring_view text);

struct ProgramLine {
    std::wstring program;
    std::wstring params;
};

// Splits a program command line: a leading quoted path (the closing quote and the one
// character after it are dropped), otherwise the text before the first blank. An unclosed
// quote gives an empty program and everything after the quote as params.
ProgramLine SplitCommandLine(std::wstring_view line);

struct CommandCall {
    std::wstring name;
    std::wstring param;
};

// "name param": split at the first blank, nothing trimmed. A line that starts with a blank
// has an empty name.
CommandCall SplitCommand(std::wstring_view line);

} // namespace zt

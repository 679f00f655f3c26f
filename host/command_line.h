#pragma once
// The switches of Zentik.exe. Only the first argument counts, compared exactly.

#include <string>
#include <vector>

namespace zt {

enum class StartMode {
    Normal,  // anything else, or no argument
    Install, // "\install" path: copy a plug-in into the plug-in folder
    Sleep,   // "\sleep": wait 500 ms before looking for a running clock
    Run,     // "\run": start even when a clock is running
};

struct StartArguments {
    StartMode mode = StartMode::Normal;
    std::wstring installPath; // the second argument in install mode (may be empty)
};

// args holds the arguments without the program name.
StartArguments ParseStartArguments(const std::vector<std::wstring>& args);

// The file-name part of a path (after the last '\' or '/').
std::wstring FileNamePart(const std::wstring& path);

} // namespace zt

#include "host/command_line.h"

namespace zt {

StartArguments ParseStartArguments(const std::vector<std::wstring>& args) {
    StartArguments result;
    if (args.empty())
        return result;
    const std::wstring& first = args.front();
    if (first == L"\\install") {
        result.mode = StartMode::Install;
        if (args.size() > 1)
            result.installPath = args[1];
    } else if (first == L"\\sleep") {
        result.mode = StartMode::Sleep;
    } else if (first == L"\\run") {
        result.mode = StartMode::Run;
    }
    return result;
}

std::wstring FileNamePart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace zt

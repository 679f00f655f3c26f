#include "updater/session_log.h"

#include "common/utf.h"

namespace zt::uplift {

void SessionLog::Add(std::wstring_view line) {
    std::wstring& added = lines_.emplace_back(line);
    for (wchar_t& c : added) {
        if (c == L'\r' || c == L'\n')
            c = L' ';
    }
}

void SessionLog::AddList(const std::vector<std::wstring>& lines) {
    Add(kListBeginLine);
    for (const auto& line : lines)
        Add(line);
    Add(kListEndLine);
}

std::string SessionLog::ToUtf8() const {
    std::string text;
    for (const auto& line : lines_) {
        text += WideToUtf8(line);
        text += "\r\n";
    }
    return text;
}

} // namespace zt::uplift

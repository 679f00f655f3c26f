#include "host/click_bindings.h"

#include <cwctype>

namespace zt {

BindingTable BindingTable::Defaults() {
    BindingTable table;
    table.rows_ = {{L"ClickMainLeft", L"pm_TalkTime"},
                   {L"ClickMainMiddle", L"zt_ShowZentikOptions"},
                   {L"ClickTrayLeft", L"zt_ShowHideClock"},
                   {L"ClickTrayMiddle", L"zt_CloseZentik"}};
    return table;
}

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    }
    return true;
}

const std::wstring* BindingTable::Find(const std::wstring& name) const {
    for (const BindingRow& row : rows_) {
        if (SameTextIgnoringCase(row.first, name))
            return &row.second;
    }
    return nullptr;
}

std::vector<std::wstring> BindingTable::ToLines() const {
    std::vector<std::wstring> lines;
    lines.reserve(rows_.size());
    for (const BindingRow& row : rows_)
        lines.push_back(row.first + L"=" + row.second);
    return lines;
}

void BindingTable::SetLines(const std::vector<std::wstring>& lines) {
    rows_.clear();
    for (const std::wstring& line : lines) {
        const size_t equals = line.find(L'=');
        if (equals == std::wstring::npos)
            rows_.emplace_back(line, std::wstring());
        else
            rows_.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
}

bool DoubleClickTracker::IsSecondClick(uint32_t now, uint32_t doubleClickTime) {
    if (static_cast<uint32_t>(now - lastClick_) > doubleClickTime) {
        lastClick_ = now;
        return false;
    }
    return true;
}

std::pair<std::wstring, std::wstring> SplitCommandName(const std::wstring& line) {
    const size_t blank = line.find(L' ');
    if (blank == std::wstring::npos)
        return {line, std::wstring()};
    return {line.substr(0, blank), line.substr(blank + 1)};
}

} // namespace zt

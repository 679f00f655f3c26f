#include "options/binding_rows.h"

namespace zt::options {

std::vector<BindingEntry> ParseBindingRows(std::wstring_view text) {
    std::vector<BindingEntry> rows;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos)
            end = text.size();
        const std::wstring_view line = text.substr(start, end - start);
        if (!line.empty()) {
            const std::size_t equals = line.find(L'=');
            if (equals == std::wstring_view::npos)
                rows.push_back({std::wstring(line), std::wstring()});
            else
                rows.push_back(
                    {std::wstring(line.substr(0, equals)), std::wstring(line.substr(equals + 1))});
        }
        start = end + 1;
    }
    return rows;
}

std::wstring JoinBindingRows(const std::vector<BindingEntry>& rows) {
    std::wstring text;
    for (const BindingEntry& row : rows)
        text += row.name + L"=" + row.command + L"\r\n";
    return text;
}

std::wstring NewBindingName(const NewBinding& binding) {
    if (binding.source == BindingSource::HotKey)
        return std::wstring(kHotKeyBindingPrefix) + binding.hotKeyText;
    return ClickBindingName(binding.source == BindingSource::TrayClick, binding.doubleClick,
                            binding.button, binding.keys);
}

std::optional<uint32_t> BindingRowColor(std::wstring_view name) {
    if (name.starts_with(kHotKeyBindingPrefix))
        return 0xF0CAA6;
    if (name.starts_with(L"ClickMain"))
        return 0xF0FBFF;
    if (name.starts_with(L"ClickTray"))
        return 0xC0DCC0;
    return std::nullopt;
}

} // namespace zt::options

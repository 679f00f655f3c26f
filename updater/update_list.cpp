#include "updater/update_list.h"

#include "common/utf.h"

namespace zt::uplift {

std::optional<std::wstring> DecodeUtf8Text(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom)
        bytes.remove_prefix(kBom.size());
    if (!IsValidUtf8(bytes))
        return std::nullopt;
    return Utf8ToWide(bytes);
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const wchar_t c = text[i];
        if (c != L'\r' && c != L'\n') {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        ++i;
        if (c == L'\r' && i < text.size() && text[i] == L'\n')
            ++i;
        start = i;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

namespace {

// Takes the text before the first "|" and removes it with the bar; without a bar the
// field is empty and the rest is left as it is.
std::wstring TakeField(std::wstring_view& rest) {
    const size_t bar = rest.find(L'|');
    if (bar == std::wstring_view::npos)
        return {};
    std::wstring field(rest.substr(0, bar));
    rest.remove_prefix(bar + 1);
    return field;
}

} // namespace

UpdateItem ParseUpdateLine(std::wstring_view line) {
    UpdateItem item;
    item.name = TakeField(line);
    item.version = TakeField(line);
    item.size = TakeField(line);
    item.address = std::wstring(line);
    return item;
}

} // namespace zt::uplift

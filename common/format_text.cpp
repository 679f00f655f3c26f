#include "common/format_text.h"

namespace zt {

std::wstring FormatText(std::wstring_view format, std::initializer_list<std::wstring_view> args) {
    std::wstring text;
    text.reserve(format.size());
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        const wchar_t kind = i + 1 < format.size() ? format[i + 1] : L'\0';
        if (c == L'%' && kind == L'%') {
            text += L'%';
            ++i;
        } else if (c == L'%' && (kind == L's' || kind == L'd') && next != args.end()) {
            text += *next++;
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

} // namespace zt

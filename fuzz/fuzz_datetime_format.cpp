// The date-time format language on arbitrary format texts: user formats, and the four
// locale formats the specifiers ddddd, dddddd, t, tt and c expand to.
//
// Input: UTF-8 text; U+001F separates the format from the short date, long date, short time
// and long time formats that replace the defaults when present.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/datetime_format.h"
#include "common/utf.h"
#include "fuzz/fuzz_check.h"

namespace {

using namespace zt;

std::vector<std::wstring> SplitParts(const std::wstring& text) {
    std::vector<std::wstring> parts(1);
    for (const wchar_t c : text) {
        if (c == 0x1F)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// The most one character of a format can give without an expansion: a number of up to four
// digits, a name or an am/pm text.
std::size_t MaxPlainOutput(const FormatSettings& s) {
    std::size_t most = std::max<std::size_t>({4, s.timeAMString.size(), s.timePMString.size()});
    for (const auto* names : {&s.shortMonthNames, &s.longMonthNames})
        for (const auto& name : *names)
            most = std::max(most, name.size());
    for (const auto* names : {&s.shortDayNames, &s.longDayNames})
        for (const auto& name : *names)
            most = std::max(most, name.size());
    return most;
}

// Expansions nest one level deep, so the output is bounded by the format's length times the
// largest expansion of one character.
std::size_t OutputBound(std::size_t formatLength, const FormatSettings& s) {
    const std::size_t plain = MaxPlainOutput(s);
    const std::size_t longest = std::max({s.shortDateFormat.size() + s.longTimeFormat.size(),
                                          s.longDateFormat.size(), s.shortTimeFormat.size()});
    const std::size_t expansion = longest * plain + 1; // c: a blank between its two formats
    return std::max<std::size_t>(formatLength, 1) * std::max(plain, expansion);
}

// A Windows picture showing text as literals: each run without apostrophes quoted, each
// apostrophe as '' between blanks (a quote directly before '' would read as an apostrophe).
// Returns the picture and the text it shows.
std::pair<std::wstring, std::wstring> LiteralPicture(std::wstring_view text) {
    std::wstring picture;
    std::wstring shown;
    while (!text.empty()) {
        if (text.front() == L'\'') {
            picture += L" '' ";
            shown += L" ' ";
            text.remove_prefix(1);
            continue;
        }
        const std::wstring_view run = text.substr(0, text.find(L'\''));
        picture.append(L"'").append(run).append(L"'");
        shown.append(run);
        text.remove_prefix(run.size());
    }
    return {picture, shown};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text =
        Utf8ToWide(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::vector<std::wstring> parts = SplitParts(text);
    const std::wstring& format = parts[0];

    FormatSettings settings = DefaultFormatSettings();
    std::wstring* const formats[] = {&settings.shortDateFormat, &settings.longDateFormat,
                                     &settings.shortTimeFormat, &settings.longTimeFormat};
    for (std::size_t i = 1; i < parts.size() && i <= 4; ++i)
        *formats[i - 1] = parts[i];

    // An afternoon with milliseconds (12-hour and pm branches), a midnight (c without time)
    // and a value outside the calendar.
    const DateTime values[] = {EncodeDate(2024, 3, 5) + EncodeTime(19, 5, 9, 123),
                               EncodeDate(1999, 12, 31), 1e300};
    for (const DateTime value : values) {
        const std::wstring out = FormatDateTime(format, value, settings);
        ZT_FUZZ_CHECK(out.size() <= OutputBound(format.size(), settings));
    }

    // A locale picture made of literals converts to a format that shows exactly them.
    if (!format.empty()) {
        const auto [picture, shown] = LiteralPicture(format);
        ZT_FUZZ_CHECK(FormatDateTime(LocalePictureToFormat(picture), values[0],
                                     DefaultFormatSettings()) == shown);
    }
    // Any picture converts to a format the formatter takes.
    const std::wstring picture = LocalePictureToFormat(format);
    ZT_FUZZ_CHECK(FormatDateTime(picture, values[0], DefaultFormatSettings()).size() <=
                  OutputBound(picture.size(), DefaultFormatSettings()));
    return 0;
}

#include "common/datetime_format.h"

#include <cmath>
#include <string_view>

namespace zt {

namespace {

// Levels of AppendFormat: the format itself and one expansion (ddddd, dddddd, t, tt, c).
constexpr int kMaxFormatNesting = 2;

wchar_t AsciiUpper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// True when text starts with the ASCII word, ignoring case.
bool StartsWithNoCase(std::wstring_view text, std::wstring_view word) {
    if (text.size() < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (AsciiUpper(text[i]) != AsciiUpper(word[i]))
            return false;
    }
    return true;
}

class Formatter {
public:
    Formatter(DateTime value, const FormatSettings& settings) : settings_(settings) {
        // DecodeDateTime turns a value into a 64-bit day count; keep absurd values away
        // from that conversion (they decode to the epoch, as any out-of-range value does).
        if (!std::isfinite(value) || std::fabs(value) > 1e9)
            value = std::nan("");
        t_ = DecodeDateTime(value);
    }

    std::wstring Run(std::wstring_view format) {
        Append(format.empty() ? std::wstring_view(L"c") : format);
        return std::move(out_);
    }

private:
    void AppendNumber(int value, int digits) {
        std::wstring text = std::to_wstring(value);
        if (static_cast<int>(text.size()) < digits)
            out_.append(static_cast<size_t>(digits) - text.size(), L'0');
        out_ += text;
    }

    void Append(std::wstring_view f) {
        if (f.empty() || level_ >= kMaxFormatNesting)
            return;
        ++level_;
        wchar_t lastToken = L' ';
        bool use12Hour = false;
        size_t i = 0;
        while (i < f.size()) {
            const wchar_t starter = f[i++];
            // The run of the same character (as typed) that starts here.
            auto count = [&] {
                int n = 1;
                while (i < f.size() && f[i] == starter) {
                    ++i;
                    ++n;
                }
                return n;
            };
            wchar_t token = AsciiUpper(starter);
            if (IsAsciiLetter(token)) {
                if (token == L'M' && lastToken == L'H')
                    token = L'N';
                lastToken = token;
            }
            switch (token) {
            case L'Y':
                if (count() <= 2)
                    AppendNumber(t_.year % 100, 2);
                else
                    AppendNumber(t_.year, 4);
                break;
            case L'M': {
                const int n = count();
                if (n <= 2)
                    AppendNumber(t_.month, n);
                else if (n == 3)
                    out_ += settings_.shortMonthNames[t_.month - 1];
                else
                    out_ += settings_.longMonthNames[t_.month - 1];
                break;
            }
            case L'D': {
                const int n = count();
                if (n <= 2)
                    AppendNumber(t_.day, n);
                else if (n == 3)
                    out_ += settings_.shortDayNames[t_.dayOfWeek];
                else if (n == 4)
                    out_ += settings_.longDayNames[t_.dayOfWeek];
                else if (n == 5)
                    Append(settings_.shortDateFormat);
                else
                    Append(settings_.longDateFormat);
                break;
            }
            case L'H': {
                const int n = count();
                if (!use12Hour)
                    use12Hour = AmPmFollows(f.substr(i));
                int hour = t_.hour;
                if (use12Hour) {
                    if (hour == 0)
                        hour = 12;
                    else if (hour > 12)
                        hour -= 12;
                }
                AppendNumber(hour, n > 2 ? 2 : n);
                break;
            }
            case L'N': {
                const int n = count();
                AppendNumber(t_.minute, n > 2 ? 2 : n);
                break;
            }
            case L'S': {
                const int n = count();
                AppendNumber(t_.second, n > 2 ? 2 : n);
                break;
            }
            case L'Z': {
                const int n = count();
                AppendNumber(t_.millisecond, n > 3 ? 3 : n);
                break;
            }
            case L'T':
                Append(count() == 1 ? settings_.shortTimeFormat : settings_.longTimeFormat);
                break;
            case L'C':
                count();
                Append(settings_.shortDateFormat);
                if (t_.hour != 0 || t_.minute != 0 || t_.second != 0 || t_.millisecond != 0) {
                    out_ += L' ';
                    Append(settings_.longTimeFormat);
                }
                break;
            case L'A':
                i += AppendAmPmOrDayName(f.substr(i - 1), use12Hour);
                break;
            case L'/':
                if (settings_.dateSeparator != 0)
                    out_ += settings_.dateSeparator;
                break;
            case L':':
                if (settings_.timeSeparator != 0)
                    out_ += settings_.timeSeparator;
                break;
            case L'\'':
            case L'"': {
                const size_t end = f.find(starter, i);
                const size_t stop = end == std::wstring_view::npos ? f.size() : end;
                out_.append(f.substr(i, stop - i));
                i = end == std::wstring_view::npos ? f.size() : end + 1;
                break;
            }
            default:
                out_ += starter;
                break;
            }
        }
        --level_;
    }

    // After an hour: does an am/pm specifier follow before the next hour? The scan stops at
    // the first 'a' outside quotes (either quote character toggles "inside") or at any 'h'.
    static bool AmPmFollows(std::wstring_view rest) {
        bool betweenQuotes = false;
        for (size_t i = 0; i < rest.size(); ++i) {
            const wchar_t c = rest[i];
            if ((c == L'a' || c == L'A') && !betweenQuotes) {
                const std::wstring_view p = rest.substr(i);
                return StartsWithNoCase(p, L"am/pm") || StartsWithNoCase(p, L"a/p") ||
                       StartsWithNoCase(p, L"ampm");
            }
            if (c == L'h' || c == L'H')
                return false;
            if (c == L'\'' || c == L'"')
                betweenQuotes = !betweenQuotes;
        }
        return false;
    }

    // p starts at an 'a'; returns how many characters after that 'a' were consumed.
    size_t AppendAmPmOrDayName(std::wstring_view p, bool& use12Hour) {
        const bool pm = t_.hour >= 12;
        if (StartsWithNoCase(p, L"am/pm")) {
            out_.append(p.substr(pm ? 3 : 0, 2));
            use12Hour = true;
            return 4;
        }
        if (StartsWithNoCase(p, L"a/p")) {
            out_ += p[pm ? 2 : 0];
            use12Hour = true;
            return 2;
        }
        if (StartsWithNoCase(p, L"ampm")) {
            out_ += pm ? settings_.timePMString : settings_.timeAMString;
            use12Hour = true;
            return 3;
        }
        if (StartsWithNoCase(p, L"aaaa")) {
            out_ += settings_.longDayNames[t_.dayOfWeek];
            return 3;
        }
        if (StartsWithNoCase(p, L"aaa")) {
            out_ += settings_.shortDayNames[t_.dayOfWeek];
            return 2;
        }
        out_ += p[0];
        return 0;
    }

    const FormatSettings& settings_;
    LocalTime t_;
    std::wstring out_;
    int level_ = 0;
};

// --- Windows picture strings ---

// Writes literal text so that the formatter copies it unchanged.
void AppendLiteral(std::wstring& out, std::wstring_view text) {
    bool needsQuotes = false;
    for (const wchar_t c : text) {
        if (IsAsciiLetter(c) || c == L'\'' || c == L'"' || c == L'/' || c == L':')
            needsQuotes = true;
    }
    if (!needsQuotes) {
        out.append(text);
        return;
    }
    if (text.find(L'\'') == std::wstring_view::npos) {
        out += L'\'';
        out.append(text);
        out += L'\'';
        return;
    }
    if (text.find(L'"') == std::wstring_view::npos) {
        out += L'"';
        out.append(text);
        out += L'"';
        return;
    }
    // Both quote characters: single-quote the pieces, double-quote each apostrophe.
    size_t start = 0;
    while (start <= text.size()) {
        const size_t apostrophe = text.find(L'\'', start);
        const size_t stop = apostrophe == std::wstring_view::npos ? text.size() : apostrophe;
        if (stop > start) {
            out += L'\'';
            out.append(text.substr(start, stop - start));
            out += L'\'';
        }
        if (apostrophe == std::wstring_view::npos)
            break;
        out += L"\"'\"";
        start = apostrophe + 1;
    }
}

} // namespace

FormatSettings DefaultFormatSettings() {
    return FormatSettings{};
}

std::wstring FormatDateTime(const std::wstring& format, DateTime value,
                            const FormatSettings& settings) {
    return Formatter(value, settings).Run(format);
}

std::wstring LocalePictureToFormat(const std::wstring& picture) {
    std::wstring out;
    std::wstring literal; // pending literal text, written quoted when needed
    auto flush = [&] {
        AppendLiteral(out, literal);
        literal.clear();
    };
    auto emit = [&](std::wstring_view specifier) {
        flush();
        out.append(specifier);
    };
    bool quoted = false;
    size_t i = 0;
    while (i < picture.size()) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            if (i + 1 < picture.size() && picture[i + 1] == L'\'') {
                literal += L'\''; // '' is an apostrophe, inside quotes or outside
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
            continue;
        }
        if (quoted) {
            literal += c;
            ++i;
            continue;
        }
        size_t n = 1;
        while (i + n < picture.size() && picture[i + n] == c)
            ++n;
        switch (c) {
        case L'd':
            emit(std::wstring(n > 4 ? 4 : n, L'd'));
            break;
        case L'M':
            emit(std::wstring(n > 4 ? 4 : n, L'm'));
            break;
        case L'y':
            emit(n <= 2 ? L"yy" : L"yyyy");
            break;
        case L'g':
            break; // era: not in the language
        case L'h':
        case L'H':
            emit(n == 1 ? L"h" : L"hh");
            break;
        case L'm':
            emit(n == 1 ? L"n" : L"nn");
            break;
        case L's':
            emit(n == 1 ? L"s" : L"ss");
            break;
        case L't':
            emit(L"ampm");
            break;
        case L'/':
        case L':':
            emit(std::wstring(n, c));
            break;
        default:
            literal.append(n, c);
            break;
        }
        i += n;
    }
    flush();
    return out;
}

} // namespace zt

#include "updater/download_name.h"

#include <array>

namespace zt::uplift {

namespace {

wchar_t AsciiUpper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? c - L'a' + L'A' : c;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    }
    return true;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsForbiddenChar(wchar_t c) {
    return c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also with superscript digits) and the console
// and clock devices are reserved, with or without an extension.
bool IsReservedDeviceName(std::wstring_view name) {
    std::wstring_view stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.remove_suffix(1);
    static constexpr std::array<std::wstring_view, 7> kPlain = {
        L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const auto reserved : kPlain) {
        if (EqualsNoCase(stem, reserved))
            return true;
    }
    if (stem.size() != 4 || !(StartsWithNoCase(stem, L"COM") || StartsWithNoCase(stem, L"LPT")))
        return false;
    const wchar_t digit = stem[3];
    return (digit >= L'0' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 ||
           digit == 0x00B3;
}

// A template, so that the branch for the other size of wchar_t is never compiled.
template <typename Char> size_t Utf16Length(std::basic_string_view<Char> text) {
    if constexpr (sizeof(Char) == 2) {
        return text.size();
    } else {
        size_t length = 0;
        for (const Char c : text)
            length += c > 0xFFFF ? 2 : 1;
        return length;
    }
}

} // namespace

std::wstring FileNameFromAddress(std::wstring_view address) {
    std::wstring_view name = address.substr(address.rfind(L'/') + 1);
    name = name.substr(name.rfind(L'\\') + 1);
    return std::wstring(name);
}

FileNameCheck CheckFileName(std::wstring_view name) {
    if (name.empty())
        return {FileNameProblem::Missing};
    if (name == L"." || name == L"..")
        return {FileNameProblem::NotAName};
    for (const wchar_t c : name) {
        if (!IsForbiddenChar(c))
            continue;
        if (c < 32)
            return {FileNameProblem::ControlCharacter};
        return {FileNameProblem::ForbiddenCharacter, c};
    }
    if (IsReservedDeviceName(name))
        return {FileNameProblem::ReservedDevice};
    if (name.back() == L'.' || name.back() == L' ')
        return {FileNameProblem::TrailingDotOrBlank};
    if (Utf16Length(name) > 255)
        return {FileNameProblem::TooLong};
    return {};
}

bool IsWebAddress(std::wstring_view address) {
    return StartsWithNoCase(address, L"http://") || StartsWithNoCase(address, L"https://");
}

bool IsLoopbackHost(std::wstring_view host) {
    if (EqualsNoCase(host, L"localhost") || host == L"::1" || host == L"[::1]")
        return true;
    if (!host.starts_with(L"127."))
        return false;
    int dots = 0;
    for (const wchar_t c : host) {
        if (c == L'.')
            ++dots;
        else if (c < L'0' || c > L'9')
            return false;
    }
    return dots == 3;
}

} // namespace zt::uplift

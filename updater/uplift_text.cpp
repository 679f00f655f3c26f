#include "updater/uplift_text.h"

#include <atomic>

#include "common/format_text.h"

namespace zt::uplift {

namespace {

constexpr LANGID kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::atomic<LANGID> language{kRussian};

// A string of the module's table in one language. Tables hold blocks of 16 counted
// strings, block n holding identifiers (n - 1) * 16 ... n * 16 - 1.
std::wstring LoadInLanguage(UINT id, LANGID lang) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), lang);
    if (!found)
        return {};
    const HGLOBAL loaded = ::LoadResource(module, found);
    const auto* data = static_cast<const WCHAR*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!data)
        return {};
    const WCHAR* end = data + ::SizeofResource(module, found) / sizeof(WCHAR);
    for (UINT index = 0; index < id % 16; ++index) {
        if (data >= end)
            return {};
        data += 1 + *data;
    }
    if (data >= end || data + 1 + *data > end)
        return {};
    return std::wstring(data + 1, *data);
}

} // namespace

void SelectTextLanguage(std::wstring_view code) {
    const bool english = code.size() == 2 && (code[0] == L'e' || code[0] == L'E') &&
                         (code[1] == L'n' || code[1] == L'N');
    language = english ? kEnglish : kRussian;
}

LANGID TextLanguage() {
    return language;
}

std::wstring Text(UINT id, std::initializer_list<std::wstring_view> args) {
    std::wstring text = LoadInLanguage(id, language);
    if (text.empty() && language != kRussian)
        text = LoadInLanguage(id, kRussian);
    return FormatText(text, args);
}

} // namespace zt::uplift

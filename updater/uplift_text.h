#pragma once
// Uplift's texts: the program module's string tables, Russian and English. English is
// chosen when the clock's language is English, as the clock's own texts are; Russian
// otherwise, and for any text the English table lacks.

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace zt::uplift {

// "en" selects English; any other code, or none, Russian. Called before any thread asks.
void SelectTextLanguage(std::wstring_view code);
LANGID TextLanguage();

// The text with identifier id, its "%s" replaced by args in order; empty when missing.
std::wstring Text(UINT id, std::initializer_list<std::wstring_view> args = {});

} // namespace zt::uplift

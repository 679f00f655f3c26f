#pragma once
// The language the user chose for the clock, as every Zentik program reads it.

#include <windows.h>

#include <string>

namespace zt {

// The "Language" value under ZT_REGISTRY_KEY of root; empty when the key or value
// is missing or is not text. The key is opened for reading and never created.
std::wstring ReadLanguageCode(HKEY root);

} // namespace zt

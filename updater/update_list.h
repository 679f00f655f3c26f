#pragma once
// The update list: one component per line, "name|version|size|address".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt::uplift {

struct UpdateItem {
    std::wstring name;
    std::wstring version;
    std::wstring size;
    std::wstring address;
};

// Decodes the list's bytes as UTF-8 (a leading byte order mark is dropped). Returns
// nothing when the bytes are not valid UTF-8; the caller then uses the ANSI code page.
std::optional<std::wstring> DecodeUtf8Text(std::string_view bytes);

// Splits text at CR LF, LF or CR. A final line break does not start another line;
// empty lines inside the text are kept.
std::vector<std::wstring> SplitLines(std::wstring_view text);

// Fields are taken by position: each of name, version and size runs up to the next "|",
// which is consumed. A missing "|" leaves that field empty and keeps the text for the
// fields after it; the address is whatever remains.
UpdateItem ParseUpdateLine(std::wstring_view line);

} // namespace zt::uplift

#pragma once
// Naming of downloaded files and checks on download addresses.

#include <string>
#include <string_view>

namespace zt::uplift {

// The part of the address after its last "/", and of that the part after its last "\".
std::wstring FileNameFromAddress(std::wstring_view address);

// Empty when name can be created as a plain file inside the download folder; otherwise
// a message saying why not: empty, "." or "..", a character Windows forbids in file
// names (":" and both slashes included), a reserved device name (CON, NUL, COM1 ...),
// a trailing dot or blank, or more than 255 UTF-16 units.
std::wstring CheckFileName(std::wstring_view name);

// True for addresses starting with "http://" or "https://", in any letter case.
bool IsWebAddress(std::wstring_view address);

// True for "localhost", 127.x.x.x and ::1 (with or without brackets).
bool IsLoopbackHost(std::wstring_view host);

} // namespace zt::uplift

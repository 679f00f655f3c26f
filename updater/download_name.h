#pragma once
// Naming of downloaded files and checks on download addresses.

#include <string>
#include <string_view>

namespace zt::uplift {

// The part of the address after its last "/", and of that the part after its last "\".
std::wstring FileNameFromAddress(std::wstring_view address);

// Why a name cannot be created as a plain file inside the download folder.
enum class FileNameProblem {
    None,
    Missing,            // empty: the address ends with a separator
    NotAName,           // "." or ".."
    ControlCharacter,   // below U+0020
    ForbiddenCharacter, // one Windows forbids in file names (":" and both slashes included)
    ReservedDevice,     // CON, NUL, COM1 ...
    TrailingDotOrBlank,
    TooLong, // more than 255 UTF-16 units
};

struct FileNameCheck {
    FileNameProblem problem = FileNameProblem::None;
    wchar_t character = 0; // the forbidden character
    bool Ok() const { return problem == FileNameProblem::None; }
};

FileNameCheck CheckFileName(std::wstring_view name);

// True for addresses starting with "http://" or "https://", in any letter case.
bool IsWebAddress(std::wstring_view address);

// True for "localhost", 127.x.x.x and ::1 (with or without brackets).
bool IsLoopbackHost(std::wstring_view host);

} // namespace zt::uplift

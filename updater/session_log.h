#pragma once
// The session log of the update checker and the composition of its lines. Time texts
// come in already formatted.

#include <string>
#include <string_view>
#include <vector>

namespace zt::uplift {

inline constexpr std::wstring_view kListBeginLine = L"[ begin ZentikUpd.dat ]";
inline constexpr std::wstring_view kListEndLine = L"[ end ZentikUpd.dat ]";

std::wstring StartLine(std::wstring_view dateTime);
std::wstring EndLine(std::wstring_view dateTime);
std::wstring DownloadStartLine(std::wstring_view address, std::wstring_view time);
std::wstring DownloadDoneLine(std::wstring_view fileName, std::wstring_view time);
std::wstring CancelLine(std::wstring_view time);
std::wstring ErrorLine(std::wstring_view message, std::wstring_view address,
                       std::wstring_view time);

class SessionLog {
public:
    // Line breaks inside a line become blanks, so every entry stays one line.
    void Add(std::wstring_view line);
    // The received list between its begin and end markers.
    void AddList(const std::vector<std::wstring>& lines);

    const std::vector<std::wstring>& Lines() const { return lines_; }
    // Every line followed by CR LF, encoded as UTF-8.
    std::string ToUtf8() const;

private:
    std::vector<std::wstring> lines_;
};

} // namespace zt::uplift

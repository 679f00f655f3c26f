#pragma once
// The session log of the update checker (its lines are composed from the string table).

#include <string>
#include <string_view>
#include <vector>

namespace zt::uplift {

inline constexpr std::wstring_view kListBeginLine = L"[ begin ZentikUpd.dat ]";
inline constexpr std::wstring_view kListEndLine = L"[ end ZentikUpd.dat ]";

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

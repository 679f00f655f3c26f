#pragma once
// The bindings page's table as the clock hands it over ("name=command line" rows, CR LF
// separated), the names of new bindings and the background of each row.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/binding_name.h"
#include "common/key_text.h"

namespace zt::options {

struct BindingEntry {
    std::wstring name;
    std::wstring command; // command line, possibly empty
};

// Rows from the clock's text: each line is split at its first "="; a line without one is
// a name with an empty command line; empty lines are skipped. CR LF, LF or CR end lines.
std::vector<BindingEntry> ParseBindingRows(std::wstring_view text);
// The text for the clock: "name=command line" and CR LF for every row.
std::wstring JoinBindingRows(const std::vector<BindingEntry>& rows);

// What the new-binding panel sets.
enum class BindingSource { ClockClick, TrayClick, HotKey };
struct NewBinding {
    BindingSource source = BindingSource::ClockClick;
    bool doubleClick = false;
    ClickButton button = ClickButton::Left;
    ModifierKeys keys;
    std::wstring hotKeyText; // the hot-key field's text ("CtrlAltT")
};

inline constexpr std::wstring_view kHotKeyBindingPrefix = L"HotKey_";

// "ClickMain…"/"ClickTray…" as a click looks it up, or "HotKey_" + the hot-key text.
std::wstring NewBindingName(const NewBinding& binding);

// The background of a row by its name's prefix (0x00BBGGRR): "HotKey_" sky blue,
// "ClickMain" cream, "ClickTray" money green; none for other names.
std::optional<uint32_t> BindingRowColor(std::wstring_view name);

} // namespace zt::options

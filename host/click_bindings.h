#pragma once
// Click and hot-key bindings of the clock window: the name=value table and the names
// that mouse clicks look up.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/binding_name.h"

namespace zt {

using BindingRow = std::pair<std::wstring, std::wstring>;

// Rows of "name=command line", in order; names compare without regard to case.
class BindingTable {
public:
    // The four design rows.
    static BindingTable Defaults();

    const std::vector<BindingRow>& Rows() const { return rows_; }
    void SetRows(std::vector<BindingRow> rows) { rows_ = std::move(rows); }
    // The value of the first row with that name, or null.
    const std::wstring* Find(const std::wstring& name) const;

    // "name=value" lines; a line without '=' is a name with an empty value.
    std::vector<std::wstring> ToLines() const;
    void SetLines(const std::vector<std::wstring>& lines);

private:
    std::vector<BindingRow> rows_;
};

// Tells the second click of a double click from a single click. A click that comes
// later than the double-click time after the last one starts a new pair.
class DoubleClickTracker {
public:
    // True when the click at now (milliseconds, wrapping) may complete a double click.
    // Otherwise the click is remembered as the first of a pair.
    bool IsSecondClick(uint32_t now, uint32_t doubleClickTime);
    // A double-click binding ran: the next click starts a new pair.
    void Consumed() { lastClick_ = 0; }

private:
    uint32_t lastClick_ = 0;
};

// Splits a command line at its first blank into command name and parameter; no
// trimming is done.
std::pair<std::wstring, std::wstring> SplitCommandName(const std::wstring& line);

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b);

} // namespace zt

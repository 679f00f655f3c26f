#pragma once
// The saved events of the alarm page ("Events.sav"): one "name=value" line per row.

#include <string>
#include <utility>
#include <vector>

namespace zt {

using SavedEvent = std::pair<std::wstring, std::wstring>; // name, command line

// Lines split at their first "="; a line without one is a name with an empty value;
// empty lines are skipped.
std::vector<SavedEvent> ParseSavedEvents(const std::wstring& text);
// "name=value" lines, each ended by CR LF.
std::wstring ComposeSavedEvents(const std::vector<SavedEvent>& events);

} // namespace zt

#include "events_file.h"

#include "task_description.h"

namespace zt {

std::vector<SavedEvent> ParseSavedEvents(const std::wstring& text) {
    std::vector<SavedEvent> events;
    for (const std::wstring& line : SplitTextLines(text)) {
        if (line.empty())
            continue;
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring::npos)
            events.emplace_back(line, std::wstring());
        else
            events.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return events;
}

std::wstring ComposeSavedEvents(const std::vector<SavedEvent>& events) {
    std::wstring text;
    for (const auto& [name, value] : events) {
        text += name;
        text += L'=';
        text += value;
        text += L"\r\n";
    }
    return text;
}

} // namespace zt

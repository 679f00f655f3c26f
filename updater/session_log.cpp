#include "updater/session_log.h"

#include "common/utf.h"

namespace zt::uplift {

namespace {

std::wstring Join(std::initializer_list<std::wstring_view> parts) {
    std::wstring text;
    for (const auto part : parts)
        text += part;
    return text;
}

} // namespace

std::wstring StartLine(std::wstring_view dateTime) {
    return Join({L"  Обновление запущенно: ", dateTime});
}

std::wstring EndLine(std::wstring_view dateTime) {
    return Join({L"  Обновление завершенно:", dateTime});
}

std::wstring DownloadStartLine(std::wstring_view address, std::wstring_view time) {
    return Join({L"Закачка: ", address, L" начало в ", time});
}

std::wstring DownloadDoneLine(std::wstring_view fileName, std::wstring_view time) {
    return Join({L"Закачка: ", fileName, L" завершенна в ", time});
}

std::wstring CancelLine(std::wstring_view time) {
    return Join({L"Отменено пользователем  в ", time});
}

std::wstring ErrorLine(std::wstring_view message, std::wstring_view address,
                       std::wstring_view time) {
    return Join({L"Ошибка: ", message, L"; URL: ", address, L"; Time: ", time});
}

void SessionLog::Add(std::wstring_view line) {
    std::wstring& added = lines_.emplace_back(line);
    for (wchar_t& c : added) {
        if (c == L'\r' || c == L'\n')
            c = L' ';
    }
}

void SessionLog::AddList(const std::vector<std::wstring>& lines) {
    Add(kListBeginLine);
    for (const auto& line : lines)
        Add(line);
    Add(kListEndLine);
}

std::string SessionLog::ToUtf8() const {
    std::string text;
    for (const auto& line : lines_) {
        text += WideToUtf8(line);
        text += "\r\n";
    }
    return text;
}

} // namespace zt::uplift

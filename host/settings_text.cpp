#include "host/settings_text.h"

#include <climits>

#include "host/click_bindings.h"

namespace zt {

std::wstring BoolText(bool value) {
    return value ? L"True" : L"False";
}

std::optional<bool> ParseBool(const std::wstring& text) {
    const std::wstring trimmed = TrimText(text);
    if (SameTextIgnoringCase(trimmed, L"True"))
        return true;
    if (SameTextIgnoringCase(trimmed, L"False"))
        return false;
    return std::nullopt;
}

std::wstring TrimText(const std::wstring& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && text[first] <= L' ')
        ++first;
    while (last > first && text[last - 1] <= L' ')
        --last;
    return text.substr(first, last - first);
}

std::optional<long long> ParseInteger(const std::wstring& text, long long min, long long max) {
    const std::wstring trimmed = TrimText(text);
    size_t i = 0;
    bool negative = false;
    if (i < trimmed.size() && (trimmed[i] == L'-' || trimmed[i] == L'+'))
        negative = trimmed[i++] == L'-';
    if (i == trimmed.size())
        return std::nullopt;
    long long value = 0;
    for (; i < trimmed.size(); ++i) {
        if (trimmed[i] < L'0' || trimmed[i] > L'9')
            return std::nullopt;
        if (value > (LLONG_MAX - 9) / 10)
            return std::nullopt;
        value = value * 10 + (trimmed[i] - L'0');
    }
    if (negative)
        value = -value;
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

bool ParseFourIntegers(const std::wstring& text, std::array<int, 4>& out) {
    bool any = false;
    size_t start = 0;
    for (size_t index = 0; index < 4 && start <= text.size(); ++index) {
        size_t comma = text.find(L',', start);
        if (comma == std::wstring::npos)
            comma = text.size();
        if (auto value = ParseInteger(text.substr(start, comma - start), INT_MIN, INT_MAX)) {
            out[index] = static_cast<int>(*value);
            any = true;
        }
        start = comma + 1;
    }
    return any;
}

std::wstring FourIntegersText(const std::array<int, 4>& values) {
    return std::to_wstring(values[0]) + L"," + std::to_wstring(values[1]) + L"," +
           std::to_wstring(values[2]) + L"," + std::to_wstring(values[3]);
}

std::wstring ScreenSizeSuffix(int width, int height) {
    return L"(" + std::to_wstring(width) + L"x" + std::to_wstring(height) + L")";
}

} // namespace zt

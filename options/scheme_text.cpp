#include "options/scheme_text.h"

#include "options/color_text.h"

namespace zt::options {
namespace {

std::optional<int> ReadNumber(const std::wstring& text, int maximum) {
    const std::optional<std::int32_t> value = TextToInteger(text);
    if (!value || *value < 0 || *value > maximum)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<bool> ReadFlag(const std::wstring& text) {
    if (text == L"0")
        return false;
    if (text == L"-1" || text == L"1")
        return true;
    return std::nullopt;
}

} // namespace

std::wstring ComposeScheme(const Scheme& scheme) {
    std::wstring text;
    text += L"A=" + ColorToText(scheme.active);
    text += L";B=" + ColorToText(scheme.inactive);
    text += L";F=" + ColorToText(scheme.background);
    text += L";G=" + ColorToText(scheme.border);
    text += L";H=" + std::to_wstring(scheme.height);
    text += L";W=" + std::to_wstring(scheme.width);
    text += L";Th=" + std::to_wstring(scheme.thickness);
    text += L";Br=" + std::to_wstring(scheme.borderWidth);
    text += L";Alpha=" + std::to_wstring(scheme.alpha);
    text += L";Tr=";
    text += scheme.showBorder ? L"-1" : L"0";
    return text;
}

SchemeItems ReadScheme(const std::function<std::wstring(const wchar_t* key)>& param) {
    constexpr int kMaxSize = 0xFFFF;
    SchemeItems items;
    items.active = TextToColor(param(L"A"));
    items.inactive = TextToColor(param(L"B"));
    items.background = TextToColor(param(L"F"));
    items.border = TextToColor(param(L"G"));
    items.height = ReadNumber(param(L"H"), kMaxSize);
    items.width = ReadNumber(param(L"W"), kMaxSize);
    items.thickness = ReadNumber(param(L"Th"), kMaxSize);
    items.borderWidth = ReadNumber(param(L"Br"), kMaxSize);
    items.alpha = ReadNumber(param(L"Alpha"), 255);
    items.showBorder = ReadFlag(param(L"Tr"));
    return items;
}

} // namespace zt::options

#pragma once
// Colour schemes as text: "A=clBtnHighlight;B=clBtnShadow;F=clWindowFrame;G=clBtnFace;
// H=7;W=10;Th=3;Br=2;Alpha=255;Tr=-1" — the LCD colours (active segments A, inactive B,
// background F, border G, as ColorToText gives them), the segment height H, width W and
// thickness Th, the border width Br, the alpha value and the show-border flag Tr ("-1"
// shown, "0" not).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zt::options {

struct Scheme {
    std::int32_t active = 0;
    std::int32_t inactive = 0;
    std::int32_t background = 0;
    std::int32_t border = 0;
    int height = 0;
    int width = 0;
    int thickness = 0;
    int borderWidth = 0;
    int alpha = 255;
    bool showBorder = true;
};

// What a scheme text holds: an item is empty when its key is missing or its value is not
// a colour, a number in range (sizes 0-65535, alpha 0-255) or a flag.
struct SchemeItems {
    std::optional<std::int32_t> active;
    std::optional<std::int32_t> inactive;
    std::optional<std::int32_t> background;
    std::optional<std::int32_t> border;
    std::optional<int> height;
    std::optional<int> width;
    std::optional<int> thickness;
    std::optional<int> borderWidth;
    std::optional<int> alpha;
    std::optional<bool> showBorder;
};

// Every item in the order above, ";" between items and none after the last.
std::wstring ComposeScheme(const Scheme& scheme);

// Reads the items of a scheme through param, which gives the value of a key ("A", "Th",
// "Alpha" ...) in the scheme text, empty when the key is missing (the host API's GetParam).
SchemeItems ReadScheme(const std::function<std::wstring(const wchar_t* key)>& param);

} // namespace zt::options

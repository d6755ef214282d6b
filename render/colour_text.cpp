#include "render/colour_text.hpp"

#include <algorithm>
#include <iterator>

namespace orv {

namespace {

struct NamedColour {
    const char* name;
    std::uint32_t rrggbb;
};

// CSS Color Module Level 4's named colours, sorted by name for a binary search.
constexpr NamedColour kNamed[] = {
    {"aliceblue", 0xF0F8FF}, {"antiquewhite", 0xFAEBD7}, {"aqua", 0x00FFFF}, {"aquamarine", 0x7FFFD4},
    {"azure", 0xF0FFFF}, {"beige", 0xF5F5DC}, {"bisque", 0xFFE4C4}, {"black", 0x000000},
    {"blanchedalmond", 0xFFEBCD}, {"blue", 0x0000FF}, {"blueviolet", 0x8A2BE2}, {"brown", 0xA52A2A},
    {"burlywood", 0xDEB887}, {"cadetblue", 0x5F9EA0}, {"chartreuse", 0x7FFF00}, {"chocolate", 0xD2691E},
    {"coral", 0xFF7F50}, {"cornflowerblue", 0x6495ED}, {"cornsilk", 0xFFF8DC}, {"crimson", 0xDC143C},
    {"cyan", 0x00FFFF}, {"darkblue", 0x00008B}, {"darkcyan", 0x008B8B}, {"darkgoldenrod", 0xB8860B},
    {"darkgray", 0xA9A9A9}, {"darkgreen", 0x006400}, {"darkgrey", 0xA9A9A9}, {"darkkhaki", 0xBDB76B},
    {"darkmagenta", 0x8B008B}, {"darkolivegreen", 0x556B2F}, {"darkorange", 0xFF8C00}, {"darkorchid", 0x9932CC},
    {"darkred", 0x8B0000}, {"darksalmon", 0xE9967A}, {"darkseagreen", 0x8FBC8F}, {"darkslateblue", 0x483D8B},
    {"darkslategray", 0x2F4F4F}, {"darkslategrey", 0x2F4F4F}, {"darkturquoise", 0x00CED1}, {"darkviolet", 0x9400D3},
    {"deeppink", 0xFF1493}, {"deepskyblue", 0x00BFFF}, {"dimgray", 0x696969}, {"dimgrey", 0x696969},
    {"dodgerblue", 0x1E90FF}, {"firebrick", 0xB22222}, {"floralwhite", 0xFFFAF0}, {"forestgreen", 0x228B22},
    {"fuchsia", 0xFF00FF}, {"gainsboro", 0xDCDCDC}, {"ghostwhite", 0xF8F8FF}, {"gold", 0xFFD700},
    {"goldenrod", 0xDAA520}, {"gray", 0x808080}, {"green", 0x008000}, {"greenyellow", 0xADFF2F}, {"grey", 0x808080},
    {"honeydew", 0xF0FFF0}, {"hotpink", 0xFF69B4}, {"indianred", 0xCD5C5C}, {"indigo", 0x4B0082},
    {"ivory", 0xFFFFF0}, {"khaki", 0xF0E68C}, {"lavender", 0xE6E6FA}, {"lavenderblush", 0xFFF0F5},
    {"lawngreen", 0x7CFC00}, {"lemonchiffon", 0xFFFACD}, {"lightblue", 0xADD8E6}, {"lightcoral", 0xF08080},
    {"lightcyan", 0xE0FFFF}, {"lightgoldenrodyellow", 0xFAFAD2}, {"lightgray", 0xD3D3D3}, {"lightgreen", 0x90EE90},
    {"lightgrey", 0xD3D3D3}, {"lightpink", 0xFFB6C1}, {"lightsalmon", 0xFFA07A}, {"lightseagreen", 0x20B2AA},
    {"lightskyblue", 0x87CEFA}, {"lightslategray", 0x778899}, {"lightslategrey", 0x778899},
    {"lightsteelblue", 0xB0C4DE}, {"lightyellow", 0xFFFFE0}, {"lime", 0x00FF00}, {"limegreen", 0x32CD32},
    {"linen", 0xFAF0E6}, {"magenta", 0xFF00FF}, {"maroon", 0x800000}, {"mediumaquamarine", 0x66CDAA},
    {"mediumblue", 0x0000CD}, {"mediumorchid", 0xBA55D3}, {"mediumpurple", 0x9370DB}, {"mediumseagreen", 0x3CB371},
    {"mediumslateblue", 0x7B68EE}, {"mediumspringgreen", 0x00FA9A}, {"mediumturquoise", 0x48D1CC},
    {"mediumvioletred", 0xC71585}, {"midnightblue", 0x191970}, {"mintcream", 0xF5FFFA}, {"mistyrose", 0xFFE4E1},
    {"moccasin", 0xFFE4B5}, {"navajowhite", 0xFFDEAD}, {"navy", 0x000080}, {"oldlace", 0xFDF5E6},
    {"olive", 0x808000}, {"olivedrab", 0x6B8E23}, {"orange", 0xFFA500}, {"orangered", 0xFF4500},
    {"orchid", 0xDA70D6}, {"palegoldenrod", 0xEEE8AA}, {"palegreen", 0x98FB98}, {"paleturquoise", 0xAFEEEE},
    {"palevioletred", 0xDB7093}, {"papayawhip", 0xFFEFD5}, {"peachpuff", 0xFFDAB9}, {"peru", 0xCD853F},
    {"pink", 0xFFC0CB}, {"plum", 0xDDA0DD}, {"powderblue", 0xB0E0E6}, {"purple", 0x800080},
    {"rebeccapurple", 0x663399}, {"red", 0xFF0000}, {"rosybrown", 0xBC8F8F}, {"royalblue", 0x4169E1},
    {"saddlebrown", 0x8B4513}, {"salmon", 0xFA8072}, {"sandybrown", 0xF4A460}, {"seagreen", 0x2E8B57},
    {"seashell", 0xFFF5EE}, {"sienna", 0xA0522D}, {"silver", 0xC0C0C0}, {"skyblue", 0x87CEEB},
    {"slateblue", 0x6A5ACD}, {"slategray", 0x708090}, {"slategrey", 0x708090}, {"snow", 0xFFFAFA},
    {"springgreen", 0x00FF7F}, {"steelblue", 0x4682B4}, {"tan", 0xD2B48C}, {"teal", 0x008080}, {"thistle", 0xD8BFD8},
    {"tomato", 0xFF6347}, {"turquoise", 0x40E0D0}, {"violet", 0xEE82EE}, {"wheat", 0xF5DEB3}, {"white", 0xFFFFFF},
    {"whitesmoke", 0xF5F5F5}, {"yellow", 0xFFFF00}, {"yellowgreen", 0x9ACD32}
};
constexpr std::size_t kLongestName = 20;  // "lightgoldenrodyellow"

constexpr bool namesAscend() {
    for (std::size_t i = 1; i < std::size(kNamed); ++i) {
        const char* a = kNamed[i - 1].name;
        const char* b = kNamed[i].name;
        while (*a != '\0' && *a == *b) {
            ++a;
            ++b;
        }
        if (static_cast<unsigned char>(*a) >= static_cast<unsigned char>(*b)) {
            return false;
        }
    }
    return true;
}
static_assert(namesAscend(), "the binary search needs the names in ascending order");
static_assert(std::size(kNamed) == 148, "CSS names 148 colours");

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::uint32_t> parseHex(std::string_view digits) {
    if (digits.size() != 3 && digits.size() != 6 && digits.size() != 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<std::uint32_t>(d);
    }
    switch (digits.size()) {
        case 3: {
            // Each digit doubled: #f80 is #ff8800.
            const std::uint32_t r = (value >> 8) & 0xFu;
            const std::uint32_t g = (value >> 4) & 0xFu;
            const std::uint32_t b = value & 0xFu;
            return rgbaOfHex((r * 0x11u) << 16 | (g * 0x11u) << 8 | b * 0x11u);
        }
        case 6:
            return rgbaOfHex(value);
        default:
            return rgbaOfHex(value >> 8, value & 0xFFu);
    }
}

std::optional<std::uint32_t> parseName(std::string_view text) {
    if (text.empty() || text.size() > kLongestName) {
        return std::nullopt;
    }
    char lower[kLongestName + 1] = {};
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // ASCII only: no name has other letters, and locale rules could map other bytes onto them.
        lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const std::string_view name(lower, text.size());
    if (name == "transparent") {
        return 0u;
    }
    const auto before = [](const NamedColour& entry, std::string_view key) {
        return std::string_view(entry.name) < key;
    };
    const auto* found = std::lower_bound(std::begin(kNamed), std::end(kNamed), name, before);
    if (found == std::end(kNamed) || std::string_view(found->name) != name) {
        return std::nullopt;
    }
    return rgbaOfHex(found->rrggbb);
}

}  // namespace

std::optional<std::uint32_t> parseColourText(std::string_view text) {
    if (!text.empty() && text[0] == '#') {
        return parseHex(text.substr(1));
    }
    return parseName(text);
}

}  // namespace orv

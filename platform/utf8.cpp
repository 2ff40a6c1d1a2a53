#include "platform/utf8.h"

namespace qz7 {

Utf8Character nextUtf8Character(std::string_view text, std::size_t& position) {
    const std::size_t start = position;
    auto malformed = [&] { return Utf8Character{text.substr(start, position - start), {}}; };
    const auto lead = static_cast<unsigned char>(text[position++]);
    if (lead < 0x80) return {text.substr(start, 1), char32_t(lead)};
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead > 0xF4) return malformed();
    char32_t codePoint = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if (position >= text.size()) return malformed();
        const auto next = static_cast<unsigned char>(text[position]);
        if ((next & 0xC0) != 0x80) return malformed();
        codePoint = (codePoint << 6) | (next & 0x3F);
        ++position;
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[extra] || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
        codePoint > 0x10FFFF)
        return malformed();
    return {text.substr(start, position - start), codePoint};
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t position = 0; position < text.size();) {
        if (!nextUtf8Character(text, position).codePoint) return false;
    }
    return true;
}

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += char(codePoint);
    } else if (codePoint < 0x800) {
        out += char(0xC0 | (codePoint >> 6));
        out += char(0x80 | (codePoint & 0x3F));
    } else {
        out += char(0xE0 | (codePoint >> 12));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    }
}

std::size_t utf8Width(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t position = 0; position < text.size(); ++width)
        nextUtf8Character(text, position);
    return width;
}

}  // namespace qz7

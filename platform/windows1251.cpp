#include "platform/windows1251.h"

#include <array>
#include <cstdint>

#include "platform/utf8.h"

namespace qz7 {

namespace {

constexpr char32_t kUndefined = 0xFFFD;

// Code points of the bytes 0x80..0xFF; 0xC0..0xFF are U+0410..U+044F and computed.
constexpr std::array<char32_t, 64> kUpperHalf = {
    0x0402,     0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC,     0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452,     0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    kUndefined, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0,     0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401,     0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0,     0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451,     0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char32_t codePointOf(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
    return kUpperHalf[byte - 0x80];
}

// The 1251 byte of a code point, or -1 when 1251 has none.
int byteOf(char32_t codePoint) {
    if (codePoint < 0x80) return int(codePoint);
    if (codePoint >= 0x0410 && codePoint <= 0x044F) return int(0xC0 + (codePoint - 0x0410));
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
        if (kUpperHalf[i] == codePoint && codePoint != kUndefined) return int(0x80 + i);
    }
    return -1;
}

}  // namespace

std::string utf8FromWindows1251(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
    return out;
}

std::string windows1251FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::optional<char32_t> cp = nextUtf8Character(text, pos).codePoint;
        const int byte = cp ? byteOf(*cp) : -1;
        out += byte < 0 ? '?' : char(byte);
    }
    return out;
}

std::optional<std::string_view> firstCharacterOutsideWindows1251(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Character character = nextUtf8Character(text, pos);
        if (!character.codePoint || byteOf(*character.codePoint) < 0) return character.bytes;
    }
    return std::nullopt;
}

bool fitsWindows1251(std::string_view text) { return !firstCharacterOutsideWindows1251(text); }

std::size_t windows1251Length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) nextUtf8Character(text, pos);
    return count;
}

}  // namespace qz7

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qz7 {

// The program's one UTF-8 decoder and encoder: every check or conversion of UTF-8 text goes
// through these.

// One character of UTF-8 text: its bytes and its code point. Malformed bytes (a stray
// continuation byte, a cut sequence, an overlong form, a surrogate, a value beyond Unicode) have
// no code point; an overlong form would otherwise let a character such as ";" pass a check made
// on the text.
struct Utf8Character {
    std::string_view bytes;
    std::optional<char32_t> codePoint;
};

// The character that starts at text[position] (position < text.size()); position moves past it.
Utf8Character nextUtf8Character(std::string_view text, std::size_t& position);

// True when the whole text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

// The number of characters of UTF-8 text, as a terminal lines them up in columns.
std::size_t utf8Width(std::string_view text);

// Appends the UTF-8 bytes of a code point below U+10000.
void appendUtf8(std::string& out, char32_t codePoint);

}  // namespace qz7

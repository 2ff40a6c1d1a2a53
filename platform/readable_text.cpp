#include "platform/readable_text.h"

#include "platform/game_paths.h"
#include "platform/utf8.h"
#include "platform/windows1251.h"

namespace qz7 {

std::string readableText(std::string_view bytes) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::size_t position = 0; position < bytes.size();) {
        const std::size_t start = position;
        const Utf8Character character = nextUtf8Character(bytes, position);
        if (character.codePoint) {
            text += character.bytes;
            continue;
        }
        // Only the first byte of a malformed sequence is taken: the next may start a character.
        position = start + 1;
        text += utf8FromWindows1251(bytes.substr(start, 1));
    }
    return text;
}

std::string textFromPath(const std::filesystem::path& path) {
    return readableText(utf8FromPath(path));
}

}  // namespace qz7

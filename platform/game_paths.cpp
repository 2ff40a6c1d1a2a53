#include "platform/game_paths.h"

#include <string>

namespace qz7 {

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path gamePath(const std::filesystem::path& gameFolder,
                               std::string_view backslashRelative) {
    std::string relative(backslashRelative);
    while (!relative.empty() && relative.front() == '\\') relative.erase(relative.begin());
#ifndef _WIN32
    for (char& c : relative) {
        if (c == '\\') c = '/';
    }
#endif
    return gameFolder / pathFromUtf8(relative);
}

}  // namespace qz7

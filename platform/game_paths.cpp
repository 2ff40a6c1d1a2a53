#include "platform/game_paths.h"

#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <cwctype>
#endif

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

std::string folderIdentity(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(folder, error);
    if (error) resolved = std::filesystem::absolute(folder, error).lexically_normal();
    resolved.make_preferred();
    std::filesystem::path::string_type text = resolved.native();
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\') &&
           !(text.size() == 3 && text[1] == ':'))
        text.pop_back();
#ifdef _WIN32
    // Windows compares names without case, by its own table: lower case by it, the drive upper.
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    if (text.size() >= 2 && text[1] == L':') text[0] = static_cast<wchar_t>(towupper(text[0]));
#endif
    return utf8FromPath(std::filesystem::path(text));
}

}  // namespace qz7

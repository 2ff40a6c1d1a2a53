#include "maps/map_display.h"

namespace qz7 {

namespace {

// The text before the first ":" (empty when there is none) and the text after it (all of it when
// there is none).
std::string textBeforeColon(std::string_view text) {
    const auto colon = text.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(text.substr(0, colon));
}

std::string textAfterColon(std::string_view text) {
    const auto colon = text.find(':');
    return std::string(colon == std::string_view::npos ? text : text.substr(colon + 1));
}

// A description line without everything up to and including the first "-" and the character
// after it (the blank of " - "); without its first character when it has no "-".
std::string_view afterIdentifier(std::string_view line) {
    const auto hyphen = line.find('-');
    const std::size_t drop = hyphen == std::string_view::npos ? 1 : hyphen + 2;
    return drop >= line.size() ? std::string_view() : line.substr(drop);
}

enum class DescriptionSource { AfterIdentifier, WholeLine };

MapDisplay lookUp(const std::string& key, const std::vector<std::string>& descriptionLines,
                  DescriptionSource source) {
    MapDisplay display;
    if (!key.empty()) {
        for (const std::string& line : descriptionLines) {
            if (line.find(key) == std::string::npos) continue;
            const std::string_view rest = afterIdentifier(line);
            display.name = textBeforeColon(rest);
            display.description = textAfterColon(
                source == DescriptionSource::WholeLine ? std::string_view(line) : rest);
        }
    }
    display.pictureName = pictureNameForKey(key);
    return display;
}

}  // namespace

std::string catalogueMapKey(std::string_view line) {
    const auto hyphen = line.find('-');
    if (hyphen == std::string_view::npos || hyphen == 0) return std::string(line);
    return std::string(line.substr(0, hyphen - 1));
}

std::optional<std::string> pictureNameForKey(std::string_view key) {
    if (key.empty() || key.find('=') != std::string_view::npos) return std::nullopt;
    return std::string(key.substr(0, key.find(' ')));
}

MapDisplay catalogueDisplay(std::string_view catalogueLine,
                            const std::vector<std::string>& descriptionLines) {
    return lookUp(catalogueMapKey(catalogueLine), descriptionLines,
                  DescriptionSource::AfterIdentifier);
}

MapDisplay rotationDisplay(std::string_view rotationItem,
                           const std::vector<std::string>& descriptionLines) {
    return lookUp(std::string(rotationItem), descriptionLines, DescriptionSource::WholeLine);
}

}  // namespace qz7

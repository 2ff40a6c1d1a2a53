#include "maps/map_catalogue.h"

#include <algorithm>
#include <vector>

#include "maps/map_display.h"
#include "maps/map_resources.h"
#include "maps/rotation_editor.h"
#include "platform/windows1251.h"

namespace qz7 {

namespace {

const std::vector<std::string>& catalogueIds() {
    static const std::vector<std::string> ids = [] {
        std::vector<std::string> found;
        for (const std::string& line : LoadTextResource("SPISOK")) {
            if (auto id = rotationItemFromCatalogueLine(line)) found.push_back(*id);
        }
        return found;
    }();
    return ids;
}

}  // namespace

bool isCatalogueMap(std::string_view mapId) {
    const std::string id = windows1251FromUtf8(mapId);
    return std::find(catalogueIds().begin(), catalogueIds().end(), id) != catalogueIds().end();
}

std::optional<std::string> mapDisplayName(std::string_view mapId) {
    if (!isCatalogueMap(mapId)) return std::nullopt;
    static const std::vector<std::string> descriptions = LoadTextResource("INFA");
    MapDisplay display = rotationDisplay(windows1251FromUtf8(mapId), descriptions);
    if (!display.name) return std::nullopt;
    return utf8FromWindows1251(*display.name);
}

}  // namespace qz7

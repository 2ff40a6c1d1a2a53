#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qz7 {

// The display name of a map identifier (UTF-8), as the setup window shows it; nothing for an
// identifier that is not in the catalogue.
std::optional<std::string> mapDisplayName(std::string_view mapId);

// Whether the identifier is one of the catalogue's maps.
bool isCatalogueMap(std::string_view mapId);

}  // namespace qz7

#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// One resource built into the program: a type ("TXT", "JPEG") and a name, as on Windows.
struct EmbeddedResource {
    std::string type;
    std::string name;
    std::span<const unsigned char> bytes;
};

// The resources of the core, which every program holds: the map texts (generated from the files
// under resources/text). The map pictures are a table of their own (resources/map_pictures.h).
const std::vector<EmbeddedResource>& embeddedResources();

// The bytes of the resource of the given type and name in the table. Type and name match without
// regard to letter case, as Windows resource names do: "mp_alpha" finds MP_ALPHA.
std::optional<std::span<const unsigned char>> findResource(std::span<const EmbeddedResource> table,
                                                           std::string_view type,
                                                           std::string_view name);

// The same in the core's own table.
std::optional<std::span<const unsigned char>> findResource(std::string_view type,
                                                           std::string_view name);

}  // namespace qz7

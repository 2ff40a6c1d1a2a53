#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// What one display of a map puts into the window. Every text is Windows-1251 bytes, one byte per
// character, as the catalogue and description lines are. An empty optional leaves that control
// as it is.
struct MapDisplay {
    std::optional<std::string> name;         // for the name label under the picture
    std::optional<std::string> description;  // for the description label
    std::optional<std::string> pictureName;  // JPEG resource to show
};

// The key a catalogue line is looked up by: the text before the blank that precedes its first
// "-" ("mp_alpha - Lockdown" gives "mp_alpha", "=== Face-off Maps===" gives "=== Fac"); the whole
// line when it has no "-" or starts with one.
std::string catalogueMapKey(std::string_view line);

// The picture a key names: empty for an empty key or one with "=" (headers have no picture),
// otherwise the key up to its first blank.
std::optional<std::string> pictureNameForKey(std::string_view key);

// Display of the selected catalogue line (empty when nothing is selected). Every description line
// that contains the key is cut into name and description; the last one decides.
MapDisplay catalogueDisplay(std::string_view catalogueLine,
                            const std::vector<std::string>& descriptionLines);

// Display of a selected rotation item: the item itself is the key, and the description is taken
// after the first ":" of the whole matching line. Shows the same as the item's catalogue line.
MapDisplay rotationDisplay(std::string_view rotationItem,
                           const std::vector<std::string>& descriptionLines);

}  // namespace qz7

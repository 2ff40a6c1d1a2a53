#include "maps/rotation_editor.h"

#include <utility>

namespace qz7 {

namespace {

bool hasSelection(const RotationSnapshot& rotation) {
    return rotation.selected >= 0 && rotation.selected < int(rotation.items.size());
}

RotationEdit unchanged(const RotationSnapshot& rotation) { return {rotation, {}}; }

RotationEdit exchangeSelectedWith(const RotationSnapshot& rotation, int neighbour) {
    if (!hasSelection(rotation) || neighbour < 0 || neighbour >= int(rotation.items.size()))
        return unchanged(rotation);
    RotationEdit edit{rotation, {}};
    std::swap(edit.rotation.items[std::size_t(rotation.selected)],
              edit.rotation.items[std::size_t(neighbour)]);
    edit.rotation.selected = neighbour;
    return edit;
}

}  // namespace

std::optional<std::string> rotationItemFromCatalogueLine(std::string_view line) {
    if (line.find('=') != std::string_view::npos || line.empty()) return std::nullopt;
    return std::string(line.substr(0, line.find(' ')));
}

RotationEdit addToRotation(const RotationSnapshot& rotation, std::string_view catalogueLine) {
    const auto item = rotationItemFromCatalogueLine(catalogueLine);
    if (!item) return unchanged(rotation);
    RotationEdit edit{rotation, {}};
    edit.rotation.items.push_back(*item);
    edit.buttons.createFiles = true;
    return edit;
}

RotationEdit removeFromRotation(const RotationSnapshot& rotation) {
    RotationEdit edit{rotation, {}};
    if (hasSelection(rotation))
        edit.rotation.items.erase(edit.rotation.items.begin() + rotation.selected);
    edit.rotation.selected = -1;
    const bool itemsRemain = !edit.rotation.items.empty();
    edit.buttons = {itemsRemain, itemsRemain};
    return edit;
}

RotationEdit clearRotation(const RotationSnapshot&) { return {{}, {false, false}}; }

RotationEdit moveRotationItemUp(const RotationSnapshot& rotation) {
    return exchangeSelectedWith(rotation, rotation.selected - 1);
}

RotationEdit moveRotationItemDown(const RotationSnapshot& rotation) {
    return exchangeSelectedWith(rotation, rotation.selected + 1);
}

}  // namespace qz7

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// The rotation as the rotation list holds it: its items in list order and the selected position
// (-1 when nothing is selected).
struct RotationSnapshot {
    std::vector<std::string> items;
    int selected = -1;

    bool operator==(const RotationSnapshot&) const = default;
};

// Enabled states for "create files" and "run server" after an edit; an empty optional leaves the
// button as it is.
struct ActionButtonStates {
    std::optional<bool> createFiles;
    std::optional<bool> runServer;

    bool operator==(const ActionButtonStates&) const = default;
};

struct RotationEdit {
    RotationSnapshot rotation;
    ActionButtonStates buttons;
};

// The rotation item a catalogue line gives: the line up to its first blank. Nothing for a header
// (a line with "=") or an empty line (also: no catalogue selection).
std::optional<std::string> rotationItemFromCatalogueLine(std::string_view line);

// Appends the item of the catalogue line, without checking for repeats and without moving the
// selection; "create files" becomes enabled. A header or empty line changes nothing at all.
RotationEdit addToRotation(const RotationSnapshot& rotation, std::string_view catalogueLine);

// Deletes the selected item, if any, and leaves nothing selected; both buttons follow whether
// items remain, even when nothing was deleted.
RotationEdit removeFromRotation(const RotationSnapshot& rotation);

// Empties the rotation; both buttons disabled.
RotationEdit clearRotation(const RotationSnapshot& rotation);

// Exchanges the selected item with its neighbour above / below and keeps it selected. Nothing
// happens without a selection or at the end it would move past; the buttons never change.
RotationEdit moveRotationItemUp(const RotationSnapshot& rotation);
RotationEdit moveRotationItemDown(const RotationSnapshot& rotation);

}  // namespace qz7

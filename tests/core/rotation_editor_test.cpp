#include "maps/rotation_editor.h"

#include <gtest/gtest.h>

using namespace qz7;

namespace {
using Items = std::vector<std::string>;
const ActionButtonStates kUnchanged{};
}  // namespace

TEST(RotationItem, IsTheCatalogueLineUpToItsFirstBlank) {
    EXPECT_EQ(rotationItemFromCatalogueLine("mp_alpha - Lockdown"), "mp_alpha");
    EXPECT_EQ(rotationItemFromCatalogueLine("mp_terminal_cls - Terminal"), "mp_terminal_cls");
    EXPECT_EQ(rotationItemFromCatalogueLine("mp_bare"), "mp_bare");
    EXPECT_EQ(rotationItemFromCatalogueLine(" leading"), "");
    EXPECT_EQ(rotationItemFromCatalogueLine("=======Dlc========="), std::nullopt);
    EXPECT_EQ(rotationItemFromCatalogueLine("mp_x = y"), std::nullopt);
    EXPECT_EQ(rotationItemFromCatalogueLine(""), std::nullopt);
}

TEST(AddToRotation, AppendsRepeatsAndKeepsTheSelection) {
    RotationEdit edit = addToRotation({{"mp_alpha"}, 0}, "mp_dome - Dome");
    edit = addToRotation(edit.rotation, "mp_dome - Dome");
    EXPECT_EQ(edit.rotation, (RotationSnapshot{{"mp_alpha", "mp_dome", "mp_dome"}, 0}));
    EXPECT_EQ(edit.buttons, (ActionButtonStates{true, std::nullopt}));
    EXPECT_EQ(addToRotation({}, "mp_dome - Dome").rotation.selected, -1);
}

TEST(AddToRotation, HeaderBlankOrNoSelectionChangesNothingNotEvenButtons) {
    const RotationSnapshot rotation{{"mp_alpha"}, -1};
    for (const char* line : {"=======Dlc=========", "=== Face-off Maps===", ""}) {
        const RotationEdit edit = addToRotation(rotation, line);
        EXPECT_EQ(edit.rotation, rotation) << line;
        EXPECT_EQ(edit.buttons, kUnchanged) << line;
    }
}

TEST(RemoveFromRotation, DeletesTheSelectedItemAndSelectsNothing) {
    const RotationEdit edit = removeFromRotation({{"a", "b", "c"}, 1});
    EXPECT_EQ(edit.rotation, (RotationSnapshot{{"a", "c"}, -1}));
    EXPECT_EQ(edit.buttons, (ActionButtonStates{true, true}));
}

TEST(RemoveFromRotation, WithoutSelectionDeletesNothingButStillSetsButtons) {
    EXPECT_EQ(removeFromRotation({{"a", "b"}, -1}).rotation, (RotationSnapshot{{"a", "b"}, -1}));
    EXPECT_EQ(removeFromRotation({{"a", "b"}, -1}).buttons, (ActionButtonStates{true, true}));
    EXPECT_EQ(removeFromRotation({{}, -1}).buttons, (ActionButtonStates{false, false}));
    EXPECT_EQ(removeFromRotation({{"a"}, 5}).rotation, (RotationSnapshot{{"a"}, -1}));
}

TEST(RemoveFromRotation, RemovingTheLastItemDisablesBoth) {
    const RotationEdit edit = removeFromRotation({{"a"}, 0});
    EXPECT_TRUE(edit.rotation.items.empty());
    EXPECT_EQ(edit.buttons, (ActionButtonStates{false, false}));
}

TEST(ClearRotation, EmptiesAndDisablesBothEvenWhenAlreadyEmpty) {
    EXPECT_EQ(clearRotation({{"a", "b"}, 1}).rotation, RotationSnapshot{});
    EXPECT_EQ(clearRotation({{"a", "b"}, 1}).buttons, (ActionButtonStates{false, false}));
    EXPECT_EQ(clearRotation({}).buttons, (ActionButtonStates{false, false}));
}

TEST(MoveRotationItem, ExchangesWithTheNeighbourAndFollowsTheItem) {
    const RotationSnapshot rotation{{"mp_alpha", "mp_bootleg", "mp_bravo"}, 2};
    const RotationEdit up = moveRotationItemUp(rotation);
    EXPECT_EQ(up.rotation, (RotationSnapshot{{"mp_alpha", "mp_bravo", "mp_bootleg"}, 1}));
    EXPECT_EQ(up.buttons, kUnchanged);
    const RotationEdit down = moveRotationItemDown(up.rotation);
    EXPECT_EQ(down.rotation, rotation);
    EXPECT_EQ(down.buttons, kUnchanged);
}

TEST(MoveRotationItem, NothingMovesPastTheEndsOrWithoutSelection) {
    const RotationSnapshot rotation{{"a", "b", "c"}, 0};
    EXPECT_EQ(moveRotationItemUp(rotation).rotation, rotation);
    const RotationSnapshot last{{"a", "b", "c"}, 2};
    EXPECT_EQ(moveRotationItemDown(last).rotation, last);
    const RotationSnapshot single{{"a"}, 0};
    EXPECT_EQ(moveRotationItemUp(single).rotation, single);
    EXPECT_EQ(moveRotationItemDown(single).rotation, single);
    const RotationSnapshot none{{"a", "b"}, -1};
    EXPECT_EQ(moveRotationItemUp(none).rotation, none);
    EXPECT_EQ(moveRotationItemDown(none).rotation, none);
}

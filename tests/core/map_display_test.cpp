#include "maps/map_display.h"

#include <gtest/gtest.h>

#include "maps/map_resources.h"

using namespace qz7;

namespace {

using Lines = std::vector<std::string>;

// A small description text in the resource's shape (ASCII, so positions are plain to see).
const Lines kDescriptions = {
    "===Standard maps====           ",       "                               ",
    "mp_alpha - Lockdown: Old town, Prague", "mp_seatown - Seatown: Bosaso, Somalia          ",
    "=== Face-off Maps===           ",       "mp_six_ss - Vortex: Mountain pass",
};

}  // namespace

TEST(CatalogueMapKey, CutsBeforeTheBlankThatPrecedesTheFirstHyphen) {
    EXPECT_EQ(catalogueMapKey("mp_alpha - Lockdown"), "mp_alpha");
    EXPECT_EQ(catalogueMapKey("=== Face-off Maps==="), "=== Fac");
    EXPECT_EQ(catalogueMapKey("a-b"), "");  // the hyphen at position 2: nothing before the cut
    EXPECT_EQ(catalogueMapKey("-leading"), "-leading");
    EXPECT_EQ(catalogueMapKey("=======Dlc========="), "=======Dlc=========");
    EXPECT_EQ(catalogueMapKey(""), "");
}

TEST(PictureName, KeyUpToItsFirstBlankButNoneForHeadersOrEmptyKeys) {
    EXPECT_EQ(pictureNameForKey("mp_alpha"), "mp_alpha");
    EXPECT_EQ(pictureNameForKey("mp_x y"), "mp_x");
    EXPECT_EQ(pictureNameForKey("=== Fac"), std::nullopt);
    EXPECT_EQ(pictureNameForKey(""), std::nullopt);
}

TEST(CatalogueDisplay, MapLineGivesNameDescriptionWithLeadingBlankAndPicture) {
    const MapDisplay display = catalogueDisplay("mp_seatown - Seatown", kDescriptions);
    EXPECT_EQ(display.name, "Seatown");
    EXPECT_EQ(display.description, " Bosaso, Somalia          ");
    EXPECT_EQ(display.pictureName, "mp_seatown");
}

TEST(CatalogueDisplay, HeadersEmptyTheNameAndKeepThePicture) {
    const MapDisplay standard = catalogueDisplay("===Standard maps====", kDescriptions);
    EXPECT_EQ(standard.name, "");
    EXPECT_EQ(standard.description, "==Standard maps====           ");  // first character gone
    EXPECT_EQ(standard.pictureName, std::nullopt);

    const MapDisplay faceOff = catalogueDisplay("=== Face-off Maps===", kDescriptions);
    EXPECT_EQ(faceOff.name, "");
    EXPECT_EQ(faceOff.description, "ff Maps===" + std::string(11, ' '));
    EXPECT_EQ(faceOff.pictureName, std::nullopt);
}

TEST(CatalogueDisplay, BlankLineNoSelectionOrNoMatchChangeNothing) {
    for (const char* line : {"", "mp_unknown - Nowhere"}) {
        const MapDisplay display = catalogueDisplay(line, kDescriptions);
        EXPECT_EQ(display.name, std::nullopt) << line;
        EXPECT_EQ(display.description, std::nullopt) << line;
    }
    EXPECT_EQ(catalogueDisplay("", kDescriptions).pictureName, std::nullopt);
    // A key with no description still names its picture.
    EXPECT_EQ(catalogueDisplay("mp_unknown - Nowhere", kDescriptions).pictureName, "mp_unknown");
}

TEST(CatalogueDisplay, LastMatchingLineWins) {
    const Lines lines = {"mp_park - Liberation: First", "mp_parkway - Other: Second",
                         "mp_dome - Dome: Third"};
    const MapDisplay display = catalogueDisplay("mp_park - Liberation", lines);
    EXPECT_EQ(display.name, "Other");
    EXPECT_EQ(display.description, " Second");
}

TEST(CatalogueDisplay, LinesWithoutColonOrShorterThanTheCut) {
    const Lines lines = {"mp_a - NameOnly", "mp_b -"};
    EXPECT_EQ(catalogueDisplay("mp_a - x", lines).name, "");
    EXPECT_EQ(catalogueDisplay("mp_a - x", lines).description, "NameOnly");
    EXPECT_EQ(catalogueDisplay("mp_b - x", lines).name, "");
    EXPECT_EQ(catalogueDisplay("mp_b - x", lines).description, "");
}

TEST(RotationDisplay, TakesTheDescriptionAfterTheFirstColonOfTheWholeLine) {
    const Lines lines = {"mp_a:x - Name: text"};
    const MapDisplay rotation = rotationDisplay("mp_a:x", lines);
    EXPECT_EQ(rotation.name, "Name");
    EXPECT_EQ(rotation.description, "x - Name: text");
    EXPECT_EQ(catalogueDisplay("mp_a:x - Name", lines).description, " text");
}

TEST(RotationDisplay, UnknownItemKeepsTheLabelsAndNamesAMissingPicture) {
    const MapDisplay display = rotationDisplay("mp_nowhere", kDescriptions);
    EXPECT_EQ(display.name, std::nullopt);
    EXPECT_EQ(display.description, std::nullopt);
    EXPECT_EQ(display.pictureName, "mp_nowhere");
}

TEST(RotationDisplay, ShowsWhatTheCatalogueShowsForEveryMapOfTheRealTexts) {
    const Lines catalogue = LoadTextResource("SPISOK");
    const Lines descriptions = LoadTextResource("INFA");
    int maps = 0;
    for (const std::string& line : catalogue) {
        if (!line.starts_with("mp_")) continue;
        ++maps;
        const std::string item = line.substr(0, line.find(' '));
        const MapDisplay fromCatalogue = catalogueDisplay(line, descriptions);
        const MapDisplay fromRotation = rotationDisplay(item, descriptions);
        EXPECT_EQ(fromRotation.name, fromCatalogue.name) << item;
        EXPECT_EQ(fromRotation.description, fromCatalogue.description) << item;
        EXPECT_EQ(fromRotation.pictureName, item);
        EXPECT_EQ(fromCatalogue.pictureName, item);
        ASSERT_TRUE(fromCatalogue.name.has_value());
        EXPECT_EQ(*fromCatalogue.name, line.substr(line.find(" - ") + 3)) << item;
    }
    EXPECT_EQ(maps, 36);
}

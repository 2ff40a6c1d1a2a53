#include "resources/map_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "maps/map_picture.h"
#include "platform/resource_table.h"

using namespace qz7;

namespace {

const std::array<const char*, 36> kMapIds = {
    "mp_alpha",        "mp_bootleg",     "mp_bravo",       "mp_carbon",       "mp_dome",
    "mp_exchange",     "mp_hardhat",     "mp_interchange", "mp_lambeth",      "mp_mogadishu",
    "mp_paris",        "mp_plaza2",      "mp_seatown",     "mp_radar",        "mp_underground",
    "mp_village",      "mp_cement",      "mp_italy",       "mp_meteora",      "mp_morningwood",
    "mp_overwatch",    "mp_park",        "mp_qadeem",      "mp_boardwalk",    "mp_moab",
    "mp_nola",         "mp_roughneck",   "mp_shipbreaker", "mp_terminal_cls", "mp_aground_ss",
    "mp_courtyard_ss", "mp_hillside_ss", "mp_restrepo_ss", "mp_crosswalk_ss", "mp_burn_ss",
    "mp_six_ss"};

struct FrameHeader {
    unsigned char marker = 0;  // 0xC0 for a baseline picture
    int width = 0;
    int height = 0;
};

// Walks the marker segments from SOI up to the first frame header, reading only the bytes; the
// decoder is not involved, so this checks the files on their own.
std::optional<FrameHeader> firstFrameHeader(std::span<const unsigned char> bytes) {
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF) return std::nullopt;
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const std::size_t length = std::size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > bytes.size()) return std::nullopt;
            return FrameHeader{marker, bytes[at + 7] << 8 | bytes[at + 8],
                               bytes[at + 5] << 8 | bytes[at + 6]};
        }
        if (marker == 0xDA) return std::nullopt;  // scan before any frame header
        at += 2 + length;
    }
    return std::nullopt;
}

std::string upperCase(std::string text) {
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

TEST(MapPictures, EveryMapHasABaselinePictureOfTheStatedSize) {
    for (const char* id : kMapIds) {
        SCOPED_TRACE(id);
        const auto bytes = findResource(mapPictures(), "JPEG", upperCase(id));
        ASSERT_TRUE(bytes.has_value());
        const auto header = firstFrameHeader(*bytes);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->marker, 0xC0);  // SOF0: baseline
        EXPECT_EQ(header->height, 330);
        EXPECT_GE(header->width, 584);
        EXPECT_LE(header->width, 588);
    }
}

TEST(MapPictures, EveryPictureDecodesForThePreviewFrame) {
    for (const char* id : kMapIds) {
        SCOPED_TRACE(id);
        const DecodedImage image =
            LoadJpegResource(mapPictures(), id, 401, 226);  // lower case finds it
        // Decoded at 6/8: the smallest DCT scale that still covers the 401 x 226 frame.
        EXPECT_GE(image.width, 438);
        EXPECT_LE(image.width, 441);
        EXPECT_EQ(image.height, 248);
        EXPECT_EQ(image.pixels.size(), std::size_t(image.width) * std::size_t(image.height));
    }
}

TEST(MapPictures, AMissingPictureIsAnErrorNamingIt) {
    try {
        LoadJpegResource(mapPictures(), "mp_nowhere", 401, 226);
        FAIL() << "no error";
    } catch (const JpegError& error) {
        EXPECT_NE(std::string(error.what()).find("mp_nowhere"), std::string::npos);
    }
}

// The pictures are a table of their own, which only the windows link: the core's table, which
// the command line holds, has the map texts and nothing else.
TEST(MapPictures, AreATableOfTheirOwnBesideTheCoresTexts) {
    std::vector<std::string> coreResources;
    for (const EmbeddedResource& resource : embeddedResources()) {
        EXPECT_EQ(resource.type, "TXT") << resource.name;
        coreResources.push_back(resource.name);
    }
    std::sort(coreResources.begin(), coreResources.end());
    EXPECT_EQ(coreResources, (std::vector<std::string>{"INFA", "SPISOK"}));
    EXPECT_FALSE(findResource("JPEG", "MP_SEATOWN").has_value());

    EXPECT_EQ(mapPictures().size(), kMapIds.size());
    for (const EmbeddedResource& picture : mapPictures()) EXPECT_EQ(picture.type, "JPEG");
    // Type and name both count: a picture is not found as a text, nor a text among the pictures.
    EXPECT_TRUE(findResource(mapPictures(), "jpeg", "mp_seatown").has_value());
    EXPECT_FALSE(findResource(mapPictures(), "TXT", "MP_SEATOWN").has_value());
    EXPECT_FALSE(findResource(mapPictures(), "TXT", "SPISOK").has_value());
}

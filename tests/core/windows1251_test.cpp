#include "platform/windows1251.h"

#include <gtest/gtest.h>

namespace qz7 {
namespace {

TEST(Windows1251, CyrillicLettersAndSignsMapToTheirBytes) {
    EXPECT_EQ(windows1251FromUtf8("АЯая"), std::string("\xC0\xDF\xE0\xFF"));
    EXPECT_EQ(windows1251FromUtf8("Ёё№€—"), std::string("\xA8\xB8\xB9\x88\x97"));
    EXPECT_EQ(windows1251FromUtf8("неогран."), std::string("\xED\xE5\xEE\xE3\xF0\xE0\xED."));
    EXPECT_EQ(utf8FromWindows1251("\xC2\xF1\xE5 \x96 ok"), "Все – ok");
}

TEST(Windows1251, EveryDefinedByteRoundTrips) {
    for (int byte = 1; byte < 256; ++byte) {
        if (byte == 0x98) continue;
        std::string one(1, char(byte));
        EXPECT_EQ(windows1251FromUtf8(utf8FromWindows1251(one)), one) << "byte " << byte;
    }
    EXPECT_EQ(windows1251FromUtf8(utf8FromWindows1251(std::string(1, '\0'))), std::string(1, '\0'));
}

TEST(Windows1251, UndefinedByteAndForeignCharactersBecomeQuestionMarks) {
    EXPECT_EQ(utf8FromWindows1251("\x98"), "\xEF\xBF\xBD");
    EXPECT_EQ(windows1251FromUtf8("日本 é"), "?? ?");
    EXPECT_EQ(windows1251FromUtf8("a\xFF"
                                  "b"),
              "a?b");  // malformed UTF-8
    EXPECT_FALSE(fitsWindows1251("é"));
    EXPECT_TRUE(fitsWindows1251("Привет, world"));
    EXPECT_EQ(windows1251Length("Привет"), 6u);
}

}  // namespace
}  // namespace qz7

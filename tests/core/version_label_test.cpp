#include "platform/version_label.h"

#include <gtest/gtest.h>

#include <ctime>

#include "../support/local_moment.h"
#include "tests/support/pass_through_platform.h"

namespace qz7 {
namespace {

using qz7::testing::localMoment;

// The version record and the date of the file the label names.
class LabelPlatform final : public testing::PassThroughPlatform {
  public:
    std::string version;
    std::optional<std::chrono::system_clock::time_point> modified;
    std::string separator = ".";
    std::filesystem::path askedFor;

    std::string fileVersion(const std::filesystem::path& file) override {
        askedFor = file;
        return version;
    }
    std::optional<std::chrono::system_clock::time_point> lastModified(
        const std::filesystem::path& file) override {
        EXPECT_EQ(file, askedFor);
        return modified;
    }
    std::string dateSeparator() override { return separator; }
};

TEST(FileDate, IsDayMonthTwoDigitYearWithTheSeparator) {
    EXPECT_EQ(formatFileDate(localMoment(2014, 3, 5, 23), "."), "05.03.14");
    EXPECT_EQ(formatFileDate(localMoment(2009, 12, 31, 0), "/"), "31/12/09");
    EXPECT_EQ(formatFileDate(localMoment(2000, 1, 1, 12), "-"), "01-01-00");
    EXPECT_EQ(formatFileDate(localMoment(2031, 10, 10, 12), ". "), "10. 10. 31");
}

TEST(VersionLabel, JoinsCaptionVersionAndDateOfTheFile) {
    LabelPlatform platform;
    platform.version = std::string("1.2.1.54");
    platform.modified = localMoment(2014, 3, 5, 12);
    EXPECT_EQ(versionLabelText("Property Rovazid", "C:\\QZ7\\setup.exe", platform),
              "Property Rovazid v1.2.1.54 05.03.14");
    EXPECT_EQ(platform.askedFor, std::filesystem::path("C:\\QZ7\\setup.exe"));
}

TEST(VersionLabel, MissingVersionOrDateLeavesItsPlaceEmpty) {
    LabelPlatform platform;
    platform.separator = std::string("/");
    platform.modified = localMoment(2014, 3, 5, 12);
    EXPECT_EQ(versionLabelText("Property Rovazid", "setup.exe", platform),
              "Property Rovazid v 05/03/14");
    platform.version = std::string("1.2.1.54");
    platform.modified.reset();
    EXPECT_EQ(versionLabelText("Property Rovazid", "setup.exe", platform),
              "Property Rovazid v1.2.1.54 ");
}

}  // namespace
}  // namespace qz7

#include "platform/version_label.h"

#include <gtest/gtest.h>

#include <ctime>

#include "../support/local_moment.h"

namespace qz7 {
namespace {

using qz7::testing::localMoment;

// Only what the label needs; every other call is a fault here.
class LabelPlatform final : public Platform {
  public:
    std::string version;
    std::optional<std::chrono::system_clock::time_point> modified;
    std::string separator = ".";
    std::filesystem::path askedFor;

    StartResult startProgram(const std::filesystem::path&, const std::string&) override {
        ADD_FAILURE();
        return {};
    }
    bool copyFileOverwriting(const std::filesystem::path&, const std::filesystem::path&) override {
        ADD_FAILURE();
        return false;
    }
    std::optional<std::string> userName() override {
        ADD_FAILURE();
        return {};
    }
    std::string localIPv4Address() override {
        ADD_FAILURE();
        return {};
    }
    std::string fileVersion(const std::filesystem::path& file) override {
        askedFor = file;
        return version;
    }
    std::filesystem::path programFile() override {
        ADD_FAILURE();
        return {};
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

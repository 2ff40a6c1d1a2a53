#include "settings/kept_versions.h"

#include <gtest/gtest.h>

#include <functional>

#include "server/folder_alerts.h"
#include "server/serve_settings.h"
#include "settings/template_store.h"
#include "tests/support/file_bytes.h"
#include "tests/support/hand_built_record.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

system_clock::time_point utc(int y, unsigned m, unsigned d, int h, int min, int s, int ms) {
    return sys_days(year_month_day{year(y), month(m), day(d)}) + hours(h) + minutes(min) +
           seconds(s) + milliseconds(ms);
}

std::vector<std::string> versionBytes(const fs::path& folder, const std::string& file) {
    std::vector<std::string> bytes;
    for (const KeptVersion& version : keptVersions(folder))
        if (version.fileName == file) bytes.push_back(testing::readBytes(version.path).value());
    return bytes;
}

TEST(KeptVersionName, IsTheFileAndItsUtcTimeToTheMillisecond) {
    const auto time = utc(2026, 12, 8, 15, 21, 51, 235);
    EXPECT_EQ(keptVersionName("ServerSetup_QZ7.cfg", time),
              "ServerSetup_QZ7.cfg.20261208T152151235Z");
    const auto parsed = parseKeptVersionName("qz7-serve.ini.20260101T000000007Z");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->first, "qz7-serve.ini");
    EXPECT_EQ(parsed->second, utc(2026, 1, 1, 0, 0, 0, 7));
    for (const char* other :
         {"ServerSetup_QZ7.cfg", "a.20261208T152151235", "a.20261308T152151235Z",
          "a.20261208T242151235Z", ".20261208T152151235Z", "a.20261208X152151235Z",
          "a20261208T152151235Z", ".20261208T152151235Z.tmp"})
        EXPECT_FALSE(parseKeptVersionName(other).has_value()) << other;
}

// Five rewrites a day for 40 days: the last 30 (the last six days) and the newest of each of the
// 24 days before them within the last 30 days stay.
TEST(KeptVersions, FiveRewritesADayForFortyDaysKeepFiftyFour) {
    testing::TemporaryFolder folder;
    const fs::path file = folder.path() / "qz7-serve.ini";
    testing::writeBytes(file, "начало\n");
    const auto first = utc(2026, 10, 1, 8, 0, 0, 0);
    for (int day = 0; day < 40; ++day)
        for (int rewrite = 0; rewrite < 5; ++rewrite) {
            const auto now = first + days(day) + hours(2 * rewrite);
            keepVersionBeforeChange(file, FileChange::Rewrite, FileAccess::AsBefore, now);
            writeFileAtomically(
                file, "день " + std::to_string(day) + " запись " + std::to_string(rewrite) + "\n");
        }
    const std::vector<KeptVersion> kept = keptVersions(folder.path());
    EXPECT_EQ(kept.size(), 54u);
    // The newest is what the last rewrite replaced.
    EXPECT_EQ(testing::readBytes(kept.back().path), "день 39 запись 3\n");
    EXPECT_EQ(testing::readBytes(kept.front().path), "день 10 запись 3\n");
}

TEST(KeptVersions, BeyondTheBudgetTheOldestGoButEachFilesNewestStays) {
    const auto t = utc(2026, 12, 1, 0, 0, 0, 0);
    const std::vector<KeptVersion> versions = {{"a1", "a", t, 30},
                                               {"b1", "b", t + seconds(1), 100},
                                               {"a2", "a", t + seconds(2), 30},
                                               {"a3", "a", t + seconds(3), 30}};
    struct Case {
        std::uintmax_t budget;
        std::vector<std::string> gone;
    };
    for (const Case& c :
         {Case{1000, {}}, Case{160, {"a1"}}, Case{100, {"a1", "a2"}}, Case{0, {"a1", "a2"}}}) {
        std::vector<std::string> gone;
        for (const KeptVersion& version : versionsToForget(versions, t + hours(1), c.budget))
            gone.push_back(version.path.string());
        EXPECT_EQ(gone, c.gone) << c.budget;
    }
}

// A file equal to its newest version is not kept again; a missing one keeps nothing; a clock put
// back still names the next version after the newest.
TEST(KeptVersions, OnlyChangedContentIsKeptAndNamesStayInOrder) {
    testing::TemporaryFolder folder;
    const fs::path file = folder.path() / "qz7-serve.ini";
    const auto now = utc(2026, 12, 8, 12, 0, 0, 0);
    keepVersionBeforeChange(file, FileChange::Rewrite, FileAccess::AsBefore, now);
    EXPECT_FALSE(fs::exists(folder.path() / kKeptVersionsFolder));
    testing::writeBytes(file, "один\n");
    keepVersionBeforeChange(file, FileChange::Rewrite, FileAccess::AsBefore, now);
    keepVersionBeforeChange(file, FileChange::Rewrite, FileAccess::AsBefore, now + seconds(5));
    writeFileAtomically(file, "два\n");
    keepVersionBeforeChange(file, FileChange::Rewrite, FileAccess::AsBefore, now - hours(3));
    // Within the millisecond of the newest name, later by less than one.
    writeFileAtomically(file, "три\n");
    keepVersionBeforeChange(file, FileChange::Rewrite, FileAccess::AsBefore,
                            now + microseconds(1500));
    const std::vector<KeptVersion> kept = keptVersions(folder.path());
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].path.filename(), "qz7-serve.ini.20261208T120000000Z");
    EXPECT_EQ(kept[1].path.filename(), "qz7-serve.ini.20261208T120000001Z");
    EXPECT_EQ(kept[2].path.filename(), "qz7-serve.ini.20261208T120000002Z");
    EXPECT_EQ(versionBytes(folder.path(), "qz7-serve.ini"),
              (std::vector<std::string>{"один\n", "два\n", "три\n"}));
}

// Every writer of a host's settings keeps what it replaces, byte for byte.
TEST(KeptVersions, EveryWriterOfTheHostsFilesKeepsWhatItReplaces) {
    const std::string alpha =
        testing::handBuiltRecord("Альфа", "все против всех;50;", "mp_dome;", "");
    const std::string beta =
        testing::handBuiltRecord("Бета", "все против всех;10;", "mp_alpha;", "");
    struct Writer {
        const char* name;
        const char* file;
        std::string before;
        std::function<void(const fs::path& folder)> write;
    };
    const std::vector<Writer> writers = {
        {"store rewritten", "ServerSetup_QZ7.cfg", alpha,
         [&](const fs::path& folder) {
             TemplateRecords records;
             records.append(beta);
             writeTemplateRecords(folder / "ServerSetup_QZ7.cfg", records);
         }},
        {"store produced", "ServerSetup_QZ7.cfg", alpha + beta,
         [&](const fs::path& folder) {
             writeTemplateRecords(folder / "ServerSetup_QZ7.cfg",
                                  [&](const TemplateRecordSink& sink) { sink(beta); });
         }},
        {"store appended", "ServerSetup_QZ7.cfg", alpha,
         [&](const fs::path& folder) {
             appendTemplateRecord(folder / "ServerSetup_QZ7.cfg", beta);
         }},
        {"serve settings", "qz7-serve.ini", "# мой\nStopGrace=3\n",
         [](const fs::path& folder) {
             ServeOptions settings = readServeSettings(folder);
             settings.templateName = "Альфа";
             writeServeSettings(folder, settings);
         }},
        {"alert addresses", "qz7-serve.alerts", "# адреса\nhttp://127.0.0.1:9/old\n",
         [](const fs::path& folder) { writeFolderAlerts(folder, {"http://127.0.0.1:9/new"}); }},
    };
    for (const Writer& writer : writers) {
        SCOPED_TRACE(writer.name);
        testing::TemporaryFolder folder;
        testing::writeBytes(folder.path() / writer.file, writer.before);
        writer.write(folder.path());
        EXPECT_NE(testing::readBytes(folder.path() / writer.file), writer.before);
        EXPECT_EQ(versionBytes(folder.path(), writer.file),
                  std::vector<std::string>{writer.before});
#ifndef _WIN32
        if (std::string(writer.file) == "qz7-serve.alerts") {
            for (const KeptVersion& version : keptVersions(folder.path()))
                EXPECT_EQ(fs::status(version.path).permissions() &
                              (fs::perms::group_all | fs::perms::others_all),
                          fs::perms::none);
        }
#endif
    }
}

// A version kept by a link to the file (a rewrite that then failed) never changes with an append
// that follows: it holds what the file held.
TEST(KeptVersions, AnAppendAfterAFailedRewriteLeavesTheKeptVersionAsItWas) {
    testing::TemporaryFolder folder;
    const fs::path store = folder.path() / "ServerSetup_QZ7.cfg";
    const std::string alpha =
        testing::handBuiltRecord("Альфа", "все против всех;50;", "mp_dome;", "");
    testing::writeBytes(store, alpha);
    keepVersionBeforeChange(store, FileChange::Rewrite);  // the rewrite itself never happened
    appendTemplateRecord(store, testing::handBuiltRecord("Бета", "все;1;", "mp_alpha;", ""));
    EXPECT_EQ(versionBytes(folder.path(), "ServerSetup_QZ7.cfg"), std::vector<std::string>{alpha});
}

// A version that cannot be kept (here the folder's place is taken by a file) stops no write and
// is said once.
TEST(KeptVersions, AVersionThatCannotBeKeptIsSaidOnceAndTheWriteGoesOn) {
    testing::TemporaryFolder folder;
    testing::writeBytes(folder.path() / kKeptVersionsFolder, "не папка");
    testing::writeBytes(folder.path() / "qz7-serve.ini", "# мой\n");
    std::vector<std::string> said;
    setKeptVersionNotices([&said](const std::string& text) { said.push_back(text); });
    for (const char* name : {"Альфа", "Бета"}) {
        ServeOptions settings;
        settings.templateName = name;
        writeServeSettings(folder.path(), settings);
        EXPECT_EQ(readServeSettings(folder.path()).templateName, name);
    }
    setKeptVersionNotices({});
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].rfind("Не удалось сохранить прежнюю версию ", 0), 0u) << said[0];
}

}  // namespace
}  // namespace qz7

#include "settings/template_store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/atomic_file.h"
#include "settings/kept_versions.h"
#include "settings/template_store_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

std::string recordOf(char fill, std::string_view name) {
    std::string record(1737, fill);
    record[0] = char(name.size());
    record.replace(1, name.size(), name);
    return record;
}

TemplateRecords recordsOf(std::initializer_list<std::string> records) {
    TemplateRecords out;
    for (const std::string& record : records) out.append(record);
    return out;
}

std::vector<std::string> listed(const TemplateRecords& records) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < records.size(); ++i) out.emplace_back(records[i]);
    return out;
}

class TemplateStoreTest : public ::testing::Test {
  protected:
    void TearDown() override { setAtomicWriteFailureForTesting(std::nullopt); }

    testing::TemporaryFolder folder;
    const std::filesystem::path store = folder.path() / "ServerSetup_QZ7.cfg";
};

TEST_F(TemplateStoreTest, MissingFileIsAnEmptyStore) {
    EXPECT_TRUE(readTemplateRecords(store).empty());
    EXPECT_FALSE(std::filesystem::exists(store));
}

TEST_F(TemplateStoreTest, ReadsWholeRecordsAndIgnoresATrailingPartOne) {
    const std::string a = recordOf('a', "first"), b = recordOf('b', "second");
    testing::writeBytes(store, a + b + std::string(1736, 'z'));
    EXPECT_EQ(listed(readTemplateRecords(store)), (std::vector<std::string>{a, b}));
    testing::writeBytes(store, std::string(100, 'z'));
    EXPECT_TRUE(readTemplateRecords(store).empty());
    testing::writeBytes(store, "");
    EXPECT_TRUE(readTemplateRecords(store).empty());
}

TEST_F(TemplateStoreTest, AFolderInThePlaceOfTheStoreIsAFileError) {
    std::filesystem::create_directory(store);
    EXPECT_THROW(readTemplateRecords(store), FileError);
    EXPECT_THROW(appendTemplateRecord(store, recordOf('a', "x")), FileError);
}

TEST_F(TemplateStoreTest, AppendCreatesTheFileAndAddsWholeRecordsAtTheEnd) {
    const std::string a = recordOf('a', "first"), b = recordOf('b', "second");
    appendTemplateRecord(store, a);
    EXPECT_EQ(std::filesystem::file_size(store), 1737u);
    appendTemplateRecord(store, b);
    EXPECT_EQ(testing::readBytes(store), a + b);
    EXPECT_THROW(appendTemplateRecord(store, "short"), std::invalid_argument);
    EXPECT_EQ(testing::readBytes(store), a + b);
}

TEST_F(TemplateStoreTest, AppendAfterATrailingPartialRecordStartsOnARecordBoundary) {
    const std::string a = recordOf('a', "first"), b = recordOf('b', "second");
    testing::writeBytes(store, a + "partial");
    appendTemplateRecord(store, b);
    EXPECT_EQ(testing::readBytes(store), a + b);
    EXPECT_EQ(listed(readTemplateRecords(store)), (std::vector<std::string>{a, b}));
}

TEST_F(TemplateStoreTest, FullWriteReplacesTheStoreInListOrder) {
    const std::string a = recordOf('a', "first"), b = recordOf('b', "second");
    testing::writeBytes(store, a + "stale partial");
    writeTemplateRecords(store, recordsOf({b, a}));
    EXPECT_EQ(testing::readBytes(store), b + a);
    writeTemplateRecords(store, TemplateRecords{});
    EXPECT_TRUE(std::filesystem::exists(store));
    EXPECT_EQ(std::filesystem::file_size(store), 0u);
}

TEST_F(TemplateStoreTest, AFailureInTheMiddleOfAFullWriteLeavesThePreviousStore) {
    const std::string a = recordOf('a', "first"), b = recordOf('b', "second");
    testing::writeBytes(store, a + b);
    setAtomicWriteFailureForTesting(1737 + 500);
    EXPECT_THROW(writeTemplateRecords(store, recordsOf({b, a, b})), FileError);
    EXPECT_EQ(testing::readBytes(store), a + b);
    // No temporary file is left beside the store or among its versions. What it held is kept by
    // a link on POSIX; on Windows the version is a copy, which the full disk refuses too.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path()))
        names.push_back(entry.path().lexically_relative(folder.path()).generic_string());
    std::sort(names.begin(), names.end());
    const std::vector<KeptVersion> kept = keptVersions(folder.path());
    std::vector<std::string> expected = {"ServerSetup_QZ7.cfg", kKeptVersionsFolder};
#ifdef _WIN32
    EXPECT_TRUE(kept.empty());
#else
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(testing::readBytes(kept[0].path), a + b);
    expected.push_back(std::string(kKeptVersionsFolder) + "/" + kept[0].path.filename().string());
#endif
    EXPECT_EQ(names, expected);
}

// "Новый" appends; a write-protected store refuses it like every other write.
TEST_F(TemplateStoreTest, AppendRefusesAWriteProtectedStore) {
    const std::string a = recordOf('a', "first");
    testing::writeBytes(store, a);
    std::filesystem::permissions(store, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_THROW(appendTemplateRecord(store, recordOf('b', "second")), FileError);
    std::filesystem::permissions(store, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(testing::readBytes(store), a);
}

// More records than one block of reading holds, so that records fall across blocks; with and
// without a partial record at the end.
TEST_F(TemplateStoreTest, StreamedAndSingleRecordsAreThoseOfTheWholeRead) {
    EXPECT_FALSE(forEachTemplateRecord(store, [](std::string_view) { ADD_FAILURE(); }));
    EXPECT_EQ(templateRecordCount(store), 0u);
    EXPECT_EQ(readTemplateRecordAt(store, 0), std::nullopt);
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += recordOf(char('a' + i % 26), std::to_string(i));
    for (const std::string& tail : {std::string(), std::string(1736, 'z')}) {
        testing::writeBytes(store, bytes + tail);
        const std::vector<std::string> whole = listed(readTemplateRecords(store));
        std::vector<std::string> streamed;
        std::string blocks;
        EXPECT_TRUE(forEachTemplateRecord(
            store, [&](std::string_view record) { streamed.emplace_back(record); },
            [&](std::string_view block) { blocks += block; }));
        EXPECT_EQ(streamed, whole);
        EXPECT_EQ(blocks, bytes + tail);
        EXPECT_EQ(templateRecordCount(store), 300u);
        EXPECT_EQ(readTemplateRecordAt(store, 0), whole[0]);
        EXPECT_EQ(readTemplateRecordAt(store, 299), whole[299]);
        EXPECT_EQ(readTemplateRecordAt(store, 300), std::nullopt);
        EXPECT_EQ(readTemplateRecordAt(store, std::size_t(-1)), std::nullopt);
    }
}

TEST_F(TemplateStoreTest, AppendTellsThePositionOfTheNewRecord) {
    const std::string a = recordOf('a', "first"), b = recordOf('b', "second");
    EXPECT_EQ(appendTemplateRecord(store, a), 1u);
    testing::writeBytes(store, a + a + "partial");
    EXPECT_EQ(appendTemplateRecord(store, b), 3u);
    EXPECT_EQ(testing::readBytes(store), a + a + b);
}

// The check for a store that another program changed finds a change of a single byte anywhere,
// the file's size unchanged; what this instance itself wrote is no change.
TEST_F(TemplateStoreTest, AnyChangedByteIsSeenAndOwnWritesAreNot) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += recordOf(char('a' + i % 26), std::to_string(i));
    bytes += "tail";
    testing::writeBytes(store, bytes);
    TemplateStoreFile file(store);
    std::size_t records = 0;
    file.read([&records](std::string_view) { ++records; });
    EXPECT_EQ(records, 300u);
    EXPECT_FALSE(file.changedSinceSeen());
    for (const std::size_t at :
         {std::size_t(0), std::size_t(7), std::size_t(1737 * 151 + 3), bytes.size() - 1}) {
        std::string changed = bytes;
        changed[at] = char(changed[at] ^ 1);
        testing::writeBytes(store, changed);
        EXPECT_TRUE(file.changedSinceSeen()) << "byte " << at;
    }
    testing::writeBytes(store, bytes);
    EXPECT_FALSE(file.changedSinceSeen());

    const std::string a = recordOf('a', "first"), b = recordOf('b', "second");
    file.rewrite([&](const TemplateRecordSink& sink) {
        sink(b);
        sink(a);
    });
    EXPECT_EQ(testing::readBytes(store), b + a);
    EXPECT_FALSE(file.changedSinceSeen());
    file.append(a);
    EXPECT_EQ(testing::readBytes(store), b + a + a);
    EXPECT_FALSE(file.changedSinceSeen());
    EXPECT_THROW(file.rewrite([](const TemplateRecordSink& sink) { sink("short"); }),
                 std::invalid_argument);
    EXPECT_EQ(testing::readBytes(store), b + a + a);
}

TEST(TemplateRecords, HoldOnlyWholeRecords) {
    const std::string a = recordOf('a', "first"), b = recordOf('b', "second");
    EXPECT_EQ(listed(TemplateRecords(a + b + "partial")), (std::vector<std::string>{a, b}));
    EXPECT_TRUE(TemplateRecords(std::string(1736, 'x')).empty());
    TemplateRecords records = recordsOf({a});
    EXPECT_THROW(records.append(a + "x"), std::invalid_argument);
    EXPECT_THROW(records.append(""), std::invalid_argument);
    EXPECT_EQ(records.bytes(), a);
}

}  // namespace
}  // namespace qz7

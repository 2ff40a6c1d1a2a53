#include "server/kept_version_restore.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "server/operation_error.h"
#include "settings/template_store.h"
#include "tests/support/file_bytes.h"
#include "tests/support/hand_built_record.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using testing::handBuiltRecord;

class KeptVersionRestore : public ::testing::Test {
  protected:
    fs::path store() const { return templateStoreFile(folder.path()); }
    std::string onlyVersion() const {
        const std::vector<KeptVersion> kept = keptVersions(folder.path());
        EXPECT_EQ(kept.size(), 1u);
        return kept.empty() ? "" : kept.back().path.filename().string();
    }

    testing::TemporaryFolder folder;
    const std::string alpha = handBuiltRecord("Альфа", "все против всех;50;", "mp_dome;", "+set a");
    const std::string beta = handBuiltRecord("Бета", "захват флага;10;", "mp_alpha;", "+set b");
};

// A template deleted by a rewrite comes back at the end, byte for byte; a name the store has
// again gets a number.
TEST_F(KeptVersionRestore, ATemplateComesBackAtTheEndByteForByte) {
    testing::writeBytes(store(), alpha + beta);
    TemplateRecords left;
    left.append(alpha);
    writeTemplateRecords(store(), left);  // "Удалить" on Бета, then the window closed
    const std::string version = onlyVersion();

    const RestoredTemplate back = restoreKeptTemplate(folder.path(), version, "Бета");
    EXPECT_EQ(back.position, 2u);
    EXPECT_EQ(back.name, "Бета");
    EXPECT_EQ(testing::readBytes(store()), alpha + beta);

    const RestoredTemplate again = restoreKeptTemplate(folder.path(), version, "#1");
    EXPECT_EQ(again.position, 3u);
    EXPECT_EQ(again.name, "Альфа (2)");
    const std::string stored = testing::readBytes(store()).value().substr(2 * 1737);
    EXPECT_EQ(stored, handBuiltRecord("Альфа (2)", "все против всех;50;", "mp_dome;", "+set a"));
}

TEST(FreeTemplateName, NumbersATakenNameAndCutsItToTheNameField) {
    const std::string longName(200, 'x');
    struct Case {
        std::string name;
        std::vector<std::string> taken;
        std::string expected;
    };
    for (const Case& c : {Case{"Дуэли", {}, "Дуэли"}, Case{"Дуэли", {"Дуэли"}, "Дуэли (2)"},
                          Case{"Дуэли", {"Дуэли", "Дуэли (2)"}, "Дуэли (3)"},
                          Case{longName, {longName}, std::string(196, 'x') + " (2)"}})
        EXPECT_EQ(freeTemplateName(c.name, c.taken), c.expected) << c.name;
}

// A whole file put back keeps the one it replaces; an unknown version, the template of a file
// that holds none and one the version lacks are refused with the reason.
TEST_F(KeptVersionRestore, AWholeFileComesBackAndTheReplacedOneIsKept) {
    testing::writeBytes(folder.path() / "qz7-serve.ini", "Template=Альфа\n");
    keepVersionBeforeChange(folder.path() / "qz7-serve.ini", FileChange::Rewrite);
    const std::string version = onlyVersion();
    writeFileAtomically(folder.path() / "qz7-serve.ini", "Template=Бета\n");

    restoreKeptFile(folder.path(), version);
    EXPECT_EQ(testing::readBytes(folder.path() / "qz7-serve.ini"), "Template=Альфа\n");
    const std::vector<KeptVersionSummary> kept = keptVersionSummaries(folder.path());
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(testing::readBytes(folder.path() / kKeptVersionsFolder / kept[1].version),
              "Template=Бета\n");
    EXPECT_FALSE(kept[1].templates.has_value());

    EXPECT_THROW(restoreKeptFile(folder.path(), "qz7-serve.ini.20200101T000000000Z"),
                 OperationError);
    EXPECT_THROW(restoreKeptTemplate(folder.path(), version, "#1"), OperationError);
    EXPECT_EQ(forgetKeptVersions(folder.path(), "qz7-serve.ini"), 2u);
    EXPECT_TRUE(keptVersions(folder.path()).empty());
}

}  // namespace
}  // namespace qz7

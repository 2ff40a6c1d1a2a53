// Names in bytes that are not UTF-8 (a Windows-1251 folder name on Linux, a server's answer) read
// as Windows-1251 wherever they become text for people or JSON, and never throw.
#include "platform/readable_text.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "net/json_text.h"
#include "platform/directory_entries.h"
#include "platform/game_paths.h"
#include "platform/utf8.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

TEST(ReadableText, KeepsUtf8AndReadsEveryOtherByteAsWindows1251) {
    const struct {
        const char* bytes;
        const char* text;
    } cases[] = {
        {"", ""},
        {"plain ascii", "plain ascii"},
        {"Игра", "Игра"},                                    // UTF-8 stays
        {"\xC8\xE3\xF0\xE0", "Игра"},                        // Windows-1251
        {"/home/\xC8\xE3\xF0\xE0/Игра", "/home/Игра/Игра"},  // both in one path
        {"\x98", "\xEF\xBF\xBD"},                            // undefined in 1251: U+FFFD
        {"\xD0", "Р"},                                       // a cut two-byte sequence
        {"\xD0\xD0\x98", "РИ"},                              // a stray lead, then a character
        {"\xE0\x80\xBF", "аЂї"},                             // overlong: three bytes of 1251
        {"\xED\xA0\x80", "н\xC2\xA0Ђ"},                      // a surrogate is no character
        {"\xC3\xA9\xFF", "éя"},                              // a good character, then a stray byte
    };
    for (const auto& c : cases) {
        const std::string text = readableText(c.bytes);
        EXPECT_EQ(text, c.text) << c.bytes;
        EXPECT_TRUE(isValidUtf8(text)) << c.bytes;
    }
#ifndef _WIN32
    // A path's bytes as the file system gave them (Windows paths are always Unicode).
    EXPECT_EQ(textFromPath(std::filesystem::path("/tmp/\xC8\xE3\xF0\xE0")), "/tmp/Игра");
#endif
}

TEST(JsonText, DumpsStringsAndKeysThatAreNotUtf8AsWindows1251) {
    const nlohmann::json value = {
        {"folder", "/home/\xC8\xE3\xF0\xE0"},
        {"\xCF\xE0\xEF\xEA\xE0", {"\xD1\xE5\xF0\xE2\xE5\xF0", 3, nullptr, true}},
        {"nested", {{"answer", "\x98ok"}}}};
    EXPECT_THROW(static_cast<void>(value.dump()), nlohmann::json::type_error);
    const nlohmann::json back = nlohmann::json::parse(jsonText(value));
    EXPECT_EQ(back["folder"], "/home/Игра");
    EXPECT_EQ(back["Папка"], nlohmann::json({"Сервер", 3, nullptr, true}));
    EXPECT_EQ(back["nested"]["answer"], "\xEF\xBF\xBDok");
    // Text that is UTF-8 comes out as nlohmann's own dump, indented as asked.
    const nlohmann::json good = {{"name", "Турнир"}, {"list", {1, 2}}};
    EXPECT_EQ(jsonText(good, 2), good.dump(2));
}

TEST(DirectoryEntries, AFolderThatIsGoneOrUnreadableGivesNoneAndThrowsNothing) {
    testing::TemporaryFolder folder;
    for (const char* name : {"a", "b", "\xC8\xE3\xF0\xE0"})
        std::filesystem::create_directory(folder.path() / name);
    EXPECT_EQ(directoryEntries(folder.path()).size(), 3u);
    EXPECT_TRUE(directoryEntries(folder.path() / "missing").empty());
    // A process that has ended: its folder under /proc is gone.
    EXPECT_TRUE(directoryEntries("/proc/999999999/fd").empty());
}

}  // namespace
}  // namespace qz7

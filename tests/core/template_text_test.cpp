#include "settings/template_text.h"

#include <gtest/gtest.h>

namespace qz7 {
namespace {

TemplateContent sample() {
    TemplateContent content;
    content.name = " Ночной сервер ";
    content.settingsCodes = settingsFieldCodes(GameSettings{});
    content.settingsCodes[3] = "15000 ";
    content.rotation = {"mp_dome", "mp_alpha", "mp_dome"};
    content.commandLine = "+set dedicated 1  +set a=b";
    return content;
}

int lineOf(const std::string& text, std::string_view key) {
    const std::size_t at = text.find("\n" + std::string(key) + "=");
    return 2 + int(std::count(text.begin(), text.begin() + std::ptrdiff_t(at), '\n'));
}

TEST(TemplateText, WritesEveryFieldOnItsOwnLine) {
    const std::string text = writeTemplateText(sample());
    EXPECT_NE(text.find("\nName= Ночной сервер \n"), std::string::npos);
    EXPECT_NE(text.find("\nGameMode=все против всех\n"), std::string::npos);
    EXPECT_NE(text.find("\nScoreLimit=15000 \n"), std::string::npos);
    EXPECT_NE(text.find("\nPassword=\n"), std::string::npos);
    EXPECT_NE(text.find("\nCommandLine=+set dedicated 1  +set a=b\n"), std::string::npos);
    EXPECT_NE(text.find("\nMap=mp_dome\nMap=mp_alpha\nMap=mp_dome\n"), std::string::npos);
}

// What it wrote comes back, also with CR LF line ends, comments and Notepad's byte-order mark,
// and every field knows its line.
TEST(TemplateText, ReadsBackWhatItWrote) {
    const std::string text = writeTemplateText(sample());
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& form : {text, "\xEF\xBB\xBF" + text, crlf}) {
        const TemplateTextReading reading = readTemplateText(form);
        EXPECT_TRUE(reading.problems.empty());
        EXPECT_EQ(reading.content, sample());
        EXPECT_EQ(reading.lines.name, 2);
        EXPECT_EQ(reading.lines.lineOf({TemplateFieldKind::Setting, 9}), lineOf(text, "Password"));
        EXPECT_EQ(reading.lines.lineOf({TemplateFieldKind::Map, 2}),
                  lineOf(text, "CommandLine") + 4);
        EXPECT_EQ(reading.lines.lineOf({TemplateFieldKind::Rotation}), 0);
    }
}

TEST(TemplateText, ALoneCrStaysInTheValueForTheRulesToRefuse) {
    std::string text = writeTemplateText(sample());
    text.insert(text.find("\nPassword=") + 10, "a\rb\r");
    // The CR right before the LF belongs to the line end.
    EXPECT_EQ(readTemplateText(text).content.settingsCodes[9], "a\rb");
}

TEST(TemplateText, ReportsEachFaultOfTheFormWithItsLine) {
    std::string text = writeTemplateText(sample());
    const int added = 1 + int(std::count(text.begin(), text.end(), '\n'));
    text += "Colour=red\n";       // unknown key
    text += "Password=again\n";   // given twice
    text += "no equals sign\n";   // not a field
    text += "Map=mp_\xFF\xFE\n";  // not UTF-8
    using K = TextFormProblem::Kind;
    const std::vector<TextFormProblem> expected = {
        {added, K::UnknownKey, "Colour", 0},
        {added + 1, K::Repeated, "Password", lineOf(text, "Password")},
        {added + 2, K::NoEquals, "", 0},
        {added + 3, K::NotUtf8, "", 0},
    };
    const TemplateTextReading reading = readTemplateText(text);
    ASSERT_EQ(reading.problems.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(reading.problems[i].line, expected[i].line) << i;
        EXPECT_EQ(reading.problems[i].kind, expected[i].kind) << i;
        EXPECT_EQ(reading.problems[i].key, expected[i].key) << i;
        EXPECT_EQ(reading.problems[i].firstLine, expected[i].firstLine) << i;
    }
    EXPECT_EQ(reading.content.rotation.size(), 3u);
}

TEST(TemplateText, MissingFieldsAreProblemsOfTheWholeText) {
    const TemplateTextReading reading = readTemplateText("Name=x\nMap=mp_dome\n");
    ASSERT_EQ(reading.problems.size(), 21u);  // twenty settings and the command line
    EXPECT_EQ(reading.problems.front().line, 0);
    EXPECT_EQ(reading.problems.front().kind, TextFormProblem::Kind::Missing);
    EXPECT_EQ(reading.problems.front().key, "GameMode");
}

}  // namespace
}  // namespace qz7

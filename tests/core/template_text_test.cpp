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

auto noValueProblem = [](std::string_view, std::string_view) -> std::optional<std::string> {
    return std::nullopt;
};
auto everyMapKnown = [](std::string_view) { return true; };

TEST(TemplateText, WritesEveryFieldOnItsOwnLine) {
    const std::string text = writeTemplateText(sample());
    EXPECT_NE(text.find("\nName= Ночной сервер \n"), std::string::npos);
    EXPECT_NE(text.find("\nGameMode=все против всех\n"), std::string::npos);
    EXPECT_NE(text.find("\nScoreLimit=15000 \n"), std::string::npos);
    EXPECT_NE(text.find("\nPassword=\n"), std::string::npos);
    EXPECT_NE(text.find("\nCommandLine=+set dedicated 1  +set a=b\n"), std::string::npos);
    EXPECT_NE(text.find("\nMap=mp_dome\nMap=mp_alpha\nMap=mp_dome\n"), std::string::npos);
}

TEST(TemplateText, ReadsBackWhatItWrote) {
    TemplateTextReading reading =
        readTemplateText(writeTemplateText(sample()), noValueProblem, everyMapKnown);
    ASSERT_TRUE(reading.content);
    EXPECT_TRUE(reading.problems.empty());
    EXPECT_EQ(*reading.content, sample());
}

TEST(TemplateText, AcceptsCrLfAndComments) {
    std::string text = writeTemplateText(sample());
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    TemplateTextReading reading =
        readTemplateText("# ours\r\n\r\n" + crlf, noValueProblem, everyMapKnown);
    ASSERT_TRUE(reading.content);
    EXPECT_EQ(*reading.content, sample());
}

TEST(TemplateText, ReportsEachProblemWithItsLine) {
    std::string text = writeTemplateText(sample());
    text += "Colour=red\n";       // unknown key
    text += "Password=again\n";   // given twice
    text += "no equals sign\n";   // not a field
    text += "Map=mp_\xFF\xFE\n";  // not UTF-8
    const int firstAdded = 1 + int(std::count(text.begin(), text.end(), '\n')) - 4;

    TemplateTextReading reading = readTemplateText(text, noValueProblem, everyMapKnown);
    EXPECT_FALSE(reading.content);
    ASSERT_EQ(reading.problems.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(reading.problems[i].line, firstAdded + i);
    EXPECT_NE(reading.problems[0].message.find("Colour"), std::string::npos);
    EXPECT_NE(reading.problems[1].message.find("Password"), std::string::npos);
    EXPECT_NE(reading.problems[3].message.find("UTF-8"), std::string::npos);
}

TEST(TemplateText, MissingFieldsAreErrorsOfTheWholeText) {
    TemplateTextReading reading =
        readTemplateText("Name=x\nMap=mp_dome\n", noValueProblem, everyMapKnown);
    EXPECT_FALSE(reading.content);
    ASSERT_EQ(reading.problems.size(), 21u);  // twenty settings and the command line
    EXPECT_EQ(reading.problems.front().line, 0);
    EXPECT_NE(reading.problems.front().message.find("GameMode"), std::string::npos);
}

TEST(TemplateText, ValueCheckFailsItsLineAndUnknownMapsOnlyWarn) {
    auto refuseSemicolon = [](std::string_view,
                              std::string_view value) -> std::optional<std::string> {
        if (value.find(';') != std::string_view::npos) return "содержит \";\"";
        return std::nullopt;
    };
    auto onlyDome = [](std::string_view map) { return map == "mp_dome"; };

    std::string text = writeTemplateText(sample());
    TemplateTextReading warned = readTemplateText(text, refuseSemicolon, onlyDome);
    ASSERT_TRUE(warned.content);
    ASSERT_EQ(warned.problems.size(), 1u);
    EXPECT_TRUE(warned.problems[0].warning);
    EXPECT_NE(warned.problems[0].message.find("mp_alpha"), std::string::npos);

    const std::size_t at = text.find("Password=");
    text.insert(at + 9, "a;b");
    TemplateTextReading refused = readTemplateText(text, refuseSemicolon, onlyDome);
    EXPECT_FALSE(refused.content);
    const int passwordLine = 1 + int(std::count(text.begin(), text.begin() + at, '\n'));
    EXPECT_EQ(refused.problems.front().line, passwordLine);
    EXPECT_FALSE(refused.problems.front().warning);
}

}  // namespace
}  // namespace qz7

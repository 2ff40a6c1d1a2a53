// Walks qz7ctl's command table: every subcommand, nested ones too, must be in the listing of bare
// `qz7ctl`, in the manual page and in the bash completion, and every help screen must be Russian.
// A subcommand added to the table is checked here without a change to this test.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "cli/command_line.h"
#include "cli/russian_help.h"
#include "qz7ctl_process.h"
#include "server/serve_settings.h"
#include "tests/support/file_bytes.h"

namespace qz7::testing {
namespace {

class CommandTable : public ::testing::Test {
  protected:
    CommandTable() {
        cli::setUpCommandLine(app, commands, gameDir);
        app.name("qz7ctl");
    }

    // Every command: the program itself first, then each subcommand after its parent.
    std::vector<const CLI::App*> everyCommand() const {
        std::vector<const CLI::App*> all{&app};
        for (const CLI::App* command : cli::subcommandsOf(app, true)) all.push_back(command);
        return all;
    }

    static std::vector<const CLI::Option*> optionsOf(const CLI::App& command) {
        return command.get_options(
            [](const CLI::Option* option) { return !option->get_group().empty(); });
    }

    static std::string words(const CLI::App& command) {
        return command.get_parent() == nullptr ? std::string() : cli::commandPath(command) + " ";
    }

    CLI::App app;
    cli::CliCommands commands;
    std::string gameDir;
};

bool hasCyrillic(const std::string& text) {
    // Cyrillic letters are U+0400..U+04FF: lead bytes 0xD0..0xD3.
    return std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0xD0 && static_cast<unsigned char>(c) <= 0xD3;
    });
}

TEST_F(CommandTable, EverySubcommandIsListedDocumentedAndCompleted) {
    ProcessResult bare = runQz7ctl({}, ".");
    EXPECT_EQ(bare.exitCode, 2);
    const std::string manual = readBytes(QZ7CTL_MANUAL).value_or("");
    ASSERT_FALSE(manual.empty());

    // One bash run asks the completion about every command: its subcommands after it, and its
    // options after "--".
    std::string script = std::string("source '") + QZ7CTL_COMPLETION + "'\n" + R"(
ask() { COMP_WORDS=(qz7ctl "$@"); COMP_CWORD=$#; COMPREPLY=()
        _qz7ctl qz7ctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
        printf '%s|%s\n' "$*" "${COMPREPLY[*]}"; }
)";
    for (const CLI::App* command : everyCommand()) {
        script += "ask " + words(*command) + "''\n";
        script += "ask " + words(*command) + "--\n";
    }
    ProcessResult completion = runProgram({"bash", "-c", script}, QZ7_DEMO_DIR);
    ASSERT_EQ(completion.exitCode, 0) << completion.err;
    EXPECT_EQ(completion.err, "");

    for (const CLI::App* command : everyCommand()) {
        const std::string path = words(*command);
        for (const CLI::App* subcommand : cli::subcommandsOf(*command, false)) {
            const std::string name = subcommand->get_name();
            if (command == &app) {
                // One line each: the name and what it does.
                EXPECT_NE(bare.out.find("\n  " + name + " "), std::string::npos) << name;
                EXPECT_NE(bare.out.find(subcommand->get_description() + "\n"), std::string::npos);
            }
            EXPECT_NE(manual.find(".SS \"" + path + name), std::string::npos) << path + name;
            std::regex offered("(^|\n)" + path + "\\|[^\n]*\\b" + name + "\\b");
            EXPECT_TRUE(std::regex_search(completion.out, offered)) << path + name;
        }
        for (const CLI::Option* option : optionsOf(*command)) {
            for (const std::string& longName : option->get_lnames()) {
                std::string roff;
                for (char c : "--" + longName)
                    roff += c == '-' ? std::string("\\-") : std::string(1, c);
                EXPECT_NE(manual.find(roff), std::string::npos) << path << "--" << longName;
                std::regex offered("(^|\n)" + path + "--\\|[^\n]*--" + longName + "( |\n)");
                EXPECT_TRUE(std::regex_search(completion.out, offered)) << path << "--" << longName;
            }
        }
    }
}

TEST_F(CommandTable, EveryHelpScreenIsRussian) {
    // CLI11's own English words, headings and value names.
    const std::regex english(
        R"(\b(Usage|Options|OPTIONS|Positionals|Subcommands?|SUBCOMMANDS?|TEXT|INT|UINT|FLOAT|)"
        R"(BOOLEAN|ENUM|CHAR|REQUIRED|Excludes|Needs|Env|Print this help)\b| in \[)");
    for (const CLI::App* command : everyCommand()) {
        const std::string help = command->help();
        EXPECT_FALSE(std::regex_search(help, english)) << help;
        // Headings: lines that end in a colon and are not indented.
        std::istringstream lines(help);
        for (std::string line; std::getline(lines, line);)
            if (!line.empty() && line.back() == ':' && line.front() != ' ') {
                EXPECT_TRUE(hasCyrillic(line)) << line;
            }
        for (const CLI::Option* option : optionsOf(*command)) {
            if (option->get_positional()) {
                EXPECT_TRUE(hasCyrillic(option->get_name()));
            }
            if (option->get_items_expected_max() != 0) {
                EXPECT_TRUE(hasCyrillic(cli::valueName(*option))) << option->get_name();
            }
            EXPECT_TRUE(hasCyrillic(option->get_description())) << option->get_name();
        }
    }
}

// service install keeps serve's options in the folder's settings: an option it takes that no
// settings key holds would be dropped without a word.
TEST_F(CommandTable, EveryOptionOfServiceInstallIsKeptInTheSettings) {
    const CLI::App* install = app.get_subcommand("service")->get_subcommand("install");
    // Not settings: the help, the dry run, and the alert addresses (their own file).
    const std::set<std::string> notSettings = {"--help", "--print", "--notify", "--notify-file"};
    int checked = 0;
    for (const CLI::Option* option : optionsOf(*install)) {
        if (option->get_positional()) continue;
        const std::string name = option->get_name(false, true);
        const std::string longName = name.substr(name.rfind(',') + 1);
        if (notSettings.count(longName) != 0) continue;
        EXPECT_TRUE(isServeSetting(longName)) << longName;
        ++checked;
    }
    EXPECT_GT(checked, 20);
}

TEST_F(CommandTable, CompletionOffersTheTemplatesOfTheGameFolder) {
    const std::string script = std::string("source '") + QZ7CTL_COMPLETION + "'\n" + R"(
COMP_WORDS=(qz7ctl --game-dir "$1" show 'Зах'); COMP_CWORD=4
_qz7ctl qz7ctl 'Зах' show; ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}"
COMP_WORDS=(qz7ctl show '#'); COMP_CWORD=2
_qz7ctl qz7ctl '#' show; ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}"
)";
    // Run elsewhere, with PATH leading to the built qz7ctl: the folder comes from --game-dir.
    const std::string program = std::filesystem::path(QZ7CTL_PATH).parent_path().string();
    ProcessResult named = runProgram(
        {"env", "PATH=" + program + ":/usr/bin:/bin", "bash", "-c", script, "-", QZ7_DEMO_DIR},
        "/");
    EXPECT_EQ(named.out, "Захват флага (хардкор)\n");
    ProcessResult here = runProgram(
        {"env", "PATH=" + program + ":/usr/bin:/bin", "bash", "-c", script, "-", "/nowhere"},
        QZ7_DEMO_DIR);
    EXPECT_EQ(here.out, "#1\n#2\n#3\n");
}

TEST(RussianFormatter, NamesValuesAndTheirChecksInRussian) {
    CLI::App app;
    std::string text;
    int number = 0;
    double seconds = 0;
    const std::pair<CLI::Option*, std::string> cases[] = {
        {app.add_option("--text", text), " ТЕКСТ"},
        {app.add_option("--number", number)->check(CLI::Range(1, 60)), " ЧИСЛО (от 1 до 60)"},
        {app.add_option("--seconds", seconds)->type_name("СЕКУНДЫ")->check(CLI::Range(0.5, 9.0)),
         " СЕКУНДЫ (от 0.5 до 9)"},
        {app.add_option("--time", text)->type_name("ЧЧ:ММ"), " ЧЧ:ММ"},
        {app.add_option("--action", text)->check(CLI::IsMember({"open", "close"}))->required(),
         " ТЕКСТ (одно из: open, close) обязательно"},
    };
    cli::RussianFormatter formatter;
    formatter.label("REQUIRED", "обязательно");
    for (const auto& [option, shown] : cases) EXPECT_EQ(formatter.make_option_opts(option), shown);
    EXPECT_EQ(cli::valueChoices(*cases[4].first), (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(cli::valueName(*cases[3].first), "ЧЧ:ММ");
}

TEST_F(CommandTable, VersionNamesFileAndProductVersions) {
    ProcessResult version = runQz7ctl({"--version"}, ".");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind(std::string("qz7ctl v") + QZ7_FILE_VERSION + " ", 0), 0u)
        << version.out;
    EXPECT_NE(version.out.find(std::string("(версия продукта ") + QZ7_PRODUCT_VERSION + ")\n"),
              std::string::npos);
}

}  // namespace
}  // namespace qz7::testing

// Every option and argument of qz7ctl that takes a value, walked from the command line itself,
// given the values a new host tries: each one that cannot work is refused with status 2, naming the
// option, before anything runs or is written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "cli/command_line.h"
#include "qz7ctl_process.h"
#include "server/serve_settings.h"
#include "tests/support/file_bytes.h"
#include "tests/support/hand_built_record.h"
#include "tests/support/temporary_folder.h"

namespace qz7::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kBadValues = {"nan",   "inf",   "-1",   "1e300",
                                             "-1:00", "24:00", "4:60", "99999"};
const std::string kLineEnd = "+set a 1\nInjected=evil";

// What an option's value is, and so which of the values it must refuse.
enum class Kind {
    Rule,   // a number, time, duration, port, choice or address: every bad value
    Text,   // a name, file or command line: the line end
    Count,  // a count of lines: every bad value but 99999
};

// Every option and argument that takes a value. One that is missing here fails the walk, so that
// a new option is given its values too.
Kind kindOf(const std::string& name) {
    static const std::map<std::string, Kind> kinds = {
        {"--command", Kind::Text}, {"--game-dir", Kind::Text},    {"ШАБЛОН", Kind::Text},
        {"ФАЙЛ", Kind::Text},      {"--name", Kind::Text},        {"--profile", Kind::Text},
        {"--output", Kind::Text},  {"--notify-file", Kind::Text}, {"--lines", Kind::Count},
        {"--igd", Kind::Rule},     {"--notify", Kind::Rule},      {"АДРЕС", Kind::Rule},
        {"ДЕЙСТВИЕ", Kind::Rule},  {"--timeout", Kind::Rule},     {"--query-port", Kind::Rule},
        {"--forget", Kind::Text},  {"ВЕРСИЯ", Kind::Text},
    };
    if (isServeSetting(name) && name != "--command") return Kind::Rule;
    const auto found = kinds.find(name);
    if (found == kinds.end()) throw std::runtime_error("no kind for " + name);
    return found->second;
}

std::vector<std::string> refusedValues(Kind kind) {
    std::vector<std::string> values = {kLineEnd};
    for (const std::string& value : kBadValues)
        if (kind == Kind::Rule || (kind == Kind::Count && value != "99999"))
            values.push_back(value);
    return values;
}

struct ValueOption {
    std::vector<std::string> command;  // "service", "install"
    std::string name;                  // "--stop-grace", or the argument's "ШАБЛОН"
    bool positional = false;
    int earlierPositionals = 0;  // arguments before it, given a plain value
};

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> split;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t space = std::min(text.find(' ', start), text.size());
        split.push_back(text.substr(start, space - start));
        start = space + 1;
    }
    return split;
}

// Every option that takes a value, of every command, from the command line qz7ctl builds.
std::vector<ValueOption> valueOptions() {
    CLI::App app;
    cli::CliCommands commands;
    std::string gameDir;
    cli::setUpCommandLine(app, commands, gameDir);
    std::vector<ValueOption> found;
    std::vector<const CLI::App*> all = cli::subcommandsOf(app, true);
    all.insert(all.begin(), &app);
    for (const CLI::App* command : all) {
        const std::vector<std::string> path =
            command == &app ? std::vector<std::string>{} : words(cli::commandPath(*command));
        int positionals = 0;
        for (const CLI::Option* option : command->get_options()) {
            if (option->get_expected_max() == 0 || option == command->get_help_ptr() ||
                option == command->get_version_ptr())
                continue;
            const bool positional = option->get_positional() && option->get_lnames().empty();
            found.push_back({path,
                             positional ? option->get_name() : "--" + option->get_lnames().front(),
                             positional, positional ? positionals++ : 0});
        }
    }
    return found;
}

TEST(Qz7ctlValues, EveryOptionThatTakesAValueRefusesWhatCannotWork) {
    TemporaryFolder game;
    TemporaryFolder units;
    // Were a value taken, service install would write here, never to the host's own systemd.
    ::setenv("QZ7_SERVICE_DIR", units.path().c_str(), 1);
    const std::vector<ValueOption> options = valueOptions();
    ASSERT_GT(options.size(), 40u);
    std::size_t runs = 0;
    for (const ValueOption& option : options) {
        Kind kind = Kind::Text;
        ASSERT_NO_THROW(kind = kindOf(option.name)) << option.name;
        for (const std::string& value : refusedValues(kind)) {
            std::vector<std::string> arguments = {"--game-dir", game.path().string()};
            // The program's own option goes before a command that needs nothing else.
            if (option.name == "--game-dir")
                arguments = {"--game-dir", value, "list"};
            else
                arguments.insert(arguments.end(), option.command.begin(), option.command.end());
            if (option.positional) {
                arguments.push_back("--");
                arguments.insert(arguments.end(), std::size_t(option.earlierPositionals), "x");
                arguments.push_back(value);
            } else if (option.name != "--game-dir")
                arguments.insert(arguments.end(), {option.name, value});
            SCOPED_TRACE(option.name + " " + value);
            const ProcessResult result = runQz7ctl(arguments, game.path());
            ++runs;
            EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
            EXPECT_NE(result.err.find(option.name), std::string::npos) << result.err;
            EXPECT_EQ(result.err.find("Could not"), std::string::npos) << result.err;
        }
    }
    EXPECT_TRUE(fs::is_empty(game.path()));
    EXPECT_TRUE(fs::is_empty(units.path()));
    EXPECT_GT(runs, 300u);
}

const std::string kSettingsLine = "все против всех;50;0;5000;15;1;1;1;0;;1;0;1;0;0;1;0;1;5;12;";

// service install with a value its serve would refuse, or a template whose name two share:
// refused with status 2, nothing written, no entry.
TEST(Qz7ctlValues, ServiceInstallRefusesAnEntryThatCouldNotStart) {
    TemporaryFolder game;
    TemporaryFolder units;
    ::setenv("QZ7_SERVICE_DIR", units.path().c_str(), 1);
    writeBytes(game.path() / "ServerSetup_QZ7.cfg",
               handBuiltRecord("Турнир", kSettingsLine, "mp_dome;", "") +
                   handBuiltRecord("Дуэль", kSettingsLine, "mp_dome;", "") +
                   handBuiltRecord("Дуэль", kSettingsLine, "mp_dome;", ""));
    const std::vector<std::vector<std::string>> refused = {
        {"--command", kLineEnd, "Турнир"},
        {"--igd", "http://192.168.1.1:99999/desc.xml", "Турнир"},
        {"--stop-grace", "nan", "Турнир"},
        {"--restart-at", "04:00,-1:00", "Турнир"},
        {"--notify", "http://127.0.0.1:99999/x", "Турнир"},
        {"Дуэль"},
        {"#3"},
    };
    for (const std::vector<std::string>& given : refused) {
        std::vector<std::string> arguments = {"--game-dir", game.path().string(), "service",
                                              "install"};
        arguments.insert(arguments.end(), given.begin(), given.end());
        SCOPED_TRACE(given.front());
        const ProcessResult result = runQz7ctl(arguments, game.path());
        EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(fs::exists(game.path() / kServeSettingsFile));
        EXPECT_TRUE(fs::is_empty(units.path()));
        if (given.size() == 1) {
            EXPECT_NE(result.err.find("#2, #3"), std::string::npos) << result.err;
        }
    }
    // The one it can start is written.
    const ProcessResult written = runQz7ctl(
        {"--game-dir", game.path().string(), "service", "install", "--stop-grace", "2.5", "#1"},
        game.path());
    EXPECT_EQ(written.exitCode, 0) << written.err;
    EXPECT_NE(readBytes(game.path() / kServeSettingsFile).value_or("").find("StopGrace=2.5\n"),
              std::string::npos);
}

// The same folder written two ways is one entry, and the words on the way are Russian.
TEST(Qz7ctlValues, OneFolderWrittenTwoWaysIsOneEntry) {
    TemporaryFolder top;
    TemporaryFolder units;
    ::setenv("QZ7_SERVICE_DIR", units.path().c_str(), 1);
    const fs::path game = top.path() / "game";
    fs::create_directories(game);
    writeBytes(game / "ServerSetup_QZ7.cfg",
               handBuiltRecord("Турнир", kSettingsLine, "mp_dome;", ""));
    fs::create_directory_symlink(game, top.path() / "link");
    for (const fs::path& written : {game, top.path() / "link", game / "." / ".." / "game"})
        EXPECT_EQ(runQz7ctl({"--game-dir", written.string(), "service", "install", "Турнир"}, "/")
                      .exitCode,
                  0);
    const ProcessResult listed = runQz7ctl({"service", "list"}, "/");
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 1) << listed.out;
    EXPECT_EQ(runQz7ctl({"--game-dir", (top.path() / "link").string(), "service", "remove"}, "/")
                  .exitCode,
              0);
    EXPECT_EQ(runQz7ctl({"service", "list"}, "/").out, "Служб qz7ctl нет\n");

    const ProcessResult noValue = runQz7ctl({"--game-dir"}, "/");
    EXPECT_EQ(noValue.exitCode, 2);
    EXPECT_NE(noValue.err.find("не указано значение параметра --game-dir (ПАПКА)"),
              std::string::npos)
        << noValue.err;
    EXPECT_EQ(noValue.err.find("required"), std::string::npos) << noValue.err;
}

}  // namespace
}  // namespace qz7::testing

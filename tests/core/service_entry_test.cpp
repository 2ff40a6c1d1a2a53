#include "server/service_entry.h"

#include <gtest/gtest.h>

#include "platform/game_paths.h"
#include "platform/windows_command_line.h"

namespace qz7 {
namespace {

// Lines of a text that start with a key, such as "KillMode=".
std::vector<std::string> linesStartingWith(const std::string& text, const std::string& key) {
    std::vector<std::string> found;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.rfind(key, 0) == 0) found.push_back(line.substr(key.size()));
        start = end + 1;
    }
    return found;
}

std::string single(const std::string& text, const std::string& key) {
    const std::vector<std::string> found = linesStartingWith(text, key);
    EXPECT_EQ(found.size(), 1u) << key;
    return found.empty() ? "" : found.front();
}

ServiceRequest request() {
    ServiceRequest r;
    r.program = "/usr/bin/qz7ctl";
    r.gameFolder = pathFromUtf8("/srv/игра 50%");
    r.templateName = "Захват флага (хардкор) \"100%\" $HOME \\x";
    r.serveOptions = {"--restart-delay", "5", "--notify-file", "/srv/a b/qz7.alerts"};
    r.stopGrace = std::chrono::seconds(20);
    return r;
}

TEST(ServiceEntry, NameIsAShortSlugWithAHashOfFolderAndTemplate) {
    const std::string name = serviceName("/srv/game", "Захват флага (хардкор)");
    EXPECT_EQ(name.rfind("qz7-serve-zakhvat-flaga-khardkor-", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("qz7-serve-zakhvat-flaga-khardkor-").size() + 8);
    EXPECT_EQ(name, serviceName("/srv/game", "Захват флага (хардкор)"));
    EXPECT_NE(name, serviceName("/srv/other", "Захват флага (хардкор)"));
    EXPECT_NE(name, serviceName("/srv/game", "Захват флага (хардкор!)"));

    std::string manyLetters;
    for (int i = 0; i < 200; ++i) manyLetters += "Щ";
    const std::string longName = serviceName("/srv/game", manyLetters);
    EXPECT_LE(longName.size(), std::string("qz7-serve-").size() + 24 + 1 + 8);
    EXPECT_EQ(serviceName("/srv/game", "«»").rfind("qz7-serve-template-", 0), 0u);
    for (char c : longName) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '-');
}

TEST(ServiceEntry, SystemdUnitStopsServeAloneAndRestartsItWithALimit) {
    const ServiceRequest r = request();
    const std::string unit = systemdUnit(r, {.systemWide = true, .user = "host"});
    EXPECT_EQ(single(unit, "KillMode="), "mixed");
    EXPECT_EQ(single(unit, "Restart="), "on-failure");
    EXPECT_EQ(single(unit, "After="), "network-online.target");
    EXPECT_EQ(single(unit, "StartLimitBurst="), "3");
    EXPECT_EQ(single(unit, "User="), "host");
    EXPECT_EQ(single(unit, "WantedBy="), "multi-user.target");
    EXPECT_GT(std::stoi(single(unit, "TimeoutStopSec=")), 20 + 60);
    EXPECT_EQ(single(unit, "Description="),
              "QZ7: сервер «Захват флага (хардкор) \"100%%\" $HOME \\x» в /srv/игра 50%%");
    EXPECT_EQ(single(unit, "WorkingDirectory="), "/srv/игра 50%%");
    EXPECT_EQ(single(unit, "ExecStart="),
              "\"/usr/bin/qz7ctl\" \"--game-dir\" \"/srv/игра 50%%\" \"serve\" "
              "\"--restart-delay\" \"5\" \"--notify-file\" \"/srv/a b/qz7.alerts\" \"--\" "
              "\"Захват флага (хардкор) \\\"100%%\\\" $$HOME \\\\x\"");

    const std::string user = systemdUnit(r, {});
    EXPECT_TRUE(linesStartingWith(user, "User=").empty());
    EXPECT_EQ(single(user, "WantedBy="), "default.target");
}

TEST(ServiceEntry, ControlCharactersCannotGoIntoAnEntry) {
    ServiceRequest r = request();
    EXPECT_FALSE(serviceRequestProblem(r));
    r.templateName = "две\nстроки";
    EXPECT_TRUE(serviceRequestProblem(r));
    r = request();
    r.serveOptions.push_back("--command=\r");
    EXPECT_TRUE(serviceRequestProblem(r));
}

// The definition handed to the Task Scheduler: a logon trigger of this user, an interactive
// token, no time limit, no battery conditions, and serve in the game folder with the console
// window minimised.
TEST(ServiceEntry, LogonTaskStartsServeInTheGameFolderWithoutLimits) {
    ServiceRequest r = request();
    r.program = "C:\\Program Files\\QZ7\\qz7ctl.exe";
    r.gameFolder = "C:\\Games\\Steel & Horizon";
    const std::string xml = logonTaskXml(r, "PC\\Хост");
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<Task version=\"1.2\"", 0),
              0u);
    EXPECT_EQ(linesStartingWith(xml, "      <UserId>"),  // the trigger's and the principal's
              std::vector<std::string>(2, "PC\\Хост</UserId>"));
    EXPECT_EQ(linesStartingWith(xml, "    <LogonTrigger>").size(), 1u);
    EXPECT_EQ(single(xml, "      <LogonType>"), "InteractiveToken</LogonType>");
    EXPECT_EQ(single(xml, "    <ExecutionTimeLimit>"), "PT0S</ExecutionTimeLimit>");
    EXPECT_EQ(single(xml, "    <DisallowStartIfOnBatteries>"),
              "false</DisallowStartIfOnBatteries>");
    EXPECT_EQ(single(xml, "    <StopIfGoingOnBatteries>"), "false</StopIfGoingOnBatteries>");
    EXPECT_EQ(single(xml, "      <Command>"), "C:\\Program Files\\QZ7\\qz7ctl.exe</Command>");
    EXPECT_EQ(single(xml, "      <WorkingDirectory>"),
              "C:\\Games\\Steel &amp; Horizon</WorkingDirectory>");

    std::string arguments = single(xml, "      <Arguments>");
    arguments = arguments.substr(0, arguments.find("</Arguments>"));
    for (const auto& [entity, character] :
         {std::pair{"&quot;", "\""}, {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}})
        for (std::size_t at; (at = arguments.find(entity)) != std::string::npos;)
            arguments.replace(at, std::string(entity).size(), character);
    // The template last, after the end of options: a name may begin with a dash.
    const std::vector<std::string> expected = {
        "--game-dir",    "C:\\Games\\Steel & Horizon", "serve",       "--restart-delay",      "5",
        "--notify-file", "/srv/a b/qz7.alerts",        "--minimized", "--restart-on-failure", "--",
        r.templateName};
    EXPECT_EQ(splitWindowsCommandLine(arguments), expected);

    std::vector<std::string> run = splitWindowsCommandLine(runKeyCommand(r));
    EXPECT_EQ(run.front(), "C:\\Program Files\\QZ7\\qz7ctl.exe");
    run.erase(run.begin());
    EXPECT_EQ(run, expected);
}

}  // namespace
}  // namespace qz7

// The server's console variables as its command line and its configuration file set them.
#include "net/console_variables.h"

#include <gtest/gtest.h>

namespace qz7 {
namespace {

TEST(ConsoleVariables, TheGamePortOfACommandLine) {
    struct Case {
        const char* commandLine;
        std::optional<int> port;
    };
    const std::vector<Case> cases = {
        {"+set net_port 27016", 27016},
        {"+set dedicated 1 +set net_port 27020 +start_map_rotate", 27020},
        {"+set net_port 27016+set net_port 27017", 27017},               // the last one wins
        {"+seta NET_PORT \"27018\"", 27018},                             // any case, quoted
        {"+set sv_hostname \"a+set net_port 1\" +map x", std::nullopt},  // inside quotes
        {"+net_port 27019", 27019},  // a variable set by its name
        {"+set net_port", std::nullopt},
        {"+set net_port 0", std::nullopt},
        {"+set net_port 65536", std::nullopt},
        {"+set net_port 270x6", std::nullopt},
        {"+set net_port -1", std::nullopt},
        {"+set net_port 27016 // comment", 27016},
        {"", std::nullopt},
        // The demo's templates: the host name runs into the next +set, which still counts.
        {"+set dedicated 1 +set sv_config server_mod.cfg  +set sv_hostname ^4~^1Host^4~+set "
         "net_port 27005  +start_map_rotate",
         27005},
    };
    for (const Case& c : cases)
        EXPECT_EQ(commandLineGamePort(c.commandLine), c.port) << c.commandLine;
    EXPECT_EQ(commandLineVariable("+set sv_hostname ^4~^1Host^4~+set x 1", "sv_hostname"),
              "^4~^1Host^4~");
    EXPECT_EQ(commandLineVariable("+set sv_hostname My  own server", "sv_hostname"),
              "My own server");
}

TEST(ConsoleVariables, AConfigurationFileSetsWithSetSetaOrTheName) {
    const std::string config =
        "// settings\r\n"
        "sv_hostname \"Steel Horizon Server\"\r\n"
        "set rcon_password first\r\n"
        "seta rcon_password \"pass word\" // the one that counts\n"
        "g_password \"\"; sv_maxclients 18\r\n"
        "//set rcon_password commented\n";
    EXPECT_EQ(configVariable(config, "sv_hostname"), "Steel Horizon Server");
    EXPECT_EQ(configVariable(config, "RCON_PASSWORD"), "pass word");
    EXPECT_EQ(configVariable(config, "g_password"), "");
    EXPECT_EQ(configVariable(config, "sv_maxclients"), "18");
    EXPECT_EQ(configVariable(config, "net_port"), std::nullopt);
    EXPECT_EQ(consoleWords("set a \"b c\"//x"), (std::vector<std::string>{"set", "a", "b c"}));
    EXPECT_EQ(consoleWords("say \"unclosed"), (std::vector<std::string>{"say", "unclosed"}));
}

}  // namespace
}  // namespace qz7

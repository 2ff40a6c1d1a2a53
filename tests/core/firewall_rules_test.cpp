#include "net/firewall_rules.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_firewall.h"

namespace qz7 {
namespace {

using testing::FakeFirewall;

const std::filesystem::path kLauncher = "C:\\Games\\QZ7\\TeknoQZ7_Server_Launcher.exe";

FirewallChangeRequest request(FirewallAction action) {
    FirewallChangeRequest change;
    change.action = action;
    change.helperProgram = "C:\\Games\\QZ7\\qz7ctl.exe";
    change.ownerWindow = 0x1234;
    change.serverLauncher = kLauncher;
    return change;
}

FirewallRule blockRule(std::string name, std::string protocol, std::string ports,
                       std::string program = {}) {
    FirewallRule rule;
    rule.name = std::move(name);
    rule.protocol = std::move(protocol);
    rule.localPorts = std::move(ports);
    rule.action = FirewallRule::Action::Block;
    rule.profiles = kFirewallProfilePublic;
    rule.program = std::move(program);
    return rule;
}

TEST(FirewallRules, OneInboundAllowRulePerProtocolForEveryProfile) {
    const std::vector<FirewallRule> rules = serverFirewallRules();
    ASSERT_EQ(rules.size(), 2u);
    const struct {
        const char* name;
        const char* protocol;
        const char* ports;
    } expected[] = {{"QZ7 сервер (TCP)", "TCP", "3074,27014-27050"},
                    {"QZ7 сервер (UDP)", "UDP", "3074,27000-27030"}};
    for (std::size_t i = 0; i < rules.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(rules[i].name, expected[i].name);
        EXPECT_EQ(rules[i].protocol, expected[i].protocol);
        EXPECT_EQ(rules[i].localPorts, expected[i].ports);
        EXPECT_EQ(rules[i].direction, FirewallRule::Direction::Inbound);
        EXPECT_EQ(rules[i].action, FirewallRule::Action::Allow);
        EXPECT_EQ(rules[i].profiles, kFirewallAllProfiles);
        EXPECT_EQ(rules[i].program, "");
        EXPECT_TRUE(rules[i].enabled);
    }
}

TEST(FirewallRules, WithoutRightsTheHelperRunsElevatedAndARefusalIsSaid) {
    FakeFirewall firewall;
    FirewallOutcome outcome = changeFirewall(firewall, request(FirewallAction::Open));
    ASSERT_EQ(firewall.elevationRequests.size(), 1u);
    EXPECT_EQ(firewall.elevationRequests[0].program, "C:\\Games\\QZ7\\qz7ctl.exe");
    EXPECT_EQ(firewall.elevationRequests[0].parameters, "firewall open --no-prompt");
    EXPECT_EQ(firewall.elevationRequests[0].ownerWindow, 0x1234u);
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.message,
              "Запрос прав администратора отклонён: правила брандмауэра не изменены");
    EXPECT_TRUE(firewall.rules.empty());

    // The helper's own failure is its exit status; one that could not start gives the reason.
    firewall.elevate = [](const auto&) {
        return ElevatedRun{ElevatedRun::Outcome::Finished, 1, {}};
    };
    outcome = changeFirewall(firewall, request(FirewallAction::Open));
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.message.rfind("«qz7ctl.exe firewall open --no-prompt» с правами "
                                    "администратора завершилась с кодом 1",
                                    0),
              0u)
        << outcome.message;
    firewall.elevate = [](const auto&) {
        return ElevatedRun{ElevatedRun::Outcome::Failed, 0, "файл или папка не найдены"};
    };
    outcome = changeFirewall(firewall, request(FirewallAction::Open));
    EXPECT_EQ(outcome.message,
              "Не удалось выполнить «qz7ctl.exe firewall open --no-prompt» с "
              "правами администратора: файл или папка не найдены");

    // A helper that says it succeeded while the rules did not appear is not believed.
    firewall.elevate = [](const auto&) {
        return ElevatedRun{ElevatedRun::Outcome::Finished, 0, {}};
    };
    EXPECT_FALSE(changeFirewall(firewall, request(FirewallAction::Open)).success);

    // The elevated helper is this same change with rights and without a prompt.
    firewall.elevate = [&firewall](const FakeFirewall::ElevationRequest& asked) {
        EXPECT_EQ(asked.parameters, elevatedFirewallParameters(FirewallAction::Close));
        firewall.administrator = true;
        FirewallChangeRequest helper = request(FirewallAction::Close);
        helper.mayPrompt = false;
        const bool done = changeFirewall(firewall, helper).success;
        firewall.administrator = false;
        return ElevatedRun{ElevatedRun::Outcome::Finished, done ? 0 : 1, {}};
    };
    firewall.rules = serverFirewallRules();
    outcome = changeFirewall(firewall, request(FirewallAction::Close));
    EXPECT_TRUE(outcome.success) << outcome.message;
    EXPECT_EQ(outcome.message,
              "Правила брандмауэра «QZ7 сервер (TCP)» и «QZ7 сервер (UDP)» удалены");
    EXPECT_TRUE(firewall.rules.empty());
}

TEST(FirewallRules, ChangesNeedRightsOnlyWhenThereIsSomethingToChange) {
    FakeFirewall firewall;
    FirewallChangeRequest noPrompt = request(FirewallAction::Open);
    noPrompt.mayPrompt = false;
    FirewallOutcome outcome = changeFirewall(firewall, noPrompt);
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.message.rfind("Нужны права администратора", 0), 0u) << outcome.message;

    EXPECT_TRUE(changeFirewall(firewall, request(FirewallAction::Close)).success);
    firewall.rules = serverFirewallRules();
    outcome = changeFirewall(firewall, request(FirewallAction::Open));
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(outcome.message,
              "Правила брандмауэра «QZ7 сервер (TCP)» и «QZ7 сервер (UDP)» уже есть");
    EXPECT_TRUE(firewall.elevationRequests.empty());

    // A firewall that cannot list its rules cannot confirm a change: the message says so.
    FakeFirewall unlisted;
    unlisted.administrator = true;
    unlisted.listable = false;
    outcome = changeFirewall(unlisted, request(FirewallAction::Open));
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(outcome.message,
              "Правила брандмауэра «QZ7 сервер (TCP)» и «QZ7 сервер (UDP)» "
              "добавлены (проверить не удалось: служба брандмауэра не отвечает)");
}

TEST(FirewallRules, OpeningReplacesAChangedRuleAndNamesWhatStillBlocks) {
    FakeFirewall firewall;
    firewall.administrator = true;
    FirewallRule stale = serverFirewallRules()[1];
    stale.localPorts = "3074";
    stale.enabled = false;
    firewall.rules = {stale, blockRule("teknoqz7_server_launcher.exe", "UDP", "*",
                                       "c:/games/qz7/TEKNOQZ7_SERVER_LAUNCHER.EXE")};
    EXPECT_EQ(firewallStatusLines(checkFirewall(firewall, kLauncher))[1],
              "Правило «QZ7 сервер (UDP)»: есть, но отличается (порты 3074; выключено)");

    const FirewallOutcome outcome = changeFirewall(firewall, request(FirewallAction::Open));
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(outcome.message,
              "Правила брандмауэра «QZ7 сервер (TCP)» и «QZ7 сервер (UDP)» добавлены\n"
              "Запрещающее правило «teknoqz7_server_launcher.exe» (UDP, все порты, программа "
              "c:/games/qz7/TEKNOQZ7_SERVER_LAUNCHER.EXE, профили: общий) закрывает сервер: "
              "запрет сильнее разрешающих правил");
    ASSERT_EQ(firewall.rules.size(), 3u);
    // Only the rule that was there is removed: the firewall may refuse to remove what it lacks.
    EXPECT_EQ(firewall.removals, std::vector<std::string>{"QZ7 сервер (UDP)"});
    EXPECT_EQ(firewall.rules[1].name, "QZ7 сервер (TCP)");
    EXPECT_EQ(firewall.rules[2].localPorts, "3074,27000-27030");
    EXPECT_TRUE(firewall.elevationRequests.empty());

    firewall.refusal = "нет прав доступа";
    EXPECT_EQ(changeFirewall(firewall, request(FirewallAction::Close)).message,
              "Ошибка при изменении брандмауэра: нет прав доступа");
}

TEST(FirewallRules, StatusFindsTheBlockRulesThatStopTheServer) {
    FirewallRule disabled = blockRule("выключено", "TCP", "*");
    disabled.enabled = false;
    FirewallRule outbound = blockRule("исходящее", "UDP", "*");
    outbound.direction = FirewallRule::Direction::Outbound;
    FakeFirewall firewall;
    firewall.rules = {serverFirewallRules()[0],
                      blockRule("диапазон", "TCP", "80, 27049-27060"),
                      blockRule("мимо TCP", "TCP", "27051-27060,3075"),
                      blockRule("мимо UDP", "UDP", "27031-27060"),
                      blockRule("всё", "Any", "*"),
                      blockRule("RPC", "TCP", "RPC"),
                      blockRule("чужая программа", "TCP", "*", "C:\\Other\\server.exe"),
                      blockRule("ICMP", "1", "*"),
                      disabled,
                      outbound};
    const FirewallStatus status = checkFirewall(firewall, kLauncher);
    ASSERT_TRUE(status.read);
    std::vector<std::string> found;
    for (const FirewallRule& rule : status.blockingRules) found.push_back(rule.name);
    EXPECT_EQ(found, (std::vector<std::string>{"диапазон", "всё"}));
    const std::vector<std::string> lines = firewallStatusLines(status);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Правило «QZ7 сервер (TCP)»: есть");
    EXPECT_EQ(lines[1], "Правило «QZ7 сервер (UDP)»: нет");
    EXPECT_EQ(lines[3],
              "Запрещающее правило «всё» (любой протокол, все порты, любая программа, профили: "
              "общий) закрывает сервер: запрет сильнее разрешающих правил");

    firewall.rules.resize(1);
    EXPECT_EQ(firewallStatusLines(checkFirewall(firewall, kLauncher)).back(),
              "Запрещающих правил для портов сервера и его программы нет");
    firewall.listable = false;
    EXPECT_EQ(firewallStatusLines(checkFirewall(firewall, kLauncher)),
              std::vector<std::string>{
                  "Правила брандмауэра не прочитаны: служба брандмауэра не отвечает"});
}

}  // namespace
}  // namespace qz7

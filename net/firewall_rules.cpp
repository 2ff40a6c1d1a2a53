#include "net/firewall_rules.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "net/port_table.h"
#include "platform/game_paths.h"

namespace qz7 {

namespace {

using PortSet = std::set<int>;

PortSet serverPorts(std::string_view protocol) {
    PortSet ports;
    for (const ServerPort& port : serverPortTable())
        if (port.protocol == protocol) ports.insert(port.port);
    return ports;
}

// "3074,27014-27050": single ports and runs of consecutive ones, ascending.
std::string portRangesText(const PortSet& ports) {
    std::string text;
    for (auto it = ports.begin(); it != ports.end();) {
        const int first = *it;
        int last = first;
        while (++it != ports.end() && *it == last + 1) last = *it;
        if (!text.empty()) text += ",";
        text += std::to_string(first);
        if (last != first) text += "-" + std::to_string(last);
    }
    return text;
}

bool isEveryPort(std::string_view ports) { return ports.empty() || ports == "*" || ports == "Any"; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool parsePort(std::string_view text, int& port) {
    text = trimmed(text);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    return error == std::errc() && end == text.data() + text.size() && port >= 0 && port <= 65535;
}

struct PortRange {
    int first;
    int last;
};

// The numbered items of a rule's port list ("3074", "27014-27050"); false when it also holds
// something else, such as the keyword "RPC", which names none of our ports.
bool portRanges(std::string_view list, std::vector<PortRange>& ranges) {
    bool allNumbered = true;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        const std::size_t dash = item.find('-');
        PortRange range{};
        const bool parsed = dash == std::string_view::npos
                                ? parsePort(item, range.first) && parsePort(item, range.last)
                                : parsePort(item.substr(0, dash), range.first) &&
                                      parsePort(item.substr(dash + 1), range.last);
        if (parsed)
            ranges.push_back(range);
        else
            allNumbered = false;
    }
    return allNumbered;
}

// Whether a rule's port list names one of the ports.
bool portsMeet(std::string_view list, const PortSet& ports) {
    if (isEveryPort(trimmed(list))) return !ports.empty();
    std::vector<PortRange> ranges;
    portRanges(list, ranges);
    return std::any_of(ranges.begin(), ranges.end(), [&ports](const PortRange& range) {
        const auto it = ports.lower_bound(range.first);
        return it != ports.end() && *it <= range.last;
    });
}

// The same set of ports, whatever order or grouping the firewall keeps them in.
bool samePorts(std::string_view list, const PortSet& ports) {
    std::vector<PortRange> ranges;
    if (isEveryPort(trimmed(list)) || !portRanges(list, ranges)) return false;
    PortSet listed;
    for (const PortRange& range : ranges)
        for (int port = range.first; port <= range.last && listed.size() <= ports.size(); ++port)
            listed.insert(port);
    return listed == ports;
}

// Windows compares program paths without regard to the case of Latin letters and slashes.
std::string comparablePath(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return path;
}

bool stopsTheServer(const FirewallRule& rule, const std::string& launcher) {
    if (!rule.enabled || rule.direction != FirewallRule::Direction::Inbound ||
        rule.action != FirewallRule::Action::Block)
        return false;
    if (!rule.program.empty() && comparablePath(rule.program) != launcher) return false;
    PortSet ports;
    if (rule.protocol == "TCP" || rule.protocol == "Any") ports.merge(serverPorts("TCP"));
    if (rule.protocol == "UDP" || rule.protocol == "Any") ports.merge(serverPorts("UDP"));
    return portsMeet(rule.localPorts, ports);
}

std::string profilesText(int profiles) {
    if ((profiles & kFirewallAllProfiles) == kFirewallAllProfiles) return "все профили";
    std::string text;
    for (const auto& [bit, word] : {std::pair{kFirewallProfileDomain, "доменный"},
                                    std::pair{kFirewallProfilePrivate, "частный"},
                                    std::pair{kFirewallProfilePublic, "общий"}})
        if ((profiles & bit) != 0) text += (text.empty() ? "профили: " : ", ") + std::string(word);
    return text.empty() ? "ни одного профиля" : text;
}

// What differs between a rule the firewall holds and the one we write.
std::string differenceFrom(const FirewallRule& held, const FirewallRule& wanted) {
    std::vector<std::string> differences;
    if (held.protocol != wanted.protocol) differences.push_back("протокол " + held.protocol);
    if (!samePorts(held.localPorts, serverPorts(wanted.protocol)))
        differences.push_back("порты " + held.localPorts);
    if (held.direction != wanted.direction) differences.emplace_back("исходящее");
    if (held.action != wanted.action) differences.emplace_back("запрещающее");
    if ((held.profiles & kFirewallAllProfiles) != wanted.profiles)
        differences.push_back(profilesText(held.profiles));
    if (!held.program.empty()) differences.push_back("только для программы " + held.program);
    if (!held.enabled) differences.emplace_back("выключено");
    std::string text;
    for (const std::string& difference : differences)
        text += (text.empty() ? "" : "; ") + difference;
    return text;
}

std::string inGuillemets(std::string_view name) { return "«" + std::string(name) + "»"; }

std::string ourRuleNames() {
    return inGuillemets(kFirewallRuleNameTcp) + " и " + inGuillemets(kFirewallRuleNameUdp);
}

std::string blockingRuleLine(const FirewallRule& rule) {
    const std::string protocol = rule.protocol == "Any" ? "любой протокол" : rule.protocol;
    const std::string ports =
        isEveryPort(trimmed(rule.localPorts)) ? "все порты" : "порты " + rule.localPorts;
    const std::string program =
        rule.program.empty() ? "любая программа" : "программа " + rule.program;
    return "Запрещающее правило " + inGuillemets(rule.name) + " (" + protocol + ", " + ports +
           ", " + program + ", " + profilesText(rule.profiles) +
           ") закрывает сервер: запрет сильнее разрешающих правил";
}

bool allOwnRules(const FirewallStatus& status, OwnRuleState::State state) {
    return std::all_of(status.ownRules.begin(), status.ownRules.end(),
                       [state](const OwnRuleState& rule) { return rule.state == state; });
}

// Changes the rules in this process (it has administrator rights). A rule the firewall listed as
// absent is not removed; one it could not list is.
FirewallOutcome changeHere(Firewall& firewall, FirewallAction action,
                           const FirewallStatus& before) {
    const std::vector<FirewallRule> rules = serverFirewallRules();
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const FirewallRule& rule = rules[i];
        const bool held = !before.read || before.ownRules[i].state != OwnRuleState::State::Missing;
        // Removed first on opening too: a changed or doubled rule of our name is replaced.
        FirewallChange change = held ? firewall.removeRules(rule.name) : FirewallChange{true, {}};
        if (change.done && action == FirewallAction::Open) change = firewall.addRule(rule);
        if (!change.done) return {false, "Ошибка при изменении брандмауэра: " + change.error};
    }
    return {true, {}};
}

// Changes the rules through the helper program run with administrator rights.
FirewallOutcome changeElevated(Firewall& firewall, const FirewallChangeRequest& request) {
    if (!request.mayPrompt)
        return {false,
                "Нужны права администратора: запустите команду от имени администратора. "
                "Правила брандмауэра не изменены"};
    const std::string parameters = elevatedFirewallParameters(request.action);
    const ElevatedRun run =
        firewall.runElevated(request.helperProgram, parameters, request.ownerWindow);
    // Named by its file name, whichever system's separators the path holds.
    std::string command = utf8FromPath(request.helperProgram);
    command = command.substr(command.find_last_of("/\\") + 1) + " " + parameters;
    switch (run.outcome) {
        case ElevatedRun::Outcome::Refused:
            return {false, "Запрос прав администратора отклонён: правила брандмауэра не изменены"};
        case ElevatedRun::Outcome::Failed:
            return {false, "Не удалось выполнить «" + command +
                               "» с правами администратора: " + run.error};
        case ElevatedRun::Outcome::Finished:
            break;
    }
    if (run.exitCode != 0)
        return {false, "«" + command + "» с правами администратора завершилась с кодом " +
                           std::to_string(run.exitCode) + ": правила брандмауэра не изменены " +
                           "или изменены не полностью"};
    return {true, {}};
}

}  // namespace

std::vector<FirewallRule> serverFirewallRules() {
    std::vector<FirewallRule> rules;
    for (const auto& [name, protocol] :
         {std::pair{kFirewallRuleNameTcp, "TCP"}, std::pair{kFirewallRuleNameUdp, "UDP"}}) {
        FirewallRule rule;
        rule.name = std::string(name);
        rule.protocol = protocol;
        rule.localPorts = portRangesText(serverPorts(protocol));
        rule.direction = FirewallRule::Direction::Inbound;
        rule.action = FirewallRule::Action::Allow;
        rule.profiles = kFirewallAllProfiles;
        rule.enabled = true;
        rules.push_back(rule);
    }
    return rules;
}

FirewallStatus checkFirewall(Firewall& firewall, const std::filesystem::path& serverLauncher) {
    FirewallStatus status;
    const FirewallListing listing = firewall.listRules();
    if (!listing.read) {
        status.error = listing.error;
        return status;
    }
    status.read = true;
    for (const FirewallRule& wanted : serverFirewallRules()) {
        OwnRuleState own;
        own.name = wanted.name;
        for (const FirewallRule& held : listing.rules) {
            if (held.name != wanted.name) continue;
            const std::string difference = differenceFrom(held, wanted);
            own.state =
                difference.empty() ? OwnRuleState::State::Present : OwnRuleState::State::Different;
            own.difference = difference;
            if (difference.empty()) break;  // a sound one among several of the name counts
        }
        status.ownRules.push_back(own);
    }
    const std::string launcher = comparablePath(utf8FromPath(serverLauncher));
    for (const FirewallRule& rule : listing.rules)
        if (stopsTheServer(rule, launcher)) status.blockingRules.push_back(rule);
    return status;
}

std::vector<std::string> firewallStatusLines(const FirewallStatus& status) {
    if (!status.read) return {"Правила брандмауэра не прочитаны: " + status.error};
    std::vector<std::string> lines;
    for (const OwnRuleState& own : status.ownRules) {
        std::string line = "Правило " + inGuillemets(own.name) + ": ";
        switch (own.state) {
            case OwnRuleState::State::Present:
                line += "есть";
                break;
            case OwnRuleState::State::Different:
                line += "есть, но отличается (" + own.difference + ")";
                break;
            case OwnRuleState::State::Missing:
                line += "нет";
                break;
        }
        lines.push_back(line);
    }
    for (const FirewallRule& rule : status.blockingRules) lines.push_back(blockingRuleLine(rule));
    if (status.blockingRules.empty())
        lines.emplace_back("Запрещающих правил для портов сервера и его программы нет");
    return lines;
}

std::string elevatedFirewallParameters(FirewallAction action) {
    return action == FirewallAction::Open ? "firewall open --no-prompt"
                                          : "firewall close --no-prompt";
}

FirewallOutcome changeFirewall(Firewall& firewall, const FirewallChangeRequest& request) {
    if (!firewall.available()) return {false, "Брандмауэра Windows на этой системе нет"};
    const bool open = request.action == FirewallAction::Open;
    const OwnRuleState::State wanted =
        open ? OwnRuleState::State::Present : OwnRuleState::State::Missing;
    const FirewallStatus before = checkFirewall(firewall, request.serverLauncher);
    FirewallOutcome outcome;
    if (before.read && allOwnRules(before, wanted)) {
        outcome = {true, open ? "Правила брандмауэра " + ourRuleNames() + " уже есть"
                              : "Правил брандмауэра " + ourRuleNames() + " нет: удалять нечего"};
    } else {
        outcome = firewall.hasAdministratorRights() ? changeHere(firewall, request.action, before)
                                                    : changeElevated(firewall, request);
        if (!outcome.success) return outcome;
        // The firewall itself says whether the change took, where it lets us read it.
        const FirewallStatus after = checkFirewall(firewall, request.serverLauncher);
        if (after.read && !allOwnRules(after, wanted))
            return {false, std::string("Ошибка при изменении брандмауэра: правила ") +
                               (open ? "не появились" : "остались") +
                               ", хотя изменение прошло без ошибки"};
        outcome.message = open ? "Правила брандмауэра " + ourRuleNames() + " добавлены"
                               : "Правила брандмауэра " + ourRuleNames() + " удалены";
        // Some firewalls take a rule without complaint but cannot list their rules.
        if (!after.read) outcome.message += " (проверить не удалось: " + after.error + ")";
    }
    if (open) {
        const FirewallStatus now = checkFirewall(firewall, request.serverLauncher);
        for (const FirewallRule& rule : now.blockingRules)
            outcome.message += "\n" + blockingRuleLine(rule);
    }
    return outcome;
}

}  // namespace qz7

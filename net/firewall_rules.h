#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/firewall.h"

namespace qz7 {

inline constexpr std::string_view kFirewallRuleNameTcp = "QZ7 сервер (TCP)";
inline constexpr std::string_view kFirewallRuleNameUdp = "QZ7 сервер (UDP)";

// The heading of the firewall's state where it stands beside the router's.
inline constexpr std::string_view kFirewallHeading = "Брандмауэр Windows:";

// The program that changes the rules with administrator rights, beside the window's program.
inline constexpr std::string_view kFirewallHelperProgram = "qz7ctl.exe";

// The rules that let the server's ports in: one per protocol, inbound, allowed, every profile,
// every program, with the ports of the server port table ("3074,27014-27050" for TCP,
// "3074,27000-27030" for UDP).
std::vector<FirewallRule> serverFirewallRules();

// One of our rules as the firewall holds it.
struct OwnRuleState {
    enum class State { Present, Different, Missing };
    std::string name;
    State state = State::Missing;
    std::string difference;  // what differs from the rule we write, when Different
};

// What the firewall says about the server: our rules and the block rules that stop it.
struct FirewallStatus {
    bool read = false;
    std::string error;  // why the rules could not be read
    std::vector<OwnRuleState> ownRules;
    // Enabled inbound block rules for the server's ports (any program, or the server launcher);
    // block rules win over allow rules.
    std::vector<FirewallRule> blockingRules;
};

// Reads the rules and judges them; serverLauncher is the server launcher's file in the game
// folder.
FirewallStatus checkFirewall(Firewall& firewall, const std::filesystem::path& serverLauncher);

// The status for people, one line each: our rules, then each block rule by name or the word
// that there is none.
std::vector<std::string> firewallStatusLines(const FirewallStatus& status);

enum class FirewallAction { Open, Close };

// The parameters of the elevated run: "firewall open --no-prompt" or "firewall close
// --no-prompt" (the elevated run never asks again).
std::string elevatedFirewallParameters(FirewallAction action);

// Where and how a change may ask for administrator rights.
struct FirewallChangeRequest {
    FirewallAction action = FirewallAction::Open;
    bool mayPrompt = true;                 // without rights, ask through the system's prompt
    std::filesystem::path helperProgram;   // qz7ctl.exe, run elevated
    std::uintptr_t ownerWindow = 0;        // the prompt's owner window
    std::filesystem::path serverLauncher;  // for the block rules named after an opening
};

struct FirewallOutcome {
    bool success = false;
    std::string message;  // Russian: what was done, or why not
};

// Adds our rules (replacing any of the same names) or removes them: here when the process has
// administrator rights, otherwise through the elevated helper. Nothing to do (the rules are
// already as asked) needs no rights. After an opening, block rules that still stop the server
// are named in the message.
FirewallOutcome changeFirewall(Firewall& firewall, const FirewallChangeRequest& request);

}  // namespace qz7

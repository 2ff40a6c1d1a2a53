#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qz7 {

// The firewall's network profiles as the system numbers them, and all of them together.
inline constexpr int kFirewallProfileDomain = 1;
inline constexpr int kFirewallProfilePrivate = 2;
inline constexpr int kFirewallProfilePublic = 4;
inline constexpr int kFirewallAllProfiles = 0x7FFFFFFF;

// One rule of the system's firewall, as we write it and as the system lists it.
struct FirewallRule {
    enum class Direction { Inbound, Outbound };
    enum class Action { Allow, Block };

    std::string name;
    std::string protocol = "TCP";  // "TCP", "UDP", "Any", or the protocol's number as text
    std::string localPorts;        // "3074,27014-27050"; "*" for every port
    Direction direction = Direction::Inbound;
    Action action = Action::Allow;
    int profiles = kFirewallAllProfiles;
    std::string program;  // the program the rule is limited to; empty for every program
    bool enabled = true;
};

// The rules the system holds, or why they could not be read.
struct FirewallListing {
    bool read = false;
    std::vector<FirewallRule> rules;
    std::string error;  // Russian, when not read
};

// What a change of the rules gave.
struct FirewallChange {
    bool done = false;
    std::string error;  // Russian, when not done
};

// A program run with administrator rights through the system's prompt.
struct ElevatedRun {
    enum class Outcome {
        Finished,  // it ran and ended with exitCode
        Refused,   // the user declined the prompt
        Failed,    // it could not be started or did not end in time: error says why
    };
    Outcome outcome = Outcome::Failed;
    int exitCode = 0;
    std::string error;
};

// The system's firewall: Windows' own, reached through its COM interface; other systems have
// none the program manages. Tests put a fake in place through setFirewallForTesting.
class Firewall {
  public:
    virtual ~Firewall() = default;

    // Whether this system has the firewall at all.
    virtual bool available() = 0;

    // Every rule, in the system's order, with the program paths' variables expanded.
    virtual FirewallListing listRules() = 0;

    // Adds one rule; it needs administrator rights.
    virtual FirewallChange addRule(const FirewallRule& rule) = 0;

    // Removes every rule of this name; done also when there was none.
    virtual FirewallChange removeRules(const std::string& name) = 0;

    // Whether this process may change the rules (it runs elevated).
    virtual bool hasAdministratorRights() = 0;

    // Runs the program with the parameter text through the system's elevation prompt ("runas"),
    // owned by the given window (0: none), and waits a bounded time for it to end.
    virtual ElevatedRun runElevated(const std::filesystem::path& program,
                                    const std::string& parameters, std::uintptr_t ownerWindow) = 0;
};

// The firewall in use: the system's own unless a test replaced it.
Firewall& currentFirewall();

// Puts a replacement in place (nullptr restores the system's own). Not thread-safe: tests only.
void setFirewallForTesting(Firewall* replacement);

// The system's own implementation.
Firewall& systemFirewall();

}  // namespace qz7

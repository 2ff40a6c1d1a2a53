#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/firewall.h"

namespace qz7::testing {

// A firewall in memory: its rules, whether this process has administrator rights, and the
// elevated runs asked for, answered as the test sets (by default as a refused prompt).
class FakeFirewall : public Firewall {
  public:
    struct ElevationRequest {
        std::filesystem::path program;
        std::string parameters;
        std::uintptr_t ownerWindow = 0;
    };

    explicit FakeFirewall(bool available = true) : isAvailable(available) {}

    bool isAvailable;
    bool administrator = false;
    bool listable = true;
    std::string refusal;  // when set, every change fails with this reason
    std::vector<FirewallRule> rules;
    std::vector<std::string> removals;  // the names asked to be removed, in order
    std::vector<ElevationRequest> elevationRequests;
    // What the prompt gives; the default is a refusal.
    std::function<ElevatedRun(const ElevationRequest&)> elevate = [](const ElevationRequest&) {
        return ElevatedRun{ElevatedRun::Outcome::Refused, 0, {}};
    };

    bool available() override { return isAvailable; }

    FirewallListing listRules() override {
        if (!listable) return {false, {}, "служба брандмауэра не отвечает"};
        return {true, rules, {}};
    }

    FirewallChange addRule(const FirewallRule& rule) override {
        if (!administrator) return {false, "нет прав доступа"};
        if (!refusal.empty()) return {false, refusal};
        rules.push_back(rule);
        return {true, {}};
    }

    FirewallChange removeRules(const std::string& name) override {
        removals.push_back(name);
        if (!administrator) return {false, "нет прав доступа"};
        if (!refusal.empty()) return {false, refusal};
        rules.erase(std::remove_if(rules.begin(), rules.end(),
                                   [&name](const FirewallRule& rule) { return rule.name == name; }),
                    rules.end());
        return {true, {}};
    }

    bool hasAdministratorRights() override { return administrator; }

    ElevatedRun runElevated(const std::filesystem::path& program, const std::string& parameters,
                            std::uintptr_t ownerWindow) override {
        elevationRequests.push_back({program, parameters, ownerWindow});
        return elevate(elevationRequests.back());
    }
};

// Puts a firewall in place for as long as it lives.
class FirewallInUse {
  public:
    explicit FirewallInUse(Firewall& firewall) { setFirewallForTesting(&firewall); }
    ~FirewallInUse() { setFirewallForTesting(nullptr); }
    FirewallInUse(const FirewallInUse&) = delete;
    FirewallInUse& operator=(const FirewallInUse&) = delete;
};

}  // namespace qz7::testing

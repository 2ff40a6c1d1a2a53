// Systems other than Windows have no firewall the program manages: every call says so.
#include "platform/firewall.h"

namespace qz7 {

namespace {

constexpr const char* kNoFirewall = "брандмауэра Windows на этой системе нет";

class AbsentFirewall final : public Firewall {
  public:
    bool available() override { return false; }
    FirewallListing listRules() override { return {false, {}, kNoFirewall}; }
    FirewallChange addRule(const FirewallRule&) override { return {false, kNoFirewall}; }
    FirewallChange removeRules(const std::string&) override { return {false, kNoFirewall}; }
    bool hasAdministratorRights() override { return false; }
    ElevatedRun runElevated(const std::filesystem::path&, const std::string&,
                            std::uintptr_t) override {
        return {ElevatedRun::Outcome::Failed, 0, kNoFirewall};
    }
};

}  // namespace

Firewall& systemFirewall() {
    static AbsentFirewall firewall;
    return firewall;
}

}  // namespace qz7

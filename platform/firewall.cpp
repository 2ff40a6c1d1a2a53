#include "platform/firewall.h"

namespace qz7 {

namespace {
Firewall* replacementFirewall = nullptr;
}

Firewall& currentFirewall() {
    return replacementFirewall != nullptr ? *replacementFirewall : systemFirewall();
}

void setFirewallForTesting(Firewall* replacement) { replacementFirewall = replacement; }

}  // namespace qz7

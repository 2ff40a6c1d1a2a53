#include "platform/platform.h"

namespace qz7 {

namespace {
Platform* replacementPlatform = nullptr;
}

Platform& currentPlatform() {
    return replacementPlatform != nullptr ? *replacementPlatform : systemPlatform();
}

void setPlatformForTesting(Platform* replacement) { replacementPlatform = replacement; }

}  // namespace qz7

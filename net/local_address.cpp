#include "net/local_address.h"

#include "platform/platform.h"

namespace qz7 {

std::string GetLocalAddress() { return currentPlatform().localIPv4Address(); }

}  // namespace qz7

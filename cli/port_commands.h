#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "net/miniupnpc_gateway.h"

namespace qz7::cli {

// How long a whole port batch may take by default, in seconds.
inline constexpr int kDefaultPortBatchSeconds = 60;

// The router named by its description address, or the one discovery finds.
std::unique_ptr<MiniupnpcGateway> gatewayFor(const std::optional<std::string>& igdUrl);

// Forwards (open) or removes (close) the server's 70 ports on the router, with a progress line on
// `err`. `igdUrl` names the router's description address and skips discovery; a named router
// that does not answer is a failure. The batch stops after the mapping in flight once
// `timeoutSeconds` have passed. Prints the same result text as the window's box; anything but
// success is an error.
void runPortBatch(bool open, const std::optional<std::string>& igdUrl, int timeoutSeconds,
                  std::ostream& out, std::ostream& err);

// Asks the router about each of the 70 mappings and prints the table (or JSON): the states,
// the router's external address and the warning when it sits behind the provider's NAT. No
// router is the same failure as for the other port commands; so is a check that could not ask
// about every mapping (after printing what it found).
void runPortStatus(const std::optional<std::string>& igdUrl, int timeoutSeconds, bool json,
                   std::ostream& out, std::ostream& err);

}  // namespace qz7::cli

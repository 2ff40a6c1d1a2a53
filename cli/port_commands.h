#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace qz7::cli {

// Forwards (open) or removes (close) the server's 70 ports on the router, with a progress line on
// `err`. `igdUrl` names the router's description address and skips discovery. Prints the same
// result text as the window's box; a failed batch is an error.
void runPortBatch(bool open, const std::optional<std::string>& igdUrl, std::ostream& out,
                  std::ostream& err);

}  // namespace qz7::cli

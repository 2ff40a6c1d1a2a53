#pragma once

#include <optional>
#include <string>

namespace qz7 {

// Before a server starts: refuses with an OperationError, unless force, while another program
// holds one of the server's ports here, naming the ports and the way to start anyway (--force).
// With force, the warning to show; nothing when the ports are free.
std::optional<std::string> checkServerPortsFree(bool force);

}  // namespace qz7

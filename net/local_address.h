#pragma once

#include <string>

namespace qz7 {

// The machine's own IPv4 address in dotted form from the host-name look-up, or the empty text
// when there is none.
std::string GetLocalAddress();

}  // namespace qz7

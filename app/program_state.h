#pragma once

#include <string>

namespace qz7 {

// Program-wide values shared by the windows for the whole run.
struct ProgramState {
    // The client profile: the first command-line argument, or the user name once the client has
    // been started without one.
    std::string ClientProfileName;
};

}  // namespace qz7

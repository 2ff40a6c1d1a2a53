#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qz7 {

// The arguments that run program with the parameter text here: split by the Windows
// command-line rules, and through wine when the program is a Windows executable. Empty, with the
// reason in failure, when it cannot run.
std::vector<std::string> launchCommand(const std::filesystem::path& program,
                                       const std::string& parameters, StartResult& failure);

// In a child process after fork: runs args (args[0] the program, nullptr at the end) with
// a clean signal state and none of this program's files; when the exec fails, writes its errno
// to errorPipe and exits with 127.
[[noreturn]] void execInChild(const std::vector<char*>& args, int errorPipe);

// Why a program could not be started, in the user's language where the reason is a common one.
std::string startErrorText(int error);

}  // namespace qz7

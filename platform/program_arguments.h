#pragma once

#include <string>
#include <vector>

namespace qz7 {

// The program's command-line arguments as UTF-8, the program's own name first. On Windows they
// are read from the wide command line: argv holds them in the ANSI code page, which loses every
// character outside it (a Cyrillic template name on an English system, for one).
std::vector<std::string> programArguments(int argc, char** argv);

}  // namespace qz7

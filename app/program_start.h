#pragma once

namespace qz7 {

// Starts the program: application title, the three windows in order, then the event loop.
int runProgram(int argc, char** argv);

}  // namespace qz7

#include "app/program_start.h"

int main(int argc, char** argv) { return qz7::runProgram(argc, argv); }

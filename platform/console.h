#pragma once

#include <string>

namespace qz7 {

// Makes the console show the UTF-8 text the program prints. A Windows console otherwise reads it
// in its own code page and garbles every Cyrillic letter; other systems need nothing.
void useUtf8Console();

// Points std::cerr at a copy of standard error taken now, so that the program's own messages and
// progress still reach the user while a QuietLibraryOutput has pointed standard error (descriptor
// 2) at the null device. Call it once, at the start of a console program.
void keepProgramMessagesVisible();

// Where the program's messages (standard error) go to a file, as for a serve started from the
// window: replaces that file's whole content with content and writes on after it, so that a file
// written for weeks can be kept short. False, and nothing changed, where they go elsewhere (a
// terminal, a pipe) or the file could not be rewritten.
bool replaceProgramMessages(const std::string& content);

// For its lifetime, standard error (descriptor 2) goes to the null device: libraries that print
// there by themselves, such as the UPnP library with perror, stay quiet. Lifetimes may overlap,
// in one thread or several; the last to end puts standard error back.
class QuietLibraryOutput {
  public:
    QuietLibraryOutput();
    ~QuietLibraryOutput();
    QuietLibraryOutput(const QuietLibraryOutput&) = delete;
    QuietLibraryOutput& operator=(const QuietLibraryOutput&) = delete;
};

// Minimises the console window the program was given, as a program started at logon shows it
// (Windows); elsewhere, or without a console window of its own, nothing.
void minimiseConsoleWindow();

}  // namespace qz7

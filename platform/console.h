#pragma once

namespace qz7 {

// Makes the console show the UTF-8 text the program prints. A Windows console otherwise reads it
// in its own code page and garbles every Cyrillic letter; other systems need nothing.
void useUtf8Console();

}  // namespace qz7

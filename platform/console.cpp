#include "platform/console.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace qz7 {

void useUtf8Console() {
#ifdef _WIN32
    // Without a console (output redirected to a file) these fail harmlessly.
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
#endif
}

}  // namespace qz7

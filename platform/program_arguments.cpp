#include "platform/program_arguments.h"

#ifdef _WIN32
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#endif

namespace qz7 {

std::vector<std::string> programArguments(int argc, char** argv) {
#ifdef _WIN32
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> arguments;
        for (int i = 0; i < count; ++i) {
            const int size = int(wcslen(wide[i]));
            const int length =
                WideCharToMultiByte(CP_UTF8, 0, wide[i], size, nullptr, 0, nullptr, nullptr);
            std::string argument(std::size_t(length), '\0');
            WideCharToMultiByte(CP_UTF8, 0, wide[i], size, argument.data(), length, nullptr,
                                nullptr);
            arguments.push_back(std::move(argument));
        }
        LocalFree(wide);
        return arguments;
    }
#endif
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace qz7

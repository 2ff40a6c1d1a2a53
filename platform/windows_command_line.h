#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// Splits a parameter text into arguments the way a Windows program's start-up code does:
// blanks and tabs separate arguments, double quotes group them, 2n backslashes before a quote
// give n backslashes and a grouping quote, 2n+1 give n backslashes and a literal quote, and ""
// inside a quoted part is a literal quote.
std::vector<std::string> splitWindowsCommandLine(std::string_view text);

// The command line that splitWindowsCommandLine splits back into these arguments: each argument
// that is empty or holds a blank, a tab or a quote is put in quotes, with backslashes before a
// quote (and before the closing quote) doubled.
std::string joinWindowsCommandLine(const std::vector<std::string>& arguments);

}  // namespace qz7

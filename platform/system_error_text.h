#pragma once

#include <string>
#include <system_error>

namespace qz7 {

// System errors as the user reads them: our own Russian wording for the common cases (no space,
// no permission, read-only file system, not found, a folder, file too large, input/output error,
// ...), and the number for the rest. Both tables hold on every system, so they are tested
// everywhere.

// An error number of the C library (errno).
std::string errnoText(int errorNumber);

// A Windows error code (GetLastError).
std::string windowsErrorText(unsigned long code);

// The reason of an error code of either kind: generic_category() holds errno values, and so does
// system_category() except on Windows, where it holds GetLastError() values.
std::string systemErrorText(std::error_code code);

}  // namespace qz7

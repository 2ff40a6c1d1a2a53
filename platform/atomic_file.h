#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qz7 {

// A file operation that failed; the text names the file and the reason, for the user.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Replaces the target's whole content with the bytes: writes a temporary file in the same folder,
// flushes it to disk and renames it over the target. A crash or a full disk never leaves a half
// file where a good one was, and a reader never sees half a file. Throws FileError.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Reads a whole file; throws FileError when it cannot be opened or read.
std::string readWholeFile(const std::filesystem::path& file);

// Tests only: makes the next atomic writes fail like a full disk after this many bytes of the
// temporary file have been written (nothing: no failure).
void setAtomicWriteFailureForTesting(std::optional<std::size_t> failAfterBytes);

}  // namespace qz7

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace qz7 {

// A file operation that failed. what() is the text for the user: the operation, the file and the
// reason. code() is the system's own error number of the call that failed: an errno value in
// std::generic_category(), or on Windows a GetLastError() value in std::system_category(); it is
// empty when no system call failed. file() is the file the operation was about.
class FileError : public std::system_error {
  public:
    FileError(const std::string& text, std::error_code code = {}, std::filesystem::path file = {});
    const char* what() const noexcept override { return text_.c_str(); }
    const std::filesystem::path& file() const noexcept { return file_; }

  private:
    std::string text_;
    std::filesystem::path file_;
};

// The FileError "<what> <file>: <the system's reason for code>".
FileError fileError(const std::string& what, const std::filesystem::path& file,
                    std::error_code code);
// The same for an errno value.
FileError fileErrorFromErrno(const std::string& what, const std::filesystem::path& file, int error);

// Who may read the file that a write makes: as the old file allowed (below), or its owner alone,
// from the temporary file's first byte on (mode 0600; on Windows an access list of the current
// user alone, inherited from nothing), whatever the system's replace carries over.
enum class FileAccess { AsBefore, OwnerOnly };

// Replaces the target's whole content with the bytes: writes the temporary file
// "<target>.qz7-tmp" beside it, flushes it to disk and moves it over the target. A crash or a full
// disk never leaves a half file where a good one was, and a reader never sees half a file.
// The new file keeps the old one's permission bits and, where the process may set them, its owner
// and group (on Windows ReplaceFileW carries attributes and access lists over). A target that is a
// symbolic link is replaced at the file it points to; the link stays. A temporary file left by a
// killed writer is removed first. A write-protected target is refused. Throws FileError, whose
// code() is that of the call that failed (create, write, flush, close or rename).
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         FileAccess access = FileAccess::AsBefore);

// Takes the bytes of a file being written, piece by piece in file order.
using ByteSink = std::function<void(std::string_view)>;

// The same, the content given piece by piece to the sink that `produce` is called with, so that a
// large file is never held whole in memory; the pieces are written in large blocks. An exception
// from `produce` removes the temporary file and leaves the target as it was.
void writeFileAtomically(const std::filesystem::path& target,
                         const std::function<void(const ByteSink&)>& produce,
                         FileAccess access = FileAccess::AsBefore);

// Writes the bytes into the file at the last multiple of `unit` bytes of its size, with one write,
// and flushes them to disk; a trailing part shorter than `unit` is overwritten (the bytes must be
// at least `unit` long). A missing file is created. Nothing is written, and a FileError says so,
// when the file is a different one or of another size than when this call first looked at it;
// one that another program replaced or resized during the write is a FileError too. Returns the
// offset the bytes went to.
std::uint64_t writeAtUnitBoundary(const std::filesystem::path& file, std::string_view bytes,
                                  std::size_t unit);

// Throws FileError (permission denied) when the file exists and is write-protected: a rename would
// replace it without asking on POSIX, so every writer asks this first.
void refuseWriteProtected(const std::filesystem::path& file);

// The file a path names after following symbolic links (the path itself when it is none).
std::filesystem::path followSymbolicLinks(const std::filesystem::path& file);

// Renames a file, replacing the target. On Windows a file another program has open (without
// sharing its deletion) is tried again for a few seconds. The system's reason when it failed.
std::error_code renameFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Reads a whole file; throws FileError when it cannot be opened or read. Readers never stand in
// the way of a writer: on Windows the file is opened shared for writing and deletion, so that an
// atomic replace or a rename of it succeeds meanwhile.
std::string readWholeFile(const std::filesystem::path& file);

// Reads a file in blocks of at most `blockSize` bytes, giving each to `each` in file order, so that
// a large file is never held whole in memory; throws FileError like readWholeFile.
void readFileInBlocks(const std::filesystem::path& file,
                      const std::function<void(std::string_view)>& each,
                      std::size_t blockSize = 65536);

// Reads at most `size` bytes of a file from the offset on: fewer where the file ends before.
std::string readFilePart(const std::filesystem::path& file, std::uint64_t offset, std::size_t size);

// Tests only: makes the next atomic writes fail like a full disk after this many bytes of the
// temporary file have been written (nothing: no failure).
void setAtomicWriteFailureForTesting(std::optional<std::size_t> failAfterBytes);

// Tests only: makes readWholeFile of this file fail with this errno value, as a file without read
// permission does for a user other than root (an empty path: no failure).
void setReadFailureForTesting(const std::filesystem::path& file, int error);

}  // namespace qz7

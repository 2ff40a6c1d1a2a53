#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

namespace qz7 {

// An exclusive lock on a file that the operating system holds for this process (flock; LockFileEx
// on Windows): it goes when the object goes or the process ends in any way, killed too. Started
// programs do not inherit it. The file's content stays readable and is the holder's to write.
class FileLock {
  public:
    // Takes the lock on the file, created when missing, without waiting; nothing when another
    // holds it. Throws FileError when the file cannot be opened.
    static std::unique_ptr<FileLock> tryTake(const std::filesystem::path& file);

    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Replaces the locked file's content and marks it as the holder's own (isFileContentCurrent),
    // so that a look never takes what an earlier holder wrote for this one's. Throws FileError
    // when that fails.
    void replaceContent(std::string_view bytes);

    struct Handle;

  private:
    FileLock(std::unique_ptr<Handle> handle, std::filesystem::path file);
    std::unique_ptr<Handle> handle_;
    std::filesystem::path file_;
};

// Whether a process holds the lock on the file now; false when there is no such file.
bool isFileLocked(const std::filesystem::path& file);

// Whether the file's content is its present holder's: written by replaceContent since the lock
// was taken. False while a new holder has not written it yet (the content is then an earlier
// holder's, whose process id may now belong to any program) and when nobody holds the lock.
bool isFileContentCurrent(const std::filesystem::path& file);

}  // namespace qz7

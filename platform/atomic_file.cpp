#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

#include "platform/game_paths.h"
#include "platform/system_error_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qz7 {

namespace {

namespace fs = std::filesystem;

std::optional<std::size_t> injectedFailure;
std::filesystem::path injectedReadFailureFile;
int injectedReadFailure = 0;

// How long a writer waits for another writer of the same file to finish with its temporary file.
constexpr int kBusyRetries = 100;
constexpr std::chrono::milliseconds kBusyPause{50};

const char* const kCannotCreate = "Не удалось создать файл";
const char* const kCannotWrite = "Не удалось записать файл";
const char* const kCannotReplace = "Не удалось заменить файл";

fs::path temporaryBeside(const fs::path& target) {
    fs::path name = target;
    name += ".qz7-tmp";
    return name;
}

// How many bytes the injected full disk lets through, or all of them.
std::size_t writableBytes(std::size_t size, bool& injected) {
    injected = injectedFailure && *injectedFailure < size;
    return injected ? *injectedFailure : size;
}

#ifdef _WIN32

std::error_code lastError() { return std::error_code(int(GetLastError()), std::system_category()); }

// Creates the temporary file for this writer alone. It is opened without sharing, so a writer of
// the same file running meanwhile can neither open nor delete it; one that a killed writer left
// behind is deleted.
HANDLE createTemporary(const fs::path& temporary, const fs::path& target) {
    for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            throw fileError(kCannotCreate, target,
                            std::error_code(int(error), std::system_category()));
        if (!DeleteFileW(temporary.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            std::this_thread::sleep_for(kBusyPause);  // still being written by another writer
    }
    throw fileError(kCannotCreate, target,
                    std::error_code(ERROR_SHARING_VIOLATION, std::system_category()));
}

void writeAndReplace(const fs::path& target, const fs::path& temporary, std::string_view bytes) {
    HANDLE file = createTemporary(temporary, target);
    bool injected = false;
    const std::size_t toWrite = writableBytes(bytes.size(), injected);
    std::error_code failure;
    std::size_t written = 0;
    while (!failure && written < toWrite) {
        DWORD chunk = 0;
        const DWORD ask = DWORD(std::min<std::size_t>(toWrite - written, 1u << 30));
        if (!WriteFile(file, bytes.data() + written, ask, &chunk, nullptr)) failure = lastError();
        written += chunk;
    }
    if (!failure && injected) failure = std::error_code(ERROR_DISK_FULL, std::system_category());
    if (!failure && !FlushFileBuffers(file)) failure = lastError();
    if (!CloseHandle(file) && !failure) failure = lastError();
    if (failure) {
        DeleteFileW(temporary.c_str());
        throw fileError(kCannotWrite, target, failure);
    }
    // ReplaceFileW carries the old file's attributes, access lists and streams over.
    const bool replaced =
        GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES
            ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
            : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!replaced) {
        const std::error_code error = lastError();
        DeleteFileW(temporary.c_str());
        throw fileError(kCannotReplace, target, error);
    }
}

#else

bool sameFile(int descriptor, const fs::path& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(descriptor, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Removes a temporary file that a killed writer left behind. A running writer holds a lock on its
// temporary file until it has moved it over the target; such a file stays (false).
bool removeLeftover(const fs::path& temporary) {
    const int descriptor = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0) {
        if (errno == ENOENT) return true;
        return ::unlink(temporary.c_str()) == 0 || errno == ENOENT;
    }
    const bool unused = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
    if (unused && sameFile(descriptor, temporary)) ::unlink(temporary.c_str());
    ::close(descriptor);
    return unused;
}

// The temporary file of this writer: a descriptor to write through and a second one that holds
// the lock until the rename is done, so that another writer does not take it for a leftover.
struct Temporary {
    int writing = -1;
    int locking = -1;
};

Temporary createTemporary(const fs::path& temporary, const fs::path& target, mode_t mode) {
    for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
        Temporary created;
        created.writing = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (created.writing < 0) {
            if (errno != EEXIST) throw fileErrorFromErrno(kCannotCreate, target, errno);
            if (!removeLeftover(temporary)) std::this_thread::sleep_for(kBusyPause);
            continue;
        }
        created.locking = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        // Between the creation and the lock another writer may have taken the new file for a
        // leftover and removed it; then the name no longer leads to it, and it is made again.
        if (created.locking >= 0 && ::flock(created.locking, LOCK_EX) == 0 &&
            sameFile(created.writing, temporary) && sameFile(created.locking, temporary))
            return created;
        const int error = errno;
        ::close(created.writing);
        if (created.locking >= 0) ::close(created.locking);
        if (created.locking < 0 && error != ENOENT)
            throw fileErrorFromErrno(kCannotCreate, target, error);
    }
    throw fileErrorFromErrno(kCannotCreate, target, EBUSY);
}

int writeAll(int descriptor, std::string_view bytes) {
    bool injected = false;
    const std::size_t toWrite = writableBytes(bytes.size(), injected);
    std::size_t written = 0;
    while (written < toWrite) {
        const ssize_t chunk = ::write(descriptor, bytes.data() + written, toWrite - written);
        if (chunk < 0 && errno == EINTR) continue;
        if (chunk < 0) return errno;
        written += std::size_t(chunk);
    }
    return injected ? ENOSPC : 0;
}

// Gives the new file the old one's owner, group and permission bits, as far as the process may.
void keepOwnerAndMode(int descriptor, const struct stat& old) {
    if (::fchown(descriptor, old.st_uid, old.st_gid) != 0 &&
        ::fchown(descriptor, uid_t(-1), old.st_gid) != 0) {
        // Neither may be given away by this user: the new file stays the writer's own.
    }
    // After the change of owner, which clears the set-user and set-group bits.
    ::fchmod(descriptor, old.st_mode & 07777);
}

void writeAndReplace(const fs::path& target, const fs::path& temporary, std::string_view bytes) {
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    // A new file gets the usual mode through the umask; a replaced one is private until it has
    // the old file's mode, so a store of passwords is never readable by others on the way.
    Temporary file = createTemporary(temporary, target, existed ? 0600 : 0666);
    int error = writeAll(file.writing, bytes);
    if (!error && existed) keepOwnerAndMode(file.writing, old);
    if (!error && ::fsync(file.writing) != 0) error = errno;
    if (::close(file.writing) != 0 && !error) error = errno;
    if (!error && std::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        ::close(file.locking);
        throw fileErrorFromErrno(kCannotReplace, target, renameError);
    }
    if (error) ::unlink(temporary.c_str());
    ::close(file.locking);
    if (error) throw fileErrorFromErrno(kCannotWrite, target, error);
    // Make the rename itself durable; the new content is in place whatever this says.
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (folderDescriptor >= 0) {
        ::fsync(folderDescriptor);
        ::close(folderDescriptor);
    }
}

#endif

}  // namespace

FileError::FileError(const std::string& text, std::error_code code, std::filesystem::path file)
    : std::system_error(code, text), text_(text), file_(std::move(file)) {}

FileError fileError(const std::string& what, const std::filesystem::path& file,
                    std::error_code code) {
    return FileError(what + " " + utf8FromPath(file) + ": " + systemErrorText(code), code, file);
}

FileError fileErrorFromErrno(const std::string& what, const std::filesystem::path& file,
                             int error) {
    return fileError(what, file, std::error_code(error, std::generic_category()));
}

void setAtomicWriteFailureForTesting(std::optional<std::size_t> failAfterBytes) {
    injectedFailure = failAfterBytes;
}

void setReadFailureForTesting(const std::filesystem::path& file, int error) {
    injectedReadFailureFile = file;
    injectedReadFailure = error;
}

std::filesystem::path followSymbolicLinks(const std::filesystem::path& file) {
    fs::path current = file;
    // A bound, as the system has one, so that a loop of links ends.
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) return current;
        const fs::path link = fs::read_symlink(current, error);
        if (error) return current;
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    return current;
}

void refuseWriteProtected(const std::filesystem::path& file) {
    std::error_code statusError;
    const fs::file_status status = fs::status(file, statusError);
    if (!statusError && fs::is_regular_file(status) &&
        (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        throw fileErrorFromErrno(kCannotWrite, file, EACCES);
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    // A rename would replace a write-protected file without asking (Windows refuses, wine and
    // POSIX do not); the user protected it, so it stays as it is on every system.
    refuseWriteProtected(target);
    // Replacing the link itself would cut it from the file it stands for.
    const fs::path file = followSymbolicLinks(target);
    // A folder where the file should be stays as it is (wine's ReplaceFileW would replace it).
    std::error_code statusError;
    if (fs::is_directory(file, statusError))
        throw fileErrorFromErrno(kCannotReplace, target, EISDIR);
    writeAndReplace(file, temporaryBeside(file), bytes);
}

std::string readWholeFile(const std::filesystem::path& file) {
    if (!injectedReadFailureFile.empty() && file == injectedReadFailureFile)
        throw fileErrorFromErrno("Не удалось открыть файл", file, injectedReadFailure);
#ifdef _WIN32
    std::FILE* in = _wfopen(file.c_str(), L"rb");
#else
    std::FILE* in = std::fopen(file.c_str(), "rb");
#endif
    if (in == nullptr) throw fileErrorFromErrno("Не удалось открыть файл", file, errno);
    errno = 0;
    // In large blocks: a character-by-character read costs more than the file system itself.
    std::string bytes;
    char block[65536];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, in)) > 0) bytes.append(block, got);
    const int error = std::ferror(in) ? (errno != 0 ? errno : EIO) : 0;
    std::fclose(in);
    if (error != 0) throw fileErrorFromErrno("Не удалось прочитать файл", file, error);
    return bytes;
}

}  // namespace qz7

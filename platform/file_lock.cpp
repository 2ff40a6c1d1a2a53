#include "platform/file_lock.h"

#include "platform/atomic_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace qz7 {

#ifdef _WIN32

struct FileLock::Handle {
    HANDLE file = INVALID_HANDLE_VALUE;
    bool marked = false;
};

namespace {

// The bytes that are locked lie far beyond any content, so that the content stays readable by
// others (a locked range cannot be read on Windows): the first is the lock, the next marks the
// content as the holder's own.
constexpr DWORD kLockedByteHigh = 0x7fffffff;
constexpr DWORD kLockByte = 0;
constexpr DWORD kContentMarkByte = 1;

HANDLE openLockFile(const std::filesystem::path& file, DWORD disposition) {
    return CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool lockByte(HANDLE file, DWORD flags, DWORD byte = kLockByte) {
    OVERLAPPED at{};
    at.Offset = byte;
    at.OffsetHigh = kLockedByteHigh;
    return LockFileEx(file, flags | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

void unlockByte(HANDLE file, DWORD byte = kLockByte) {
    OVERLAPPED at{};
    at.Offset = byte;
    at.OffsetHigh = kLockedByteHigh;
    UnlockFileEx(file, 0, 1, 0, &at);
}

// Whether another holds the byte: a shared lock on it is refused.
bool byteHeld(const std::filesystem::path& path, DWORD byte) {
    HANDLE handle = openLockFile(path, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool free = lockByte(handle, 0, byte);
    if (free) unlockByte(handle, byte);
    CloseHandle(handle);
    return !free;
}

// Takes the content's mark. A look (isFileContentCurrent) holds the mark byte for a moment with
// its shared test lock, so the holder tries again for up to about a second before it fails.
bool markContent(HANDLE file) {
    constexpr int kAttempts = 200;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (lockByte(file, LOCKFILE_EXCLUSIVE_LOCK, kContentMarkByte)) return true;
        if (GetLastError() != ERROR_LOCK_VIOLATION) return false;
        Sleep(5);
    }
    return false;
}

}  // namespace

std::unique_ptr<FileLock> FileLock::tryTake(const std::filesystem::path& file) {
    HANDLE handle = openLockFile(file, OPEN_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE)
        throw fileError("Не удалось открыть файл", file,
                        std::error_code(int(GetLastError()), std::system_category()));
    if (!lockByte(handle, LOCKFILE_EXCLUSIVE_LOCK)) {
        CloseHandle(handle);
        return nullptr;
    }
    auto held = std::make_unique<Handle>();
    held->file = handle;
    return std::unique_ptr<FileLock>(new FileLock(std::move(held), file));
}

FileLock::~FileLock() { CloseHandle(handle_->file); }

void FileLock::replaceContent(std::string_view bytes) {
    if (handle_->marked) unlockByte(handle_->file, kContentMarkByte);
    handle_->marked = false;
    DWORD written = 0;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(handle_->file, start, nullptr, FILE_BEGIN) ||
        !WriteFile(handle_->file, bytes.data(), DWORD(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !SetEndOfFile(handle_->file) || !markContent(handle_->file))
        throw fileError("Не удалось записать файл", file_,
                        std::error_code(int(GetLastError()), std::system_category()));
    handle_->marked = true;
}

bool isFileLocked(const std::filesystem::path& file) { return byteHeld(file, kLockByte); }

bool isFileContentCurrent(const std::filesystem::path& file) {
    return byteHeld(file, kContentMarkByte);
}

#else

struct FileLock::Handle {
    int fd = -1;
};

std::unique_ptr<FileLock> FileLock::tryTake(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw fileErrorFromErrno("Не удалось открыть файл", file, errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return nullptr;
        throw fileErrorFromErrno("Не удалось запереть файл", file, error);
    }
    auto held = std::make_unique<Handle>();
    held->fd = fd;
    return std::unique_ptr<FileLock>(new FileLock(std::move(held), file));
}

FileLock::~FileLock() { ::close(handle_->fd); }

namespace {

// The content's mark is a lock of the open file on its first byte (fcntl's OFD lock: it belongs
// to the open file as flock's does, and the two kinds do not meet, so the flock stays the lock).
struct flock contentMark(short type) {
    struct flock mark {};
    mark.l_type = type;
    mark.l_whence = SEEK_SET;
    mark.l_start = 0;
    mark.l_len = 1;
    return mark;
}

}  // namespace

void FileLock::replaceContent(std::string_view bytes) {
    struct flock unmark = contentMark(F_UNLCK);
    struct flock mark = contentMark(F_WRLCK);
    if (::fcntl(handle_->fd, F_OFD_SETLK, &unmark) != 0 || ::ftruncate(handle_->fd, 0) != 0 ||
        ::pwrite(handle_->fd, bytes.data(), bytes.size(), 0) != ssize_t(bytes.size()) ||
        ::fcntl(handle_->fd, F_OFD_SETLK, &mark) != 0)
        throw fileErrorFromErrno("Не удалось записать файл", file_, errno);
}

bool isFileLocked(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // A shared lock is refused exactly while someone holds the exclusive one.
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

bool isFileContentCurrent(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock mark = contentMark(F_WRLCK);
    const bool marked = ::fcntl(fd, F_OFD_GETLK, &mark) == 0 && mark.l_type != F_UNLCK;
    ::close(fd);
    return marked;
}

#endif

FileLock::FileLock(std::unique_ptr<Handle> handle, std::filesystem::path file)
    : handle_(std::move(handle)), file_(std::move(file)) {}

}  // namespace qz7

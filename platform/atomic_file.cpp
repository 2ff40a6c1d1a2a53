#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <utility>

#include "platform/readable_text.h"
#include "platform/system_error_text.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/owner_only_access_windows.h"
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

using Produce = std::function<void(const ByteSink&)>;

// Gathers the pieces of a file into large blocks and hands each block to the writing call; the
// injected full disk lets only its number of bytes through. The first failure ends the writing.
class BlockWriter {
  public:
    using Write = std::function<std::error_code(std::string_view)>;
    BlockWriter(Write write, std::error_code diskFull)
        : write_(std::move(write)), diskFull_(diskFull) {}

    void add(std::string_view piece) {
        if (buffer_.size() + piece.size() > kBlock) flush();
        if (piece.size() >= kBlock)
            pass(piece);
        else
            buffer_.append(piece);
    }

    std::error_code finish() {
        flush();
        return error_;
    }

  private:
    static constexpr std::size_t kBlock = std::size_t(1) << 20;

    void flush() {
        pass(buffer_);
        buffer_.clear();
    }

    void pass(std::string_view bytes) {
        if (error_ || bytes.empty()) return;
        const std::size_t room = injectedFailure
                                     ? *injectedFailure - std::min(*injectedFailure, written_)
                                     : bytes.size();
        const bool injected = room < bytes.size();
        if (injected) bytes = bytes.substr(0, room);
        if (!bytes.empty()) error_ = write_(bytes);
        written_ += bytes.size();
        if (!error_ && injected) error_ = diskFull_;
    }

    Write write_;
    std::error_code diskFull_;
    std::string buffer_;
    std::size_t written_ = 0;
    std::error_code error_;
};

FileError changedMeanwhile(const fs::path& file, bool written) {
    return FileError(std::string(kCannotWrite) + " " + textFromPath(file) +
                         (written ? ": другая программа изменила файл во время записи"
                                  : ": другая программа изменила файл, запись не сделана"),
                     {}, file);
}

#ifdef _WIN32

std::error_code lastError() { return std::error_code(int(GetLastError()), std::system_category()); }

// How long a replace or rename waits between tries while another program has the file open.
constexpr std::chrono::milliseconds kReaderPause{10};

// Whether a replace or rename failed because another program has the file open.
bool heldByAReader(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_LOCK_VIOLATION;
}

// Creates the temporary file for this writer alone. It is opened without sharing, so a writer of
// the same file running meanwhile can neither open nor delete it; one that a killed writer left
// behind is deleted.
HANDLE createTemporary(const fs::path& temporary, const fs::path& target,
                       SECURITY_ATTRIBUTES* security) {
    for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, security, CREATE_NEW,
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

std::error_code writeAll(HANDLE file, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        DWORD chunk = 0;
        const DWORD ask = DWORD(std::min<std::size_t>(bytes.size() - written, 1u << 30));
        if (!WriteFile(file, bytes.data() + written, ask, &chunk, nullptr)) return lastError();
        written += chunk;
    }
    return {};
}

void writeAndReplace(const fs::path& target, const fs::path& temporary, const Produce& produce,
                     FileAccess access) {
    std::optional<OwnerOnlySecurity> ownerOnly;
    if (access == FileAccess::OwnerOnly) {
        ownerOnly.emplace();
        if (ownerOnly->error() != ERROR_SUCCESS)
            throw fileError(kCannotCreate, target,
                            std::error_code(int(ownerOnly->error()), std::system_category()));
    }
    HANDLE file = createTemporary(temporary, target, ownerOnly ? ownerOnly->attributes() : nullptr);
    BlockWriter writer([file](std::string_view bytes) { return writeAll(file, bytes); },
                       std::error_code(ERROR_DISK_FULL, std::system_category()));
    try {
        produce([&writer](std::string_view piece) { writer.add(piece); });
    } catch (...) {
        CloseHandle(file);
        DeleteFileW(temporary.c_str());
        throw;
    }
    std::error_code failure = writer.finish();
    if (!failure && !FlushFileBuffers(file)) failure = lastError();
    if (!CloseHandle(file) && !failure) failure = lastError();
    if (failure) {
        DeleteFileW(temporary.c_str());
        throw fileError(kCannotWrite, target, failure);
    }
    // ReplaceFileW carries the old file's attributes, access lists and streams over. A reader
    // that opened the target without sharing its deletion blocks the replace until it is done:
    // the replace is tried again for a while.
    bool replaced = false;
    for (int attempt = 0; !replaced && attempt < kBusyRetries; ++attempt) {
        replaced = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES
                       ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                      REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                       : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
        if (!replaced && !heldByAReader(GetLastError())) break;
        if (!replaced) std::this_thread::sleep_for(kReaderPause);
    }
    if (!replaced) {
        const std::error_code error = lastError();
        DeleteFileW(temporary.c_str());
        throw fileError(kCannotReplace, target, error);
    }
}

// The file open for writing and what it looked like when opened.
class UnitWriter {
  public:
    explicit UnitWriter(const fs::path& file) : file_(file) {
        handle_ = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE)
            throw fileError("Не удалось открыть файл", file, lastError());
        if (!GetFileInformationByHandle(handle_, &looked_)) {
            const std::error_code error = lastError();
            CloseHandle(handle_);
            throw fileError("Не удалось прочитать размер файла", file, error);
        }
    }
    ~UnitWriter() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }

    std::uint64_t size() const { return sizeOf(looked_); }

    // Whether the name still leads to the file opened and the file has this size.
    bool unchanged(std::uint64_t size) const {
        BY_HANDLE_FILE_INFORMATION now{};
        BY_HANDLE_FILE_INFORMATION named{};
        HANDLE byName =
            CreateFileW(file_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (byName == INVALID_HANDLE_VALUE) return false;
        const bool namedRead = GetFileInformationByHandle(byName, &named);
        CloseHandle(byName);
        return namedRead && GetFileInformationByHandle(handle_, &now) &&
               named.dwVolumeSerialNumber == looked_.dwVolumeSerialNumber &&
               named.nFileIndexHigh == looked_.nFileIndexHigh &&
               named.nFileIndexLow == looked_.nFileIndexLow && sizeOf(now) == size;
    }

    std::error_code writeAt(std::uint64_t offset, std::string_view bytes) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset & 0xFFFFFFFFu);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD written = 0;
        std::error_code error;
        if (!WriteFile(handle_, bytes.data(), DWORD(bytes.size()), &written, &at))
            error = lastError();
        else if (written != bytes.size())
            error = std::error_code(ERROR_DISK_FULL, std::system_category());
        if (error) {
            // What part of the bytes went in is cut off again; the readers ignore it anyway.
            LARGE_INTEGER end{};
            end.QuadPart = LONGLONG(offset);
            if (SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN)) SetEndOfFile(handle_);
            return error;
        }
        if (!FlushFileBuffers(handle_)) return lastError();
        return {};
    }

    std::error_code close() {
        const bool closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed ? std::error_code() : lastError();
    }

  private:
    static std::uint64_t sizeOf(const BY_HANDLE_FILE_INFORMATION& information) {
        return (std::uint64_t(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    }

    fs::path file_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    BY_HANDLE_FILE_INFORMATION looked_{};
};

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

std::error_code errnoCode(int error) { return std::error_code(error, std::generic_category()); }

std::error_code writeAll(int descriptor, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t chunk = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (chunk < 0 && errno == EINTR) continue;
        if (chunk < 0) return errnoCode(errno);
        written += std::size_t(chunk);
    }
    return {};
}

// Gives the new file the old one's owner, group and permission bits, as far as the process may.
void keepOwnerAndMode(int descriptor, const struct stat& old, FileAccess access) {
    if (::fchown(descriptor, old.st_uid, old.st_gid) != 0 &&
        ::fchown(descriptor, uid_t(-1), old.st_gid) != 0) {
        // Neither may be given away by this user: the new file stays the writer's own.
    }
    // After the change of owner, which clears the set-user and set-group bits.
    ::fchmod(descriptor, access == FileAccess::OwnerOnly ? 0600 : old.st_mode & 07777);
}

void writeAndReplace(const fs::path& target, const fs::path& temporary, const Produce& produce,
                     FileAccess access) {
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    const bool ownerOnly = access == FileAccess::OwnerOnly;
    // A new file gets the usual mode through the umask; a replaced one is private until it has
    // the old file's mode, so a store of passwords is never readable by others on the way.
    Temporary file = createTemporary(temporary, target, existed || ownerOnly ? 0600 : 0666);
    BlockWriter writer([&file](std::string_view bytes) { return writeAll(file.writing, bytes); },
                       errnoCode(ENOSPC));
    try {
        produce([&writer](std::string_view piece) { writer.add(piece); });
    } catch (...) {
        ::close(file.writing);
        ::unlink(temporary.c_str());
        ::close(file.locking);
        throw;
    }
    std::error_code error = writer.finish();
    if (!error && existed) keepOwnerAndMode(file.writing, old, access);
    // The umask could only have taken bits away; whatever it was, the file is the owner's alone.
    if (!error && ownerOnly && ::fchmod(file.writing, 0600) != 0) error = errnoCode(errno);
    if (!error && ::fsync(file.writing) != 0) error = errnoCode(errno);
    if (::close(file.writing) != 0 && !error) error = errnoCode(errno);
    if (!error && std::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        ::close(file.locking);
        throw fileErrorFromErrno(kCannotReplace, target, renameError);
    }
    if (error) ::unlink(temporary.c_str());
    ::close(file.locking);
    if (error) throw fileError(kCannotWrite, target, error);
    // Make the rename itself durable; the new content is in place whatever this says.
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (folderDescriptor >= 0) {
        ::fsync(folderDescriptor);
        ::close(folderDescriptor);
    }
}

// The file open for writing and what it looked like when opened.
class UnitWriter {
  public:
    explicit UnitWriter(const fs::path& file) : file_(file) {
        descriptor_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (descriptor_ < 0) throw fileErrorFromErrno("Не удалось открыть файл", file, errno);
        if (::fstat(descriptor_, &looked_) != 0) {
            const int error = errno;
            ::close(descriptor_);
            throw fileErrorFromErrno("Не удалось прочитать размер файла", file, error);
        }
    }
    ~UnitWriter() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }

    std::uint64_t size() const { return std::uint64_t(looked_.st_size); }

    // Whether the name still leads to the file opened and the file has this size.
    bool unchanged(std::uint64_t size) const {
        struct stat now {};
        struct stat named {};
        return ::fstat(descriptor_, &now) == 0 && ::stat(file_.c_str(), &named) == 0 &&
               named.st_dev == looked_.st_dev && named.st_ino == looked_.st_ino &&
               std::uint64_t(now.st_size) == size;
    }

    std::error_code writeAt(std::uint64_t offset, std::string_view bytes) {
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t chunk = ::pwrite(descriptor_, bytes.data() + written,
                                           bytes.size() - written, off_t(offset + written));
            if (chunk < 0 && errno == EINTR) continue;
            if (chunk < 0) {
                const int error = errno;
                // What part of the bytes went in is cut off again; the readers ignore it anyway.
                if (::ftruncate(descriptor_, off_t(offset)) != 0) {
                }
                return errnoCode(error);
            }
            written += std::size_t(chunk);
        }
        if (::fsync(descriptor_) != 0) return errnoCode(errno);
        return {};
    }

    std::error_code close() {
        const int result = ::close(descriptor_);
        descriptor_ = -1;
        return result != 0 ? errnoCode(errno) : std::error_code();
    }

  private:
    fs::path file_;
    int descriptor_ = -1;
    struct stat looked_ {};
};

#endif

}  // namespace

FileError::FileError(const std::string& text, std::error_code code, std::filesystem::path file)
    : std::system_error(code, text), text_(text), file_(std::move(file)) {}

FileError fileError(const std::string& what, const std::filesystem::path& file,
                    std::error_code code) {
    return FileError(what + " " + textFromPath(file) + ": " + systemErrorText(code), code, file);
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

void writeFileAtomically(const std::filesystem::path& target, const Produce& produce,
                         FileAccess access) {
    // A rename would replace a write-protected file without asking (Windows refuses, wine and
    // POSIX do not); the user protected it, so it stays as it is on every system.
    refuseWriteProtected(target);
    // Replacing the link itself would cut it from the file it stands for.
    const fs::path file = followSymbolicLinks(target);
    // A folder where the file should be stays as it is (wine's ReplaceFileW would replace it).
    std::error_code statusError;
    if (fs::is_directory(file, statusError))
        throw fileErrorFromErrno(kCannotReplace, target, EISDIR);
    writeAndReplace(file, temporaryBeside(file), produce, access);
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         FileAccess access) {
    writeFileAtomically(
        target, [bytes](const ByteSink& sink) { sink(bytes); }, access);
}

std::uint64_t writeAtUnitBoundary(const std::filesystem::path& file, std::string_view bytes,
                                  std::size_t unit) {
    UnitWriter writer(file);
    const std::uint64_t offset = writer.size() - writer.size() % unit;
    if (!writer.unchanged(writer.size())) throw changedMeanwhile(file, false);
    std::error_code error = writer.writeAt(offset, bytes);
    const bool unchanged = error || writer.unchanged(offset + bytes.size());
    const std::error_code closeError = writer.close();
    if (!error) error = closeError;
    if (error) throw fileError(kCannotWrite, file, error);
    if (!unchanged) throw changedMeanwhile(file, true);
    return offset;
}

namespace {

using OpenFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

OpenFile openForReading(const fs::path& file) {
    if (!injectedReadFailureFile.empty() && file == injectedReadFailureFile)
        throw fileErrorFromErrno("Не удалось открыть файл", file, injectedReadFailure);
#ifdef _WIN32
    // Shared for writing and deletion, so that a writer's atomic replace or a log's rotation
    // succeeds while this reads.
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw fileError("Не удалось открыть файл", file, lastError());
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
    if (descriptor < 0) {
        CloseHandle(handle);
        throw fileErrorFromErrno("Не удалось открыть файл", file, errno);
    }
    OpenFile in(_fdopen(descriptor, "rb"), &std::fclose);
    if (in == nullptr) _close(descriptor);
#else
    OpenFile in(std::fopen(file.c_str(), "rb"), &std::fclose);
#endif
    if (in == nullptr) throw fileErrorFromErrno("Не удалось открыть файл", file, errno);
    errno = 0;
    return in;
}

void failOnReadError(std::FILE* in, const fs::path& file) {
    if (std::ferror(in))
        throw fileErrorFromErrno("Не удалось прочитать файл", file, errno != 0 ? errno : EIO);
}

}  // namespace

void readFileInBlocks(const std::filesystem::path& file,
                      const std::function<void(std::string_view)>& each, std::size_t blockSize) {
    const OpenFile in = openForReading(file);
    // In large blocks: a character-by-character read costs more than the file system itself.
    std::string block(std::max<std::size_t>(blockSize, 1), '\0');
    std::size_t got = 0;
    while ((got = std::fread(block.data(), 1, block.size(), in.get())) > 0)
        each(std::string_view(block.data(), got));
    failOnReadError(in.get(), file);
}

std::string readFilePart(const std::filesystem::path& file, std::uint64_t offset,
                         std::size_t size) {
    const OpenFile in = openForReading(file);
#ifdef _WIN32
    const bool positioned = offset <= std::uint64_t(INT64_MAX) &&
                            _fseeki64(in.get(), static_cast<long long>(offset), SEEK_SET) == 0;
#else
    const bool positioned =
        offset <= std::uint64_t(INT64_MAX) && fseeko(in.get(), off_t(offset), SEEK_SET) == 0;
#endif
    if (!positioned) throw fileErrorFromErrno("Не удалось прочитать файл", file, errno);
    std::string bytes(size, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in.get()));
    failOnReadError(in.get(), file);
    return bytes;
}

std::error_code renameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
#ifdef _WIN32
    for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
        error = lastError();
        if (!heldByAReader(DWORD(error.value()))) break;
        std::this_thread::sleep_for(kReaderPause);
    }
#else
    if (std::rename(from.c_str(), to.c_str()) != 0)
        error = std::error_code(errno, std::generic_category());
#endif
    return error;
}

std::string readWholeFile(const std::filesystem::path& file) {
    std::string bytes;
    readFileInBlocks(file, [&bytes](std::string_view block) { bytes.append(block); });
    return bytes;
}

}  // namespace qz7

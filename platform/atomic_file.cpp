#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/game_paths.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace qz7 {

namespace {

std::optional<std::size_t> injectedFailure;

std::string describe(const std::string& what, const std::filesystem::path& file, int error) {
    return what + " " + utf8FromPath(file) + ": " + std::strerror(error);
}

std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    static std::mt19937_64 names{std::random_device{}()};
    std::filesystem::path name = target.filename();
    name += ".tmp" + std::to_string(names() % 1000000000ULL);
    return target.parent_path() / name;
}

void flushToDisk(std::FILE* file) {
#ifdef _WIN32
    _commit(_fileno(file));
#else
    ::fsync(fileno(file));
#endif
}

// Opens a file for binary writing that must not exist yet.
std::FILE* createNew(const std::filesystem::path& path) {
#ifdef _WIN32
    // The system C runtime (msvcrt) has no "x" mode for fopen; _O_EXCL is the same promise.
    int descriptor =
        _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) return nullptr;
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
        int error = errno;
        _close(descriptor);
        errno = error;
    }
    return file;
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

void renameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef _WIN32
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw FileError(describe("Не удалось заменить файл", to, EACCES));
#else
    if (std::rename(from.c_str(), to.c_str()) != 0)
        throw FileError(describe("Не удалось заменить файл", to, errno));
    // Make the rename itself durable.
    int folder = ::open(to.parent_path().empty() ? "." : to.parent_path().c_str(), O_RDONLY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
#endif
}

}  // namespace

void setAtomicWriteFailureForTesting(std::optional<std::size_t> failAfterBytes) {
    injectedFailure = failAfterBytes;
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    // A rename would replace a write-protected file without asking (Windows refuses, wine and
    // POSIX do not); the user protected it, so it stays as it is on every system.
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(target, statusError);
    if (!statusError && std::filesystem::is_regular_file(status) &&
        (status.permissions() & std::filesystem::perms::owner_write) ==
            std::filesystem::perms::none)
        throw FileError(describe("Не удалось записать файл", target, EACCES));

    const std::filesystem::path temporary = temporaryBeside(target);
    std::FILE* file = createNew(temporary);
    if (file == nullptr) throw FileError(describe("Не удалось создать файл", target, errno));

    std::size_t toWrite = bytes.size();
    bool injected = injectedFailure && *injectedFailure < toWrite;
    if (injected) toWrite = *injectedFailure;
    bool written = std::fwrite(bytes.data(), 1, toWrite, file) == toWrite && !injected;
    int error = injected ? ENOSPC : errno;
    written = written && std::fflush(file) == 0;
    if (written) flushToDisk(file);
    written = (std::fclose(file) == 0) && written;
    if (!written) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw FileError(describe("Не удалось записать файл", target, error));
    }
    try {
        renameOver(temporary, target);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw;
    }
}

std::string readWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw FileError(describe("Не удалось открыть файл", file, errno));
    // In large blocks: a character-by-character read costs more than the file system itself.
    std::string bytes;
    char block[65536];
    while (in.read(block, sizeof block) || in.gcount() > 0)
        bytes.append(block, std::size_t(in.gcount()));
    if (in.bad()) throw FileError(describe("Не удалось прочитать файл", file, errno));
    return bytes;
}

}  // namespace qz7

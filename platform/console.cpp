#include "platform/console.h"

#include <fcntl.h>

#include <cstdio>
#include <iostream>
#include <mutex>
#include <streambuf>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qz7 {

namespace {

#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
int duplicate(int fd) { return ::_dup(fd); }
int duplicateTo(int fd, int target) { return ::_dup2(fd, target); }
int closeFd(int fd) { return ::_close(fd); }
int openNull() { return ::_open(kNullDevice, _O_WRONLY); }
long writeFd(int fd, const char* bytes, std::size_t size) {
    return ::_write(fd, bytes, static_cast<unsigned>(size));
}
// Rewrites the file behind the descriptor from its start with content; false when it is no file.
bool rewriteFile(int fd, const std::string& content) {
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) return false;
    if (!SetFilePointerEx(handle, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) return false;
    DWORD written = 0;
    if (!content.empty() && (!WriteFile(handle, content.data(), static_cast<DWORD>(content.size()),
                                        &written, nullptr) ||
                             written != content.size()))
        return false;
    return SetEndOfFile(handle) != 0;
}
#else
int duplicate(int fd) { return ::fcntl(fd, F_DUPFD_CLOEXEC, 3); }
int duplicateTo(int fd, int target) { return ::dup2(fd, target); }
int closeFd(int fd) { return ::close(fd); }
int openNull() { return ::open("/dev/null", O_WRONLY | O_CLOEXEC); }
long writeFd(int fd, const char* bytes, std::size_t size) { return ::write(fd, bytes, size); }
bool rewriteFile(int fd, const std::string& content) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return false;
    if (::lseek(fd, 0, SEEK_SET) != 0) return false;
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t written = ::write(fd, content.data() + done, content.size() - done);
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return ::ftruncate(fd, static_cast<off_t>(content.size())) == 0;
}
#endif

// An unbuffered stream buffer that writes to a descriptor. What cannot be written is dropped, as
// standard error drops it, and the stream learns of it (its badbit), so that a program that
// writes for weeks can say that its output failed and clear the stream to go on.
class DescriptorBuffer : public std::streambuf {
  public:
    explicit DescriptorBuffer(int fd) : fd_(fd) {}

  protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        std::streamsize left = count;
        while (left > 0) {
            const long written = writeFd(fd_, bytes, static_cast<std::size_t>(left));
            if (written <= 0) break;
            bytes += written;
            left -= written;
        }
        return count - left;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

  private:
    int fd_;
};

std::mutex quietMutex;
int quietCount = 0;
int savedStderr = -1;
int programMessages = -1;  // the copy std::cerr writes to, once kept visible

}  // namespace

void useUtf8Console() {
#ifdef _WIN32
    // Without a console (output redirected to a file) these fail harmlessly.
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
#endif
}

void keepProgramMessagesVisible() {
    const int copy = duplicate(2);
    // Without a standard error there is nothing to keep.
    if (copy < 0) return;
    // Never destroyed: the standard streams are flushed at exit after the function's statics
    // have gone, and std::cerr must not write through a destroyed buffer then.
    static DescriptorBuffer* const buffer = new DescriptorBuffer(copy);
    std::cerr.rdbuf(buffer);
    programMessages = copy;
}

bool replaceProgramMessages(const std::string& content) {
    std::cerr.flush();
    return rewriteFile(programMessages >= 0 ? programMessages : 2, content);
}

QuietLibraryOutput::QuietLibraryOutput() {
    std::lock_guard<std::mutex> lock(quietMutex);
    if (quietCount++ > 0) return;
    std::fflush(stderr);
    savedStderr = duplicate(2);
    const int null = openNull();
    if (savedStderr >= 0 && null >= 0) duplicateTo(null, 2);
    if (null >= 0) closeFd(null);
}

QuietLibraryOutput::~QuietLibraryOutput() {
    std::lock_guard<std::mutex> lock(quietMutex);
    if (--quietCount > 0) return;
    std::fflush(stderr);
    if (savedStderr >= 0) {
        duplicateTo(savedStderr, 2);
        closeFd(savedStderr);
        savedStderr = -1;
    }
}

void minimiseConsoleWindow() {
#ifdef _WIN32
    if (HWND window = GetConsoleWindow()) ShowWindow(window, SW_MINIMIZE);
#endif
}

}  // namespace qz7

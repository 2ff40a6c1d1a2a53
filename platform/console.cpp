#include "platform/console.h"

#include <fcntl.h>

#include <cstdio>
#include <iostream>
#include <mutex>
#include <streambuf>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
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
#else
int duplicate(int fd) { return ::fcntl(fd, F_DUPFD_CLOEXEC, 3); }
int duplicateTo(int fd, int target) { return ::dup2(fd, target); }
int closeFd(int fd) { return ::close(fd); }
int openNull() { return ::open("/dev/null", O_WRONLY | O_CLOEXEC); }
long writeFd(int fd, const char* bytes, std::size_t size) { return ::write(fd, bytes, size); }
#endif

// An unbuffered stream buffer that writes to a descriptor; what cannot be written is dropped, as
// standard error drops it.
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
        return count;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        xsputn(&byte, 1);
        return c;
    }

  private:
    int fd_;
};

std::mutex quietMutex;
int quietCount = 0;
int savedStderr = -1;

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

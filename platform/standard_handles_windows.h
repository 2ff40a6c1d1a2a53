#pragma once

// Windows only: handing a started program its standard handles, and only those.

#include <windows.h>

#include <filesystem>
#include <vector>

namespace qz7 {

// A handle that a started program may inherit as one of its standard handles; INVALID_HANDLE_VALUE
// when the file cannot be opened (GetLastError says why). "NUL" is the null device.
HANDLE inheritableFile(const std::filesystem::path& file, DWORD access, DWORD disposition);

// Closes its handle when it goes.
class OwnedHandle {
  public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle();
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

// The start-up record of a program that gets the standard handles given (STARTF_USESTDHANDLES)
// and inherits none of this program's other handles: an attribute list names those alone, since
// CreateProcessW told to inherit would otherwise hand down every inheritable handle. Start the
// program with inheriting on and creationFlags() among its flags, while this lives.
class StandardHandlesStartup {
  public:
    StandardHandlesStartup(HANDLE input, HANDLE output, HANDLE error);
    ~StandardHandlesStartup();
    StandardHandlesStartup(const StandardHandlesStartup&) = delete;
    StandardHandlesStartup& operator=(const StandardHandlesStartup&) = delete;

    STARTUPINFOW& startup() { return startup_.StartupInfo; }
    // EXTENDED_STARTUPINFO_PRESENT when the list was made; 0 when the system refused it and the
    // program inherits every inheritable handle.
    DWORD creationFlags() const { return listed_ ? EXTENDED_STARTUPINFO_PRESENT : 0; }

  private:
    STARTUPINFOEXW startup_{};
    std::vector<HANDLE> inherited_;  // each once: the list refuses a handle named twice
    std::vector<unsigned char> listBytes_;
    bool listed_ = false;
};

}  // namespace qz7

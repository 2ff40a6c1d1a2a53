#pragma once

#include <windows.h>

#include <vector>

namespace qz7 {

// The security identifier of the user running the program; empty when it cannot be read.
std::vector<unsigned char> currentUserSid();

// A security descriptor whose access list lets the current user alone do everything, inherited
// from nothing: for files made for that user only, private from their creation on.
class OwnerOnlySecurity {
  public:
    OwnerOnlySecurity();
    ~OwnerOnlySecurity();
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    // ERROR_SUCCESS, or why the access list could not be made.
    DWORD error() const { return error_; }
    PACL accessList() const { return accessList_; }
    // For CreateFileW; nothing when the access list could not be made.
    SECURITY_ATTRIBUTES* attributes() { return error_ == ERROR_SUCCESS ? &attributes_ : nullptr; }

  private:
    std::vector<unsigned char> user_;
    PACL accessList_ = nullptr;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace qz7

#include "platform/owner_only_access_windows.h"

#include <aclapi.h>

namespace qz7 {

std::vector<unsigned char> currentUserSid() {
    HANDLE token = nullptr;
    std::vector<unsigned char> buffer;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return buffer;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (size && GetTokenInformation(token, TokenUser, user.data(), size, &size)) {
        const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
        buffer.assign(static_cast<unsigned char*>(sid),
                      static_cast<unsigned char*>(sid) + GetLengthSid(sid));
    }
    CloseHandle(token);
    return buffer;
}

OwnerOnlySecurity::OwnerOnlySecurity() : user_(currentUserSid()) {
    if (user_.empty()) {
        error_ = ERROR_NO_TOKEN;
        return;
    }
    // One entry: the current user may do everything; nothing is inherited from the folder.
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_USER;
    access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(user_.data());
    error_ = SetEntriesInAclW(1, &access, nullptr, &accessList_);
    if (error_ != ERROR_SUCCESS) return;
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor_, TRUE, accessList_, FALSE) ||
        !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
        error_ = GetLastError();
        return;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
}

OwnerOnlySecurity::~OwnerOnlySecurity() {
    if (accessList_) LocalFree(accessList_);
}

}  // namespace qz7

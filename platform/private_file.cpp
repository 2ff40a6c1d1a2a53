#include "platform/private_file.h"

#include <cerrno>
#include <cstdio>

#include "platform/atomic_file.h"
#include "platform/game_paths.h"

#ifdef _WIN32
#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/windows_text.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qz7 {

namespace {

constexpr const char* kCannotExamine = "Не удалось проверить права файла";
constexpr const char* kCannotCreate = "Не удалось создать файл";

#ifdef _WIN32

struct LocalFree_ {
    void operator()(void* memory) const { LocalFree(memory); }
};

// The security identifier of the user running the program.
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

std::string accountName(PSID sid) {
    wchar_t name[256], domain[256];
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use;
    if (LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
        return utf8FromWide(domainSize ? std::wstring(domain) + L"\\" + name : std::wstring(name));
    LPWSTR text = nullptr;
    if (ConvertSidToStringSidW(sid, &text)) {
        std::string result = utf8FromWide(text);
        LocalFree(text);
        return result;
    }
    return "?";
}

std::string icaclsHint(const std::filesystem::path& file) {
    return "; выполните icacls \"" + utf8FromPath(file) +
           "\" /inheritance:r /grant:r \"%USERNAME%:F\"";
}

#endif

}  // namespace

#ifdef _WIN32

std::optional<std::string> othersMayRead(const std::filesystem::path& file) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error =
        GetNamedSecurityInfoW(file.wstring().c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS)
        throw fileError(kCannotExamine, file, std::error_code(int(error), std::system_category()));
    std::unique_ptr<void, LocalFree_> release(descriptor);
    if (!dacl) return "файл может читать любой (у него нет списка доступа)" + icaclsHint(file);
    std::vector<unsigned char> user = currentUserSid();
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry)) continue;
        const auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (!(allowed->Mask & (FILE_READ_DATA | GENERIC_READ | GENERIC_ALL))) continue;
        const PSID sid = &allowed->SidStart;
        if ((owner && EqualSid(sid, owner)) || (!user.empty() && EqualSid(sid, user.data())) ||
            IsWellKnownSid(sid, WinLocalSystemSid) ||
            IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
            continue;
        return "файл может читать и " + accountName(sid) + icaclsHint(file);
    }
    return std::nullopt;
}

void writePrivateFile(const std::filesystem::path& file, std::string_view bytes) {
    std::vector<unsigned char> user = currentUserSid();
    if (!std::filesystem::exists(file)) {
        HANDLE created = CreateFileW(file.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            throw fileError(kCannotCreate, file,
                            std::error_code(int(GetLastError()), std::system_category()));
        if (created != INVALID_HANDLE_VALUE) CloseHandle(created);
    }
    // One entry: the current user may do everything; nothing is inherited from the folder.
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_USER;
    access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(user.data());
    PACL acl = nullptr;
    DWORD error = user.empty() ? ERROR_NO_TOKEN : SetEntriesInAclW(1, &access, nullptr, &acl);
    if (error == ERROR_SUCCESS) {
        std::wstring name = file.wstring();
        error =
            SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, acl, nullptr);
        LocalFree(acl);
    }
    if (error != ERROR_SUCCESS)
        throw fileError(kCannotCreate, file, std::error_code(int(error), std::system_category()));
    writeFileAtomically(file, bytes);
}

#else

std::optional<std::string> othersMayRead(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) throw fileErrorFromErrno(kCannotExamine, file, errno);
    if ((status.st_mode & 077) == 0) return std::nullopt;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", unsigned(status.st_mode & 07777));
    return std::string("права ") + mode +
           ": файл могут читать или менять не только его владелец; выполните chmod 600 " +
           utf8FromPath(file);
}

void writePrivateFile(const std::filesystem::path& file, std::string_view bytes) {
    const int created = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (created >= 0)
        ::close(created);
    else if (errno != EEXIST)
        throw fileErrorFromErrno(kCannotCreate, file, errno);
    // writeFileAtomically keeps the mode of the file it replaces.
    if (::chmod(file.c_str(), 0600) != 0) throw fileErrorFromErrno(kCannotCreate, file, errno);
    writeFileAtomically(file, bytes);
}

#endif

}  // namespace qz7

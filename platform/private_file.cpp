#include "platform/private_file.h"

#include <cerrno>
#include <cstdio>

#include "platform/atomic_file.h"
#include "platform/readable_text.h"

#ifdef _WIN32
#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/owner_only_access_windows.h"
#include "platform/windows_text.h"
#else
#include <sys/stat.h>
#endif

namespace qz7 {

namespace {

constexpr const char* kCannotExamine = "Не удалось проверить права файла";
constexpr const char* kCannotCreate = "Не удалось создать файл";

#ifdef _WIN32

struct LocalFree_ {
    void operator()(void* memory) const { LocalFree(memory); }
};

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
    return "; выполните icacls \"" + textFromPath(file) +
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
    OwnerOnlySecurity ownerOnly;
    DWORD error = ownerOnly.error();
    // The file there now is made private first: Windows' replace keeps its access list (wine's
    // keeps the new file's, which the write makes private from its creation).
    if (error == ERROR_SUCCESS && std::filesystem::exists(file)) {
        std::wstring name = file.wstring();
        error =
            SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, ownerOnly.accessList(), nullptr);
    }
    if (error != ERROR_SUCCESS)
        throw fileError(kCannotCreate, file, std::error_code(int(error), std::system_category()));
    writeFileAtomically(file, bytes, FileAccess::OwnerOnly);
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
           textFromPath(file);
}

void writePrivateFile(const std::filesystem::path& file, std::string_view bytes) {
    writeFileAtomically(file, bytes, FileAccess::OwnerOnly);
}

#endif

}  // namespace qz7

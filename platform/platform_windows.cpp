// The order matters: Windows Sockets 1.1 first, then windows.h, then the shell on top of it.
// clang-format off
#include <winsock.h>
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <chrono>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/windows_text.h"

namespace qz7 {

namespace {

// ShellExecute's own result codes at or below 32 that are not the system error of the same value.
std::string shellExecuteErrorText(INT_PTR code) {
    switch (code) {
        case 0:
            return "Недостаточно памяти или ресурсов";
        case SE_ERR_ASSOCINCOMPLETE:
        case SE_ERR_NOASSOC:
            return "С файлом не связана ни одна программа";
        case SE_ERR_DDETIMEOUT:
        case SE_ERR_DDEFAIL:
        case SE_ERR_DDEBUSY:
            return "Ошибка DDE";
        case SE_ERR_SHARE:
            return systemErrorText(ERROR_SHARING_VIOLATION);
        default:
            return systemErrorText(DWORD(code));
    }
}

std::chrono::system_clock::time_point timePointFromFileTime(const FILETIME& time) {
    // FILETIME counts 100-nanosecond steps since 1 January 1601 (UTC).
    constexpr std::int64_t stepsFrom1601To1970 = 116444736000000000LL;
    std::int64_t steps = (std::int64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>> sinceEpoch(steps -
                                                                              stepsFrom1601To1970);
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceEpoch));
}

class WindowsPlatform final : public Platform {
  public:
    StartResult startProgram(const std::filesystem::path& program,
                             const std::string& parameters) override {
        // No verb (the file's default action), the parameter text as it is, no working folder
        // (the program inherits ours), shown in its current size and position.
        std::wstring wideParameters = wideFromUtf8(parameters);
        HINSTANCE result = ShellExecuteW(nullptr, nullptr, program.c_str(), wideParameters.c_str(),
                                         nullptr, SW_SHOW);
        INT_PTR code = reinterpret_cast<INT_PTR>(result);
        if (code > 32) return {true, {}};
        return {false, shellExecuteErrorText(code)};
    }

    std::error_code copyFileOverwriting(const std::filesystem::path& from,
                                        const std::filesystem::path& to) override {
        if (CopyFileW(from.c_str(), to.c_str(), FALSE) != 0) return {};
        return std::error_code(static_cast<int>(GetLastError()), std::system_category());
    }

    std::optional<std::string> userName() override {
        // 255 characters, the terminating NUL included; a longer name is a failure.
        wchar_t name[255];
        DWORD size = 255;
        if (!GetUserNameW(name, &size) || size == 0) return std::nullopt;
        return utf8FromWide(name, size - 1);
    }

    std::string localIPv4Address() override {
        std::string result;
        WSADATA data;
        if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return result;
        char host[128] = {};
        if (gethostname(host, sizeof host) == 0) {
            const hostent* entry = gethostbyname(host);
            if (entry != nullptr && entry->h_addrtype == AF_INET && entry->h_addr_list != nullptr &&
                entry->h_addr_list[0] != nullptr) {
                in_addr address;
                std::memcpy(&address, entry->h_addr_list[0], sizeof address);
                if (const char* dotted = inet_ntoa(address)) result = dotted;
            }
        }
        WSACleanup();
        return result;
    }

    std::string fileVersion(const std::filesystem::path& file) override {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
        if (size == 0) return {};
        std::vector<unsigned char> record(size);
        if (!GetFileVersionInfoW(file.c_str(), 0, size, record.data())) return {};

        struct Translation {
            WORD language;
            WORD codePage;
        };
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
            value == nullptr || length < sizeof(Translation))
            return {};
        Translation first;
        std::memcpy(&first, value, sizeof first);

        wchar_t query[64];
        swprintf(query, 64, L"\\StringFileInfo\\%04X%04X\\FileVersion", first.language,
                 first.codePage);
        if (!VerQueryValueW(record.data(), query, &value, &length) || value == nullptr ||
            length == 0)
            return {};
        // The length counts characters and includes the terminating NUL when one is stored.
        const wchar_t* text = static_cast<const wchar_t*>(value);
        std::size_t characters = wcsnlen(text, length);
        return utf8FromWide(text, characters);
    }

    std::filesystem::path programFile() override {
        std::vector<wchar_t> buffer(MAX_PATH);
        for (int attempt = 0; attempt < 8; ++attempt) {
            DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
            if (length == 0) return {};
            if (length < buffer.size()) return std::filesystem::path(buffer.data());
            buffer.resize(buffer.size() * 2);
        }
        return {};
    }

    std::optional<std::chrono::system_clock::time_point> lastModified(
        const std::filesystem::path& file) override {
        WIN32_FILE_ATTRIBUTE_DATA attributes;
        if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &attributes))
            return std::nullopt;
        return timePointFromFileTime(attributes.ftLastWriteTime);
    }

    std::string dateSeparator() override {
        wchar_t separator[8] = {};
        if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, 8) <= 1) return "/";
        return utf8FromWide(std::wstring(separator));
    }
};

}  // namespace

Platform& systemPlatform() {
    static WindowsPlatform platform;
    return platform;
}

LocalDate localDate(std::chrono::system_clock::time_point time) {
    // The system's own time zone rules, as for every other date the user sees; the C runtime
    // would follow a TZ variable of the environment instead.
    using Steps = std::chrono::duration<long long, std::ratio<1, 10'000'000>>;
    constexpr long long stepsFrom1601To1970 = 116444736000000000LL;
    auto steps = static_cast<unsigned long long>(
        std::chrono::duration_cast<Steps>(time.time_since_epoch()).count() + stepsFrom1601To1970);
    FILETIME utc{DWORD(steps & 0xFFFFFFFFu), DWORD(steps >> 32)};
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&utc, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        local = universal;
    return {local.wDay, local.wMonth, local.wYear};
}

std::string machineName() {
    wchar_t name[256];
    DWORD size = 256;
    if (!GetComputerNameExW(ComputerNameDnsHostname, name, &size) || size == 0) return "?";
    return utf8FromWide(name, size);
}

}  // namespace qz7

// The Windows platform layer against the real system calls (run under wine here).
// Windows Sockets 2 before windows.h, which would otherwise bring in version 1.1.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format on

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/firewall.h"
#include "platform/platform.h"
#include "platform/version_label.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* designTimeCommandLine =
    "+set dedicated 1 +set sv_config server_mod.cfg  +set sv_hostname ^4~^1Host "
    "^3Rovazid^4~+set sv_maprotation Manual_MapRot  +start_map_rotate";

using testing::readBytes;
using testing::TemporaryFolder;
using testing::writeBytes;

std::wstring wide(const std::string& utf8) {
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), length);
    return text;
}

std::wstring readUtf16(const fs::path& file) {
    std::string bytes = readBytes(file).value_or("");
    std::wstring text(bytes.size() / 2, L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return text;
}

// Waits for a file that another process writes; bounded, so a launch that never happens fails
// the test instead of hanging it.
bool waitForFile(const fs::path& file) {
    for (int attempt = 0; attempt < 1800; ++attempt) {  // 90 seconds at most
        if (fs::exists(file)) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

fs::path recorderProgram() {
    return currentPlatform().programFile().parent_path() / "command_line_recorder.exe";
}

struct RecordedStart {
    std::wstring commandLine;
    std::wstring workingFolder;
};

// Launches a copy of the recorder under the given file name and returns what it recorded.
std::optional<RecordedStart> launchRecorder(const fs::path& launcher,
                                            const std::string& parameters) {
    fs::copy_file(recorderProgram(), launcher, fs::copy_options::overwrite_existing);
    StartResult result = currentPlatform().startProgram(launcher, parameters);
    EXPECT_TRUE(result.started) << result.error;
    EXPECT_EQ(result.error, "");
    fs::path commandLine = launcher;
    commandLine += ".command-line";
    fs::path workingFolder = launcher;
    workingFolder += ".working-folder";
    if (!waitForFile(commandLine)) return std::nullopt;
    return RecordedStart{readUtf16(commandLine), readUtf16(workingFolder)};
}

// The parameter part of a command line that starts with the program's own name, quoted or not.
std::wstring parametersOf(const std::wstring& commandLine) {
    std::size_t end;
    if (!commandLine.empty() && commandLine.front() == L'"')
        end = commandLine.find(L'"', 1) + 1;
    else
        end = commandLine.find(L' ');
    if (end == std::wstring::npos || end >= commandLine.size()) return {};
    // One blank separates the program from its parameters.
    return commandLine.substr(end + 1);
}

// Runs a test body with the process's current folder set to the given folder.
class CurrentFolderScope {
  public:
    explicit CurrentFolderScope(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~CurrentFolderScope() { fs::current_path(previous_); }

  private:
    fs::path previous_;
};

TEST(WindowsStartProgram, HandsTheParameterTextOverUnchanged) {
    TemporaryFolder game;
    const fs::path launcher = game.path() / "TeknoQZ7_Server_Launcher.exe";
    std::optional<RecordedStart> recorded = launchRecorder(launcher, designTimeCommandLine);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(parametersOf(recorded->commandLine), wide(designTimeCommandLine));
}

TEST(WindowsStartProgram, KeepsQuotesCyrillicAndTrailingBlanks) {
    TemporaryFolder game;
    fs::path folder = game.path() / "Steel Horizon игра";
    fs::create_directories(folder);
    const fs::path launcher = folder / "TeknoQZ7_Client_Launcher.exe";
    const std::string parameters = "+set name \"Игрок  один\"   +connect 127.0.0.1  ";
    std::optional<RecordedStart> recorded = launchRecorder(launcher, parameters);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(parametersOf(recorded->commandLine), wide(parameters));
    // The program's full path leads the command line, quoted because it holds blanks.
    EXPECT_EQ(recorded->commandLine.rfind(L"\"" + launcher.wstring() + L"\"", 0), 0u)
        << "command line: " << fs::path(recorded->commandLine).string();
}

TEST(WindowsStartProgram, EmptyParameterTextGivesNoParameters) {
    TemporaryFolder game;
    std::optional<RecordedStart> recorded =
        launchRecorder(game.path() / "TeknoQZ7_Server_Launcher.exe", "");
    ASSERT_TRUE(recorded);
    std::wstring parameters = parametersOf(recorded->commandLine);
    EXPECT_EQ(parameters.find_first_not_of(L' '), std::wstring::npos);
}

TEST(WindowsStartProgram, ProgramInheritsTheCurrentFolder) {
    TemporaryFolder game;
    CurrentFolderScope scope(game.path());
    std::optional<RecordedStart> recorded =
        launchRecorder(game.path() / "TeknoQZ7_Server_Launcher.exe", "+set dedicated 1");
    ASSERT_TRUE(recorded);
    EXPECT_TRUE(fs::equivalent(fs::path(recorded->workingFolder), game.path()))
        << fs::path(recorded->workingFolder).string();
}

TEST(WindowsStartProgram, MissingProgramIsReportedWithAText) {
    TemporaryFolder game;
    StartResult result =
        currentPlatform().startProgram(game.path() / "TeknoQZ7_Server_Launcher.exe", "+x");
    EXPECT_FALSE(result.started);
    EXPECT_FALSE(result.error.empty());
}

TEST(WindowsCopyFile, ReplacesAnExistingLongerTargetExactly) {
    TemporaryFolder folder;
    const fs::path from = folder.path() / "profile.ini";
    const fs::path to = folder.path() / "teknogods.ini";
    const std::string profile("[Settings]\r\nName=\xC8\xE3\xF0\xEE\xEA\r\n\0tail\x1A", 30);
    writeBytes(from, profile);
    writeBytes(to, std::string(4096, 'x'));
    EXPECT_EQ(currentPlatform().copyFileOverwriting(from, to), std::error_code());
    EXPECT_EQ(readBytes(to), profile);
    EXPECT_EQ(readBytes(from), profile);
}

TEST(WindowsCopyFile, MissingSourceFailsAndLeavesTheTarget) {
    TemporaryFolder folder;
    const fs::path to = folder.path() / "teknogods.ini";
    writeBytes(to, "old");
    EXPECT_EQ(currentPlatform().copyFileOverwriting(folder.path() / "absent.ini", to).value(),
              static_cast<int>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(readBytes(to), "old");
}

TEST(WindowsUserName, IsTheLoggedOnUser) {
    std::optional<std::string> name = currentPlatform().userName();
    ASSERT_TRUE(name);
    ASSERT_FALSE(name->empty());
    EXPECT_EQ(name->find('\0'), std::string::npos);
    wchar_t expected[256] = {};
    DWORD length = GetEnvironmentVariableW(L"USERNAME", expected, 256);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(wide(*name), std::wstring(expected, length));
}

TEST(WindowsLocalAddress, IsDottedIPv4) {
    std::string address = currentPlatform().localIPv4Address();
    ASSERT_FALSE(address.empty());
    in_addr parsed{};
    ASSERT_EQ(inet_pton(AF_INET, address.c_str(), &parsed), 1) << address;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &parsed, text, sizeof text);
    EXPECT_EQ(address, text);
    // Every look-up starts and cleans up Windows Sockets on its own, so repeating it works.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(currentPlatform().localIPv4Address(), address);
}

TEST(WindowsFileVersion, OwnRecordGivesTheProgramsFileVersion) {
    EXPECT_EQ(currentPlatform().fileVersion(currentPlatform().programFile()), QZ7_FILE_VERSION);
}

// The record itself, read without the platform layer: Russian, Cyrillic code page, the product
// version beside the file version, and the fixed part carrying the same numbers.
TEST(WindowsFileVersion, OwnRecordIsRussianWithCyrillicCodePage) {
    const std::wstring self = currentPlatform().programFile().wstring();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(self.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> record(size);
    ASSERT_TRUE(GetFileVersionInfoW(self.c_str(), 0, size, record.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* translation = static_cast<const unsigned char*>(value);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(translation), 4),
              std::string("\x19\x04\xE3\x04", 4));

    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\StringFileInfo\\041904E3\\ProductVersion", &value,
                               &length));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), wide(QZ7_PRODUCT_VERSION));

    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                  std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                  std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                  std::to_string(LOWORD(fixed->dwFileVersionLS)),
              QZ7_FILE_VERSION);
}

TEST(WindowsFileVersion, FollowsTheFirstTranslationOfTheRecord) {
    // The recorder's translation table names English/Unicode; it also holds a Russian string
    // table that must not be read.
    EXPECT_EQ(currentPlatform().fileVersion(recorderProgram()), "9.8.7.6");
}

TEST(WindowsFileVersion, FilesWithoutARecordGiveEmpty) {
    TemporaryFolder folder;
    const fs::path text = folder.path() / "plain.txt";
    writeBytes(text, "no version here");
    EXPECT_EQ(currentPlatform().fileVersion(text), "");
    EXPECT_EQ(currentPlatform().fileVersion(folder.path() / "absent.exe"), "");
}

TEST(WindowsProgramFile, IsThisTestProgram) {
    fs::path self = currentPlatform().programFile();
    EXPECT_TRUE(self.is_absolute());
    EXPECT_EQ(self.filename(), "qz7_windows_platform_tests.exe");
    EXPECT_TRUE(fs::is_regular_file(self));
}

// Sets a file's last write time through the system, independent of the code under test.
void setWriteTime(const fs::path& file, const FILETIME& time) {
    HANDLE handle = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(handle, nullptr, nullptr, &time));
    CloseHandle(handle);
}

TEST(WindowsLastModified, GivesTheFilesWriteTime) {
    TemporaryFolder folder;
    const fs::path file = folder.path() / "dated.exe";
    writeBytes(file, "MZ");
    // 5 March 2014, 12:34:56 UTC as a FILETIME: 100-nanosecond steps since 1601.
    const std::uint64_t steps = 130384964960000000ULL;
    setWriteTime(file, FILETIME{DWORD(steps & 0xFFFFFFFFu), DWORD(steps >> 32)});

    std::optional<std::chrono::system_clock::time_point> modified =
        currentPlatform().lastModified(file);
    ASSERT_TRUE(modified);
    using namespace std::chrono;
    EXPECT_EQ(*modified, sys_days{2014y / March / 5} + 12h + 34min + 56s);
    EXPECT_FALSE(currentPlatform().lastModified(folder.path() / "absent.exe"));
}

TEST(WindowsVersionLabel, ShowsTheRecordsVersionAndTheFilesLocalDate) {
    // A copy of this program carries the same version record; its date is set to noon of
    // 5 March 2014, local time.
    TemporaryFolder folder;
    const fs::path program = folder.path() / "QZ7ServerSetup.exe";
    fs::copy_file(currentPlatform().programFile(), program);
    SYSTEMTIME localNoon{2014, 3, 0, 5, 12, 0, 0, 0};
    SYSTEMTIME utcNoon;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &localNoon, &utcNoon));
    FILETIME time;
    ASSERT_TRUE(SystemTimeToFileTime(&utcNoon, &time));
    setWriteTime(program, time);

    wchar_t separator[8] = {};
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, 8), 1);
    const std::wstring expected =
        L"Property Rovazid v1.2.1.54 05" + std::wstring(separator) + L"03" + separator + L"14";
    EXPECT_EQ(wide(versionLabelText("Property Rovazid", program, currentPlatform())), expected);
}

// Wine has no elevation prompt: the "runas" verb starts the program as it is. On Windows the
// same calls would show the prompt, so these run under wine only.
bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TEST(WindowsFirewall, ListsTheRulesOrSaysWhyNot) {
    const FirewallListing listing = systemFirewall().listRules();
    if (runningUnderWine()) {
        // Wine's rule collection cannot be enumerated.
        EXPECT_FALSE(listing.read);
        EXPECT_NE(listing.error.find("0x80004001"), std::string::npos) << listing.error;
    } else {
        EXPECT_TRUE(listing.read) << listing.error;
        EXPECT_FALSE(listing.rules.empty());  // Windows comes with hundreds of its own
    }
}

TEST(WindowsElevatedRun, HandsTheParametersOverWaitsAndBringsBackTheExitStatus) {
    if (!runningUnderWine()) GTEST_SKIP() << "on Windows this would show the elevation prompt";
    TemporaryFolder folder;
    const fs::path helper = folder.path() / "qz7ctl.exe";
    fs::copy_file(recorderProgram(), helper);
    const ElevatedRun run = systemFirewall().runElevated(helper, "firewall open --no-prompt", 0);
    EXPECT_EQ(run.outcome, ElevatedRun::Outcome::Finished) << run.error;
    EXPECT_EQ(run.exitCode, 0);
    // Waited for: its record is complete when the call returns.
    fs::path commandLine = helper;
    commandLine += ".command-line";
    ASSERT_TRUE(fs::exists(commandLine));
    EXPECT_EQ(parametersOf(readUtf16(commandLine)), L"firewall open --no-prompt");

    const ElevatedRun failing = systemFirewall().runElevated("cmd.exe", "/c exit 3", 0);
    EXPECT_EQ(failing.outcome, ElevatedRun::Outcome::Finished) << failing.error;
    EXPECT_EQ(failing.exitCode, 3);

    const ElevatedRun missing =
        systemFirewall().runElevated(folder.path() / "absent.exe", "firewall open", 0);
    EXPECT_EQ(missing.outcome, ElevatedRun::Outcome::Failed);
    EXPECT_FALSE(missing.error.empty());
}

}  // namespace
}  // namespace qz7

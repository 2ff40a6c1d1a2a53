// The Windows side of service entries and alert files against the real system calls (under wine
// when cross-built): the user's Run key, the Task Scheduler, and files only their owner may read.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <random>

#include "platform/game_paths.h"
#include "platform/private_file.h"
#include "platform/service_host.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

std::string uniqueName() {
    std::random_device random;
    return "qz7-serve-test-" + std::to_string(random());
}

TEST(WindowsRunKey, ValueIsWrittenFoundAndDeleted) {
    const std::string name = uniqueName();
    const std::string command =
        "\"C:\\Program Files\\QZ7\\qz7ctl.exe\" --game-dir \"C:\\Игры\\QZ7\" serve \"Турнир\" "
        "--minimized";
    ASSERT_EQ(setRunValue(name, command), std::nullopt);
    const auto values = runValuesStartingWith(name);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].first, name);
    EXPECT_EQ(values[0].second, command);
    EXPECT_TRUE(runValuesStartingWith("qz7-serve-none-").empty());
    EXPECT_TRUE(deleteRunValue(name));
    EXPECT_TRUE(runValuesStartingWith(name).empty());
    EXPECT_FALSE(deleteRunValue(name));
}

TEST(WindowsRunKey, CurrentUserIdNamesDomainAndUser) {
    const std::string user = currentUserId();
    EXPECT_NE(user.find('\\'), std::string::npos) << user;
}

TEST(WindowsPrivateFile, IsReadableByItsOwnerAloneAndAGrantToEveryoneIsFound) {
    testing::TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / pathFromUtf8("адреса.txt");
    writePrivateFile(file, "https://example.org/hook\n");
    EXPECT_EQ(othersMayRead(file), std::nullopt);

    // Everyone may read: the check names them and says how to fix it.
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = GENERIC_READ;
    access.grfAccessMode = GRANT_ACCESS;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL current = nullptr, widened = nullptr;
    std::wstring name = file.wstring();
    ASSERT_EQ(GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, &current, nullptr, &descriptor),
              ERROR_SUCCESS);
    ASSERT_EQ(SetEntriesInAclW(1, &access, current, &widened), ERROR_SUCCESS);
    ASSERT_EQ(SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, widened, nullptr),
              ERROR_SUCCESS);
    LocalFree(widened);
    LocalFree(descriptor);
    FreeSid(everyone);
    const std::optional<std::string> problem = othersMayRead(file);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("icacls"), std::string::npos) << *problem;
}

// What the system's Task Scheduler does with our definition; wine implements little of it, so a
// refusal there is reported, not failed.
TEST(WindowsTaskScheduler, LogonTaskIsRegisteredListedAndDeletedOrRefusedWithAReason) {
    const std::string name = uniqueName();
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
        "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
        "<RegistrationInfo><Description>QZ7: проверка</Description></RegistrationInfo>"
        "<Triggers><LogonTrigger><Enabled>true</Enabled><UserId>" +
        currentUserId() +
        "</UserId></LogonTrigger></Triggers>"
        "<Settings><ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Enabled>false</Enabled>"
        "</Settings><Actions><Exec><Command>C:\\windows\\system32\\cmd.exe</Command></Exec>"
        "</Actions></Task>";
    const std::optional<std::string> refused = registerTask(name, xml);
    if (refused) {
        EXPECT_FALSE(refused->empty());
        GTEST_SKIP() << "the Task Scheduler refused: " << *refused;
    }
    const auto tasks = tasksStartingWith(name);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].second, "QZ7: проверка");
    EXPECT_TRUE(deleteTask(name));
    EXPECT_TRUE(tasksStartingWith(name).empty());
}

}  // namespace
}  // namespace qz7

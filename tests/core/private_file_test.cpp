// A file of secrets is its owner's alone from the first byte written, whatever the file it
// replaces allowed. (Windows: tests/windows, against the real access lists.)
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>

#include "platform/atomic_file.h"
#include "platform/private_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;

unsigned modeOf(const fs::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 ? unsigned(status.st_mode & 07777) : 0u;
}

TEST(PrivateFile, TheTemporaryFileIsTheOwnersAloneFromItsFirstByte) {
    testing::TemporaryFolder folder;
    const fs::path file = folder.path() / "qz7-serve.alerts";
    const fs::path temporary = folder.path() / "qz7-serve.alerts.qz7-tmp";
    const unsigned oldUmask = ::umask(0);  // nothing taken away: a mode of 0666 would show
    for (const unsigned before : {0u, 0644u, 0666u}) {
        if (before != 0) {
            testing::writeBytes(file, "old\n");
            ::chmod(file.c_str(), before);
        }
        std::vector<unsigned> seen;
        writeFileAtomically(
            file,
            [&](const ByteSink& sink) {
                seen.push_back(modeOf(temporary));
                sink("https://example.org/hook\n");
            },
            FileAccess::OwnerOnly);
        EXPECT_EQ(seen, std::vector<unsigned>{0600u}) << before;
        EXPECT_EQ(modeOf(file), 0600u) << before;
        EXPECT_EQ(othersMayRead(file), std::nullopt) << before;
        fs::remove(file);
    }
    // The usual write keeps what the old file allowed.
    testing::writeBytes(file, "old\n");
    ::chmod(file.c_str(), 0644);
    writeFileAtomically(file, "new\n");
    EXPECT_EQ(modeOf(file), 0644u);
    writePrivateFile(file, "secret\n");
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(testing::readBytes(file), "secret\n");
    ::umask(oldUmask);
}

}  // namespace
}  // namespace qz7

#endif

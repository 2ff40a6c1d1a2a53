// The exit status qz7ctl serve gives for each way a serve ends, through the command's own code
// on a copy of the demo folder (its stand-in server launcher is a POSIX shell script).
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "cli/cli_error.h"
#include "cli/serve_commands.h"
#include "tests/support/temporary_folder.h"

namespace qz7::cli {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// 0 for a serve that ended well, 1 for one that gave up, 4 for an internal error, which the
// unit and the Windows entries restart as they restart any other failure.
TEST(ServeExitStatus, EachEndHasItsOwnStatus) {
    struct Case {
        const char* standIn;
        bool throwInListener;
        int status;
        const char* said;
    };
    for (const Case c : {Case{"clean", false, kExitSuccess, "сервер завершился сам"},
                         Case{"crash crash crash", false, kExitFailed, "перезапуски прекращены"},
                         Case{"run", true, kExitInternalError, "внутренней ошибки"}}) {
        SCOPED_TRACE(c.standIn);
        testing::TemporaryFolder folder;
        fs::copy(fs::path(QZ7_DEMO_DIR), folder.path(), fs::copy_options::recursive);
        ServeOptions options;
        options.templateName = "#1";
        options.allowSleep = true;
        options.quietServer = true;
        options.timing.firstRestartDelay = options.timing.longestRestartDelay = milliseconds(10);
        options.timing.pollInterval = milliseconds(10);
        options.timing.stopGrace = std::chrono::seconds(5);
        if (c.throwInListener)
            options.failPoint = [](std::string_view step) {
                if (step == "журнал serve") throw std::logic_error("сбой для проверки");
            };
        options.timing.crashLimit = 2;
        const std::vector<std::string> given = {"--restart-delay", "--max-restart-delay",
                                                "--stop-grace", "--crash-limit"};
        ::setenv("QZ7_STAND_IN", c.standIn, 1);
        GameFolder game(folder.path());
        std::ostringstream err;
        EXPECT_EQ(runServe(game, options, given, ServeRunOptions{}, err), c.status) << err.str();
        EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
        ::unsetenv("QZ7_STAND_IN");
    }
}

}  // namespace
}  // namespace qz7::cli

// serve itself, run in the test's process on a copy of the demo folder, whose stand-in server
// launcher is a POSIX shell script.
#ifndef _WIN32
#include "server/serve_session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "server/serve_files.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;

// A stand-in for the system's sleep block: it records when it was taken and what serve had done
// by the time it was let go.
struct RecordedSleep {
    int taken = 0;
    std::optional<std::string> lastEventAtRelease;
    std::string refusal;  // the reason it gives instead of a block, when set
};

class RecordedBlock final : public SleepBlock {
  public:
    RecordedBlock(RecordedSleep& record, fs::path folder)
        : record_(record), folder_(std::move(folder)) {}
    ~RecordedBlock() override {
        const std::optional<nlohmann::json> state = readServeState(folder_);
        record_.lastEventAtRelease = state ? (*state)["lastEvent"]["event"].get<std::string>() : "";
    }

  private:
    RecordedSleep& record_;
    fs::path folder_;
};

class ServeSession : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy(fs::path(QZ7_TEST_DATA_DIR) / "../../demo", folder.path(),
                 fs::copy_options::recursive);
        ::setenv("QZ7_STAND_IN", "clean", 1);
        options.templateName = "#1";
        options.blockSleep = [this](const std::string&,
                                    std::string& error) -> std::unique_ptr<SleepBlock> {
            ++sleep.taken;
            if (!sleep.refusal.empty()) {
                error = sleep.refusal;
                return nullptr;
            }
            return std::make_unique<RecordedBlock>(sleep, folder.path());
        };
    }
    void TearDown() override { ::unsetenv("QZ7_STAND_IN"); }

    std::string serveNow() {
        std::ostringstream err;
        EXPECT_EQ(serve(folder.path(), options, err), ServeEnd::Done) << err.str();
        return err.str();
    }

    testing::TemporaryFolder folder;
    ServeOptions options;
    RecordedSleep sleep;
};

// The machine stays awake from before the server starts until it has ended, unless the host
// allows sleep; where the system gives no block, serve says so once and serves all the same.
TEST_F(ServeSession, KeepsTheMachineAwakeWhileTheServerRunsUnlessAllowedToSleep) {
    const std::string said = serveNow();
    EXPECT_EQ(sleep.taken, 1);
    EXPECT_EQ(sleep.lastEventAtRelease, "exited");
    const std::size_t blocked = said.find("сон компьютера запрещён, пока работает serve");
    EXPECT_NE(blocked, std::string::npos) << said;
    EXPECT_LT(blocked, said.find("сервер запущен"));
    EXPECT_EQ((*readServeState(folder.path()))["sleepBlocked"], false);

    options.allowSleep = true;
    EXPECT_EQ(serveNow().find("сон компьютера"), std::string::npos);
    EXPECT_EQ(sleep.taken, 1);

    options.allowSleep = false;
    sleep.refusal = "logind не запущен";
    const std::string refused = serveNow();
    EXPECT_NE(refused.find("сон компьютера не запрещён: logind не запущен"), std::string::npos);
    EXPECT_NE(refused.find("сервер завершился сам"), std::string::npos);
}

}  // namespace
}  // namespace qz7
#endif

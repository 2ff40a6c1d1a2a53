#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/atomic_file.h"
#include "platform/local_time.h"
#include "server/serve_lock.h"

namespace qz7::testing {

// A game folder as a running serve holds it, without one: this test process takes the serve's
// lock and writes the state file a serve would, its server up for the given time with the
// given restarts. The lock goes with the object.
class ServedFolder {
  public:
    ServedFolder(const std::filesystem::path& folder, std::chrono::seconds uptime,
                 long long restarts, const std::string& templateName = "Турнир") {
        const auto now = std::chrono::system_clock::now();
        std::optional<ServeHolder> holder;
        lock_ = takeServeLock(folder, now - uptime, holder);
        const nlohmann::json state = {{"servePid", 812},
                                      {"template", templateName},
                                      {"serveStarted", utcTimestamp(now - uptime)},
                                      {"serverPid", 900},
                                      {"serverStarted", utcTimestamp(now - uptime)},
                                      {"restarts", restarts},
                                      {"scheduledRestarts", 0},
                                      {"crashesInWindow", 0},
                                      {"portsForwarded", false}};
        writeFileAtomically(folder / kServeStateFile, state.dump(2));
    }
    bool held() const { return lock_ != nullptr; }

  private:
    std::unique_ptr<FileLock> lock_;
};

}  // namespace qz7::testing

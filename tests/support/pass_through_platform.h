#pragma once

#include "platform/platform.h"

namespace qz7::testing {

// The system's own platform, call for call: a test fake derives from it and overrides only what
// the test sets. Not put in place by itself (setPlatformForTesting, or PlatformInUse).
class PassThroughPlatform : public Platform {
  public:
    StartResult startProgram(const std::filesystem::path& program,
                             const std::string& parameters) override {
        return systemPlatform().startProgram(program, parameters);
    }
    std::error_code copyFileOverwriting(const std::filesystem::path& from,
                                        const std::filesystem::path& to) override {
        return systemPlatform().copyFileOverwriting(from, to);
    }
    std::optional<std::string> userName() override { return systemPlatform().userName(); }
    std::string localIPv4Address() override { return systemPlatform().localIPv4Address(); }
    std::string fileVersion(const std::filesystem::path& file) override {
        return systemPlatform().fileVersion(file);
    }
    std::filesystem::path programFile() override { return systemPlatform().programFile(); }
    std::optional<std::chrono::system_clock::time_point> lastModified(
        const std::filesystem::path& file) override {
        return systemPlatform().lastModified(file);
    }
    std::string dateSeparator() override { return systemPlatform().dateSeparator(); }
};

// Puts a platform in place for its lifetime.
class PlatformInUse {
  public:
    explicit PlatformInUse(Platform& platform) { setPlatformForTesting(&platform); }
    ~PlatformInUse() { setPlatformForTesting(nullptr); }
    PlatformInUse(const PlatformInUse&) = delete;
    PlatformInUse& operator=(const PlatformInUse&) = delete;
};

}  // namespace qz7::testing

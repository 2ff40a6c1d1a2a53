#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace qz7::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
  public:
    TemporaryFolder() : TemporaryFolder(std::filesystem::temp_directory_path()) {}
    // In another folder than the system's temporary one.
    explicit TemporaryFolder(const std::filesystem::path& base) {
        std::random_device random;
        path_ = base / ("qz7-test-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Makes a folder the current directory for its lifetime.
class CurrentDirectory {
  public:
    explicit CurrentDirectory(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentDirectory() { std::filesystem::current_path(previous_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

  private:
    std::filesystem::path previous_;
};

// A temporary game folder with its admin folder, the current directory for its lifetime.
class TemporaryGameFolder {
  public:
    TemporaryGameFolder() { std::filesystem::create_directories(path() / "admin"); }

    const std::filesystem::path& path() const { return folder_.path(); }

  private:
    TemporaryFolder folder_;
    CurrentDirectory current_{folder_.path()};
};

}  // namespace qz7::testing

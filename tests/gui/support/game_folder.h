#pragma once

#include <QTemporaryDir>
#include <filesystem>

namespace qz7::testing {

// A temporary game folder that is the current directory for its lifetime.
class TemporaryGameFolder {
  public:
    TemporaryGameFolder() : previous(std::filesystem::current_path()) {
        std::filesystem::create_directories(path() / "admin");
        std::filesystem::current_path(path());
    }
    ~TemporaryGameFolder() { std::filesystem::current_path(previous); }

    std::filesystem::path path() const { return std::filesystem::path(dir.path().toStdString()); }

  private:
    QTemporaryDir dir;
    std::filesystem::path previous;
};

}  // namespace qz7::testing

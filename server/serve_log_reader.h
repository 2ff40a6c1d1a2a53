#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace qz7 {

// Reads the event log of a game folder's serve, qz7-serve.log with its older file: its last
// lines, then what is added after them, across rotations. Only whole lines are given; a line still
// being written comes once it is whole.
class ServeLogReader {
  public:
    explicit ServeLogReader(const std::filesystem::path& gameFolder);

    // The last `lines` whole lines, from the older file too when the log holds fewer; later calls
    // of newLines go on after them.
    std::string lastLines(int lines);

    // The whole lines added since the last read: after a rotation, the rest of the file that became
    // the older one, then the new one.
    std::string newLines();

  private:
    std::filesystem::path log_;
    std::filesystem::path older_;
    std::uintmax_t offset_ = 0;
    std::string firstLine_;
};

}  // namespace qz7

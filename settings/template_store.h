#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/game_paths.h"

namespace qz7 {

// The template store beside the game: "\ServerSetup_QZ7.cfg" in the game folder.
inline std::filesystem::path templateStoreFile(const std::filesystem::path& gameFolder) {
    return gamePath(gameFolder, "\\ServerSetup_QZ7.cfg");
}

// The template store file: a plain sequence of 1737-byte template records, no header, no
// separator. Records are kept as their raw bytes, so a store read and written back unchanged keeps
// every byte. Every failure is a FileError (platform/atomic_file.h) for the default error
// handling.

// The whole records of a store in file order, kept as one block of bytes.
class TemplateRecords {
  public:
    TemplateRecords() = default;
    // The whole records of a store's bytes; a trailing part shorter than a record is dropped.
    explicit TemplateRecords(std::string bytes);

    std::size_t size() const;
    bool empty() const { return bytes_.empty(); }
    std::string_view operator[](std::size_t index) const;
    void reserve(std::size_t records);
    // Adds a record at the end; it must be exactly one record long (std::invalid_argument).
    void append(std::string_view record);
    std::string_view bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

// Reads the store. A missing file is an empty store.
TemplateRecords readTemplateRecords(const std::filesystem::path& store);

// Appends one 1737-byte record at the end with a single write, creating the file when it is
// missing. A trailing partial record, which no reader counts, is dropped first so that the new
// record starts on a record boundary.
void appendTemplateRecord(const std::filesystem::path& store, std::string_view record);

// Replaces the whole store with the records in order, atomically: a failure part-way leaves the
// previous file as it was.
void writeTemplateRecords(const std::filesystem::path& store, const TemplateRecords& records);

}  // namespace qz7

#pragma once

#include <filesystem>
#include <functional>
#include <optional>
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

// Reads the store in blocks and calls `record` with each whole record in file order, and `block`,
// when given, with every byte of the file in order, a trailing partial record too; only a block
// is held at a time. A missing file is an empty store: false, and nothing is called.
bool forEachTemplateRecord(const std::filesystem::path& store,
                           const std::function<void(std::string_view record)>& record,
                           const std::function<void(std::string_view block)>& block = {});

// The number of whole records in the store, from its size; a missing file holds none.
std::size_t templateRecordCount(const std::filesystem::path& store);

// The record at this index (from 0), read by itself; nothing when the store holds no whole record
// there.
std::optional<std::string> readTemplateRecordAt(const std::filesystem::path& store,
                                                std::size_t index);

// Appends one 1737-byte record at the end with a single write, then flushes it to disk, creating
// the file when it is missing. It goes to the last record boundary: a trailing partial record,
// which no reader counts, is overwritten, and a write cut short leaves at most such a part. A
// store that another program replaced or resized meanwhile is refused (writeAtUnitBoundary).
// Returns the new record's position, from 1.
std::size_t appendTemplateRecord(const std::filesystem::path& store, std::string_view record);

// Replaces the whole store with the records in order, atomically: a failure part-way leaves the
// previous file as it was.
void writeTemplateRecords(const std::filesystem::path& store, const TemplateRecords& records);

// Takes one whole record; anything else is refused (std::invalid_argument).
using TemplateRecordSink = std::function<void(std::string_view record)>;

// The same, the records given one by one to the sink `produce` is called with, so that they need
// not be gathered first.
void writeTemplateRecords(const std::filesystem::path& store,
                          const std::function<void(const TemplateRecordSink&)>& produce);

}  // namespace qz7

#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// The template store file: a plain sequence of 1737-byte template records, no header, no
// separator. Records are kept as their raw bytes, so a store read and written back unchanged keeps
// every byte. Every failure is a FileError (platform/atomic_file.h) for the default error
// handling.

// The whole records of a store's bytes, in order; a trailing part shorter than a record is
// ignored.
std::vector<std::string> splitTemplateRecords(std::string_view bytes);

// Reads the store. A missing file is an empty store.
std::vector<std::string> readTemplateRecords(const std::filesystem::path& store);

// Appends one 1737-byte record at the end with a single write, creating the file when it is
// missing. A trailing partial record, which no reader counts, is dropped first so that the new
// record starts on a record boundary.
void appendTemplateRecord(const std::filesystem::path& store, std::string_view record);

// Replaces the whole store with the records in order, atomically: a failure part-way leaves the
// previous file as it was.
void writeTemplateRecords(const std::filesystem::path& store,
                          const std::vector<std::string>& records);

}  // namespace qz7

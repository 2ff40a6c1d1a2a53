#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/atomic_file.h"
#include "settings/template_store.h"

namespace qz7 {

// The template store as one program instance keeps it: it remembers the file as it last read or
// wrote it, so that a full rewrite never overwrites what another program changed meanwhile, and a
// store that could not be read is never written (writing it would wipe the templates it holds).
// The file is read and written in blocks, never held whole.
class TemplateStoreFile {
  public:
    explicit TemplateStoreFile(std::filesystem::path store = {});

    const std::filesystem::path& path() const { return store_; }

    // Reads the store (a missing file is an empty store), calling `record` with each whole record
    // in file order, and remembers it. A failure is thrown and leaves the store unreadable: every
    // later write is refused, until a read succeeds.
    void read(const std::function<void(std::string_view record)>& record);

    // False after a failed read: the store must not be written in this run.
    bool readable() const { return !readFailure_; }

    // Whether the file now differs from what this instance last read or wrote. Throws FileError
    // when it cannot be looked at.
    bool changedSinceSeen() const;

    // Appends one record (appendTemplateRecord). When the file was as last seen, the new file is
    // remembered; otherwise the difference stays, for the next full rewrite to find.
    void append(std::string_view record);

    // Replaces the whole store with the records `produce` gives its sink, in that order
    // (writeTemplateRecords), and remembers it.
    void rewrite(const std::function<void(const TemplateRecordSink&)>& produce);

    // Throws the FileError that says the store could not be read and is therefore left alone.
    [[noreturn]] void refuseUnread() const;

  private:
    // What the file looked like: whether it existed, its size and a hash of its bytes.
    struct Seen {
        bool exists = false;
        std::uint64_t size = 0;
        std::uint64_t hash = 0;
        bool operator==(const Seen&) const = default;
    };
    Seen lookNow() const;
    Seen seenOfFile() const;

    std::filesystem::path store_;
    Seen lastSeen_;
    std::optional<FileError> readFailure_;
};

}  // namespace qz7

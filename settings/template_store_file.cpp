#include "settings/template_store_file.h"

#include <cstring>
#include <utility>

namespace qz7 {

namespace {

// A 64-bit hash of bytes given in pieces of any size: eight bytes at a time, each word mixed in
// by a step that no other word undoes, so that a change of one word always changes the hash.
class StoreHash {
  public:
    void add(std::string_view bytes) {
        size_ += bytes.size();
        if (pendingSize_ > 0) {
            const std::size_t taken = std::min(bytes.size(), sizeof pending_ - pendingSize_);
            std::memcpy(pending_ + pendingSize_, bytes.data(), taken);
            pendingSize_ += taken;
            bytes.remove_prefix(taken);
            if (pendingSize_ < sizeof pending_) return;
            mix(pending_);
            pendingSize_ = 0;
        }
        while (bytes.size() >= 8) {
            mix(bytes.data());
            bytes.remove_prefix(8);
        }
        std::memcpy(pending_, bytes.data(), bytes.size());
        pendingSize_ = bytes.size();
    }

    std::uint64_t value() const {
        std::uint64_t last = 0;
        std::memcpy(&last, pending_, pendingSize_);
        std::uint64_t hash = (hash_ ^ last) * kPrime;
        hash = (hash ^ size_) * kPrime;
        return hash ^ (hash >> 29);
    }

    std::uint64_t size() const { return size_; }

  private:
    static constexpr std::uint64_t kPrime = 0x100000001b3ULL;

    void mix(const char* eightBytes) {
        std::uint64_t word = 0;
        std::memcpy(&word, eightBytes, 8);
        hash_ = (hash_ ^ word) * kPrime;
    }

    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
    std::uint64_t size_ = 0;
    char pending_[8] = {};
    std::size_t pendingSize_ = 0;
};

}  // namespace

TemplateStoreFile::TemplateStoreFile(std::filesystem::path store) : store_(std::move(store)) {}

TemplateStoreFile::Seen TemplateStoreFile::seenOfFile() const {
    StoreHash hash;
    const bool exists = forEachTemplateRecord(
        store_, [](std::string_view) {}, [&](std::string_view block) { hash.add(block); });
    return exists ? Seen{true, hash.size(), hash.value()} : Seen{};
}

TemplateStoreFile::Seen TemplateStoreFile::lookNow() const {
    std::error_code error;
    const bool exists = std::filesystem::exists(store_, error);
    if (error) throw fileError("Не удалось открыть файл", store_, error);
    if (!exists) return {};
    // The size alone tells most changes apart without reading the file.
    const std::uintmax_t size = std::filesystem::file_size(store_, error);
    if (!error && size != lastSeen_.size) return {true, std::uint64_t(size), 0};
    return seenOfFile();
}

void TemplateStoreFile::read(const std::function<void(std::string_view record)>& record) {
    try {
        StoreHash hash;
        const bool exists = forEachTemplateRecord(
            store_, record, [&hash](std::string_view block) { hash.add(block); });
        lastSeen_ = exists ? Seen{true, hash.size(), hash.value()} : Seen{};
        readFailure_.reset();
    } catch (const FileError& failure) {
        readFailure_ = failure;
        throw;
    }
}

bool TemplateStoreFile::changedSinceSeen() const { return !(lookNow() == lastSeen_); }

void TemplateStoreFile::append(std::string_view record) {
    if (!readable()) refuseUnread();
    const bool asSeen = !changedSinceSeen();
    appendTemplateRecord(store_, record);
    if (asSeen) lastSeen_ = seenOfFile();
}

void TemplateStoreFile::rewrite(const std::function<void(const TemplateRecordSink&)>& produce) {
    if (!readable()) refuseUnread();
    StoreHash hash;
    writeTemplateRecords(store_, [&](const TemplateRecordSink& sink) {
        produce([&](std::string_view record) {
            sink(record);
            hash.add(record);
        });
    });
    lastSeen_ = {true, hash.size(), hash.value()};
}

void TemplateStoreFile::refuseUnread() const {
    throw FileError(std::string(readFailure_->what()) +
                        "; файл шаблонов не был прочитан и поэтому не изменяется",
                    readFailure_->code(), store_);
}

}  // namespace qz7

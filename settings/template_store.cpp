#include "settings/template_store.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "platform/atomic_file.h"
#include "settings/kept_versions.h"
#include "settings/template_record.h"

namespace qz7 {

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& file,
                       const std::error_code& error) {
    throw fileError(what, file, error);
}

void requireWholeRecord(std::string_view record) {
    if (record.size() != kTemplateRecordSize)
        throw std::invalid_argument("a template record is " + std::to_string(kTemplateRecordSize) +
                                    " bytes, not " + std::to_string(record.size()));
}

// Bytes read at a time; not a whole number of records, so records fall across blocks.
constexpr std::size_t kReadBlock = std::size_t(256) * 1024;
// Beyond this index no record's offset fits a file position.
constexpr std::size_t kLargestIndex = std::size_t(INT64_MAX / kTemplateRecordSize) - 1;

// Whether the store file exists; a missing one is an empty store.
bool storeExists(const std::filesystem::path& store) {
    std::error_code error;
    const bool exists = std::filesystem::exists(store, error);
    if (error) fail("Не удалось открыть файл", store, error);
    return exists;
}

}  // namespace

TemplateRecords::TemplateRecords(std::string bytes) : bytes_(std::move(bytes)) {
    bytes_.resize(bytes_.size() - bytes_.size() % kTemplateRecordSize);
}

std::size_t TemplateRecords::size() const { return bytes_.size() / kTemplateRecordSize; }

std::string_view TemplateRecords::operator[](std::size_t index) const {
    return std::string_view(bytes_).substr(index * kTemplateRecordSize, kTemplateRecordSize);
}

void TemplateRecords::reserve(std::size_t records) {
    bytes_.reserve(records * kTemplateRecordSize);
}

void TemplateRecords::append(std::string_view record) {
    requireWholeRecord(record);
    bytes_ += record;
}

TemplateRecords readTemplateRecords(const std::filesystem::path& store) {
    if (!storeExists(store)) return {};
    return TemplateRecords(readWholeFile(store));
}

bool forEachTemplateRecord(const std::filesystem::path& store,
                           const std::function<void(std::string_view record)>& record,
                           const std::function<void(std::string_view block)>& block) {
    if (!storeExists(store)) return false;
    // A record split between two blocks is put together here.
    std::string split;
    readFileInBlocks(
        store,
        [&](std::string_view bytes) {
            if (block) block(bytes);
            if (!split.empty()) {
                const std::size_t missing = kTemplateRecordSize - split.size();
                split.append(bytes.substr(0, missing));
                bytes.remove_prefix(std::min(missing, bytes.size()));
                if (split.size() < kTemplateRecordSize) return;
                record(split);
                split.clear();
            }
            while (bytes.size() >= kTemplateRecordSize) {
                record(bytes.substr(0, kTemplateRecordSize));
                bytes.remove_prefix(kTemplateRecordSize);
            }
            split.assign(bytes);
        },
        kReadBlock);
    return true;
}

std::size_t templateRecordCount(const std::filesystem::path& store) {
    if (!storeExists(store)) return 0;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(store, error);
    if (error) fail("Не удалось прочитать размер файла", store, error);
    return std::size_t(size / kTemplateRecordSize);
}

std::optional<std::string> readTemplateRecordAt(const std::filesystem::path& store,
                                                std::size_t index) {
    if (index >= kLargestIndex || !storeExists(store)) return std::nullopt;
    std::string record =
        readFilePart(store, std::uint64_t(index) * kTemplateRecordSize, kTemplateRecordSize);
    if (record.size() != kTemplateRecordSize) return std::nullopt;
    return record;
}

std::size_t appendTemplateRecord(const std::filesystem::path& store, std::string_view record) {
    requireWholeRecord(record);
    // Appending does not replace the file, so a write-protected store must be refused here.
    refuseWriteProtected(store);
    keepVersionBeforeChange(store, FileChange::Append);
    return std::size_t(writeAtUnitBoundary(store, record, kTemplateRecordSize) /
                       kTemplateRecordSize) +
           1;
}

void writeTemplateRecords(const std::filesystem::path& store, const TemplateRecords& records) {
    keepVersionBeforeChange(store, FileChange::Rewrite);
    writeFileAtomically(store, records.bytes());
}

void writeTemplateRecords(const std::filesystem::path& store,
                          const std::function<void(const TemplateRecordSink&)>& produce) {
    keepVersionBeforeChange(store, FileChange::Rewrite);
    writeFileAtomically(store, [&produce](const ByteSink& bytes) {
        produce([&bytes](std::string_view record) {
            requireWholeRecord(record);
            bytes(record);
        });
    });
}

}  // namespace qz7

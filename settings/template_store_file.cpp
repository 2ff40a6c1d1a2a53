#include "settings/template_store_file.h"

#include <functional>
#include <utility>

namespace qz7 {

TemplateStoreFile::TemplateStoreFile(std::filesystem::path store) : store_(std::move(store)) {}

TemplateStoreFile::Seen TemplateStoreFile::seenOf(std::string_view bytes) {
    return {true, bytes.size(), std::hash<std::string_view>{}(bytes)};
}

TemplateStoreFile::Seen TemplateStoreFile::lookNow() const {
    std::error_code error;
    const bool exists = std::filesystem::exists(store_, error);
    if (error) throw fileError("Не удалось открыть файл", store_, error);
    if (!exists) return {};
    // The size alone tells most changes apart without reading the file.
    const std::uintmax_t size = std::filesystem::file_size(store_, error);
    if (!error && size != lastSeen_.size) return {true, std::size_t(size), 0};
    return seenOf(readWholeFile(store_));
}

TemplateRecords TemplateStoreFile::read() {
    try {
        std::error_code error;
        const bool exists = std::filesystem::exists(store_, error);
        if (error) throw fileError("Не удалось открыть файл", store_, error);
        std::string bytes = exists ? readWholeFile(store_) : std::string();
        lastSeen_ = exists ? seenOf(bytes) : Seen{};
        readFailure_.reset();
        return TemplateRecords(std::move(bytes));
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
    if (asSeen) lastSeen_ = seenOf(readWholeFile(store_));
}

void TemplateStoreFile::rewrite(const TemplateRecords& records) {
    if (!readable()) refuseUnread();
    writeTemplateRecords(store_, records);
    lastSeen_ = seenOf(records.bytes());
}

void TemplateStoreFile::refuseUnread() const {
    throw FileError(std::string(readFailure_->what()) +
                        "; файл шаблонов не был прочитан и поэтому не изменяется",
                    readFailure_->code(), store_);
}

}  // namespace qz7

#include "settings/template_store_file.h"

#include <functional>
#include <utility>

namespace qz7 {

TemplateStoreFile::TemplateStoreFile(std::filesystem::path store) : Store(std::move(store)) {}

TemplateStoreFile::Seen TemplateStoreFile::seenOf(std::string_view bytes) {
    return {true, bytes.size(), std::hash<std::string_view>{}(bytes)};
}

TemplateStoreFile::Seen TemplateStoreFile::lookNow() const {
    std::error_code error;
    const bool exists = std::filesystem::exists(Store, error);
    if (error) throw fileError("Не удалось открыть файл", Store, error);
    if (!exists) return {};
    // The size alone tells most changes apart without reading the file.
    const std::uintmax_t size = std::filesystem::file_size(Store, error);
    if (!error && size != LastSeen.size) return {true, std::size_t(size), 0};
    return seenOf(readWholeFile(Store));
}

TemplateRecords TemplateStoreFile::read() {
    try {
        std::error_code error;
        const bool exists = std::filesystem::exists(Store, error);
        if (error) throw fileError("Не удалось открыть файл", Store, error);
        std::string bytes = exists ? readWholeFile(Store) : std::string();
        LastSeen = exists ? seenOf(bytes) : Seen{};
        ReadFailure.reset();
        return TemplateRecords(std::move(bytes));
    } catch (const FileError& failure) {
        ReadFailure = failure;
        throw;
    }
}

bool TemplateStoreFile::changedSinceSeen() const { return !(lookNow() == LastSeen); }

void TemplateStoreFile::append(std::string_view record) {
    if (!readable()) refuseUnread();
    const bool asSeen = !changedSinceSeen();
    appendTemplateRecord(Store, record);
    if (asSeen) LastSeen = seenOf(readWholeFile(Store));
}

void TemplateStoreFile::rewrite(const TemplateRecords& records) {
    if (!readable()) refuseUnread();
    writeTemplateRecords(Store, records);
    LastSeen = seenOf(records.bytes());
}

void TemplateStoreFile::refuseUnread() const {
    throw FileError(std::string(ReadFailure->what()) +
                        "; файл шаблонов не был прочитан и поэтому не изменяется",
                    ReadFailure->code(), Store);
}

}  // namespace qz7

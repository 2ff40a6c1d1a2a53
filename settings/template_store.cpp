#include "settings/template_store.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "platform/atomic_file.h"
#include "settings/template_record.h"

namespace qz7 {

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& file, int error) {
    throw fileErrorFromErrno(what, file, error);
}

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& file,
                       const std::error_code& error) {
    throw fileError(what, file, error);
}

void requireWholeRecord(std::string_view record) {
    if (record.size() != kTemplateRecordSize)
        throw std::invalid_argument("a template record is " + std::to_string(kTemplateRecordSize) +
                                    " bytes, not " + std::to_string(record.size()));
}

// Cuts a trailing partial record off the store, so that appending starts on a record boundary.
void dropPartialRecord(const std::filesystem::path& store) {
    std::error_code error;
    if (!std::filesystem::exists(store, error)) return;
    const std::uintmax_t size = std::filesystem::file_size(store, error);
    if (error) fail("Не удалось прочитать размер файла", store, error);
    if (size % kTemplateRecordSize == 0) return;
    std::filesystem::resize_file(store, size - size % kTemplateRecordSize, error);
    if (error) fail("Не удалось изменить файл", store, error);
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
    std::error_code error;
    if (!std::filesystem::exists(store, error)) {
        if (error) fail("Не удалось открыть файл", store, error);
        return {};
    }
    return TemplateRecords(readWholeFile(store));
}

void appendTemplateRecord(const std::filesystem::path& store, std::string_view record) {
    requireWholeRecord(record);
    // Appending does not replace the file, so a write-protected store must be refused here.
    refuseWriteProtected(store);
    dropPartialRecord(store);
#ifdef _WIN32
    std::FILE* out = _wfopen(store.c_str(), L"ab");
#else
    std::FILE* out = std::fopen(store.c_str(), "ab");
#endif
    if (out == nullptr) fail("Не удалось открыть файл", store, errno);
    // Unbuffered, so the record goes to the file in one write call.
    std::setvbuf(out, nullptr, _IONBF, 0);
    int error = 0;
    errno = 0;
    if (std::fwrite(record.data(), 1, record.size(), out) != record.size())
        error = errno != 0 ? errno : EIO;
    if (std::fclose(out) != 0 && error == 0) error = errno;
    if (error != 0) fail("Не удалось записать файл", store, error);
}

void writeTemplateRecords(const std::filesystem::path& store, const TemplateRecords& records) {
    writeFileAtomically(store, records.bytes());
}

}  // namespace qz7

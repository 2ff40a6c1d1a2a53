#include "settings/template_store.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "settings/template_record.h"

namespace qz7 {

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& file, int error) {
    throw FileError(what + " " + utf8FromPath(file) + ": " + std::strerror(error));
}

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& file,
                       const std::error_code& error) {
    throw FileError(what + " " + utf8FromPath(file) + ": " + error.message());
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

TemplateRecords::TemplateRecords(std::string bytes) : Bytes(std::move(bytes)) {
    Bytes.resize(Bytes.size() - Bytes.size() % kTemplateRecordSize);
}

std::size_t TemplateRecords::size() const { return Bytes.size() / kTemplateRecordSize; }

std::string_view TemplateRecords::operator[](std::size_t index) const {
    return std::string_view(Bytes).substr(index * kTemplateRecordSize, kTemplateRecordSize);
}

void TemplateRecords::reserve(std::size_t records) { Bytes.reserve(records * kTemplateRecordSize); }

void TemplateRecords::append(std::string_view record) {
    requireWholeRecord(record);
    Bytes += record;
}

TemplateRecords readTemplateRecords(const std::filesystem::path& store) {
    std::error_code error;
    if (!std::filesystem::exists(store, error)) {
        if (error) fail("Не удалось открыть файл", store, error);
        return {};
    }
    const std::uintmax_t size = std::filesystem::file_size(store, error);
    if (error) fail("Не удалось открыть файл", store, error);
    std::ifstream in(store, std::ios::binary);
    if (!in) fail("Не удалось открыть файл", store, errno);
    std::string bytes(std::size_t(size), '\0');
    if (!in.read(bytes.data(), std::streamsize(size)))
        fail("Не удалось прочитать файл", store, errno);
    return TemplateRecords(std::move(bytes));
}

void appendTemplateRecord(const std::filesystem::path& store, std::string_view record) {
    requireWholeRecord(record);
    dropPartialRecord(store);
    std::ofstream out;
    // Unbuffered, so the record goes to the file in one write call.
    out.rdbuf()->pubsetbuf(nullptr, 0);
    out.open(store, std::ios::binary | std::ios::app);
    if (!out) fail("Не удалось открыть файл", store, errno);
    if (!out.write(record.data(), std::streamsize(record.size())))
        fail("Не удалось записать файл", store, errno);
    out.close();
    if (!out) fail("Не удалось записать файл", store, errno);
}

void writeTemplateRecords(const std::filesystem::path& store, const TemplateRecords& records) {
    writeFileAtomically(store, records.bytes());
}

}  // namespace qz7

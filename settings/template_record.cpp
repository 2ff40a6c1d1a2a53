#include "settings/template_record.h"

#include <algorithm>

#include "platform/windows1251.h"

namespace qz7 {

namespace {

constexpr char kFieldEnd = ';';

std::string cut(std::string text, std::size_t capacity) {
    if (text.size() > capacity) text.resize(capacity);
    return text;
}

void putField(std::string& bytes, RecordFieldLayout layout, std::string_view text) {
    const std::size_t length = std::min(text.size(), layout.capacity);
    bytes[layout.offset] = char(static_cast<unsigned char>(length));
    std::copy_n(text.data(), length, bytes.begin() + std::ptrdiff_t(layout.offset + 1));
}

std::string takeStoredField(std::string_view bytes, RecordFieldLayout layout) {
    return std::string(templateRecordField(bytes, layout));
}

}  // namespace

std::string encodeTemplateRecord(const TemplateRecord& record) {
    std::string bytes(kTemplateRecordSize, '\0');
    putField(bytes, kNameLayout, record.Name);
    putField(bytes, kSettingsLineLayout, record.SettingsLine);
    for (std::size_t i = 0; i < kMapFieldCount; ++i)
        putField(bytes, kMapFieldLayouts[i], record.MapFields[i]);
    putField(bytes, kCommandLineLayout, record.CommandLine);
    return bytes;
}

TemplateRecord decodeTemplateRecord(std::string_view bytes) {
    bytes = bytes.substr(0, kTemplateRecordSize);
    if (bytes.size() < kTemplateRecordSize) return {};
    TemplateRecord record;
    record.Name = takeStoredField(bytes, kNameLayout);
    record.SettingsLine = takeStoredField(bytes, kSettingsLineLayout);
    for (std::size_t i = 0; i < kMapFieldCount; ++i)
        record.MapFields[i] = takeStoredField(bytes, kMapFieldLayouts[i]);
    record.CommandLine = takeStoredField(bytes, kCommandLineLayout);
    return record;
}

std::string_view templateRecordField(std::string_view bytes, RecordFieldLayout layout) {
    const std::size_t length =
        std::min<std::size_t>(static_cast<unsigned char>(bytes[layout.offset]), layout.capacity);
    return bytes.substr(layout.offset + 1, length);
}

std::string templateRecordName(std::string_view bytes) {
    if (bytes.size() < kTemplateRecordSize) return {};
    return utf8FromWindows1251(takeStoredField(bytes, kNameLayout));
}

std::string templateNameField(std::string_view utf8Name) {
    return cut(windows1251FromUtf8(utf8Name), kNameLayout.capacity);
}

PackedRotation packRotation(const std::vector<std::string>& entries) {
    PackedRotation packed;
    std::size_t field = 0;
    std::string accumulator;
    for (const std::string& entry : entries) {
        const std::string piece = entry + kFieldEnd;
        // Strictly greater: a field may be filled to exactly its capacity.
        if (accumulator.size() + piece.size() > kMapFieldLayouts[field].capacity) {
            packed.fields[field] = std::move(accumulator);
            accumulator.clear();
            ++field;
            const bool fitsAnEmptyField =
                field < kMapFieldCount && piece.size() <= kMapFieldLayouts[field].capacity;
            if (!fitsAnEmptyField) return packed;
        }
        accumulator += piece;
        ++packed.entriesStored;
    }
    if (field < kMapFieldCount) packed.fields[field] = std::move(accumulator);
    return packed;
}

std::string settingsLineOfCodes(const std::array<std::string, kSettingsFieldCount>& codes) {
    std::string line;
    for (const std::string& code : codes) {
        line += windows1251FromUtf8(code);
        line += kFieldEnd;
    }
    return line;
}

std::string settingsLineOf(const GameSettings& settings) {
    return settingsLineOfCodes(settingsFieldCodes(settings));
}

TemplateRecord KodirShablona(std::string_view pendingName, const GameSettings& settings,
                             const std::vector<std::string>& rotation,
                             std::string_view commandLine) {
    TemplateRecord record;
    record.Name = templateNameField(pendingName);
    // Cutting after every append keeps the same prefix as one cut of the whole line.
    record.SettingsLine = cut(settingsLineOf(settings), kSettingsLineLayout.capacity);
    std::vector<std::string> entries;
    entries.reserve(rotation.size());
    for (const std::string& entry : rotation) entries.push_back(windows1251FromUtf8(entry));
    record.MapFields = packRotation(entries).fields;
    record.CommandLine = cut(windows1251FromUtf8(commandLine), kCommandLineLayout.capacity);
    return record;
}

std::optional<std::string> TakeField(std::string& remaining) {
    const std::size_t end = remaining.find(kFieldEnd);
    if (end == std::string::npos) return std::nullopt;
    std::string field = remaining.substr(0, end);
    remaining.erase(0, end + 1);
    return field;
}

void LoadListUst(const TemplateRecord& record, GameSettings& settings, std::string& commandLine,
                 std::vector<std::string>& rotation) {
    std::string remaining = record.SettingsLine;
    std::array<std::string, kSettingsFieldCount> codes;
    for (std::string& code : codes) code = utf8FromWindows1251(TakeField(remaining).value_or(""));
    applySettingsFieldCodes(settings, codes);

    commandLine = utf8FromWindows1251(record.CommandLine);

    for (const std::string& field : record.MapFields) {
        remaining = field;
        while (auto entry = TakeField(remaining)) rotation.push_back(utf8FromWindows1251(*entry));
    }
}

}  // namespace qz7

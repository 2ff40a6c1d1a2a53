#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/game_settings.h"

namespace qz7 {

// A template record on disk and in memory: seven length-prefixed Windows-1251 strings at fixed
// offsets, 1737 bytes, no padding.
constexpr std::size_t kTemplateRecordSize = 1737;
constexpr std::size_t kMapFieldCount = 4;

// One length-prefixed string of the record: where its length byte sits and how many characters
// fit after it.
struct RecordFieldLayout {
    std::size_t offset;
    std::size_t capacity;
};

inline constexpr RecordFieldLayout kNameLayout{0, 200};
inline constexpr RecordFieldLayout kSettingsLineLayout{201, 255};
inline constexpr std::array<RecordFieldLayout, kMapFieldCount> kMapFieldLayouts{
    {{457, 255}, {713, 255}, {969, 255}, {1225, 255}}};
inline constexpr RecordFieldLayout kCommandLineLayout{1481, 255};

// The seven strings of a record as stored: Windows-1251 bytes, each within its capacity.
struct TemplateRecord {
    std::string Name;
    std::string SettingsLine;
    std::array<std::string, kMapFieldCount> MapFields;
    std::string CommandLine;

    bool operator==(const TemplateRecord&) const = default;
};

// The 1737 bytes of a record. A string longer than its field is cut to the capacity; the bytes
// after each string's text are zeros.
std::string encodeTemplateRecord(const TemplateRecord& record);

// The strings of the record that starts at bytes[0]; needs at least 1737 bytes. A length byte
// larger than its field's capacity counts as the capacity, so nothing beyond the field is read.
TemplateRecord decodeTemplateRecord(std::string_view bytes);

// The text of one string of the record that starts at bytes[0] (at least 1737 bytes), as stored:
// as many bytes as its length byte gives, at most the field's capacity.
std::string_view templateRecordField(std::string_view bytes, RecordFieldLayout layout);

// Just the name of a stored record, as UTF-8 (what the template list shows).
std::string templateRecordName(std::string_view bytes);

// The record's name from UTF-8 text: Windows-1251, cut to the name's 200 characters.
std::string templateNameField(std::string_view utf8Name);

// The rotation entries (Windows-1251) packed into the map fields entry by entry, each followed by
// ";": a field takes entries while it stays within 255 characters, and an entry is never split.
// Packing stops at the first entry that no remaining field can take.
struct PackedRotation {
    std::array<std::string, kMapFieldCount> fields;
    std::size_t entriesStored = 0;
};
PackedRotation packRotation(const std::vector<std::string>& entries);

// The settings line (Windows-1251): the twenty codes, each followed by ";", before any cut.
std::string settingsLineOfCodes(const std::array<std::string, kSettingsFieldCount>& codes);
std::string settingsLineOf(const GameSettings& settings);

// Builds a record from the window's state (all texts UTF-8): the name cut at 200 characters, the
// settings line of twenty ";"-ended codes, the rotation packed into the map fields, the command
// line cut at 255. Values that do not fit are cut without notice; findContentProblems tells
// beforehand whether anything would be lost.
TemplateRecord KodirShablona(std::string_view pendingName, const GameSettings& settings,
                             const std::vector<std::string>& rotation,
                             std::string_view commandLine);

// The next ";"-ended field of the remaining text, removed from its front together with its ";".
// Nothing when no ";" is left; text after the last ";" is never returned.
std::optional<std::string> TakeField(std::string& remaining);

// Puts a record back: the twenty settings by position (missing ones as empty texts, spectator and
// regeneration kept when their code is unknown), the command line, and the rotation entries
// appended to the rotation given.
void LoadListUst(const TemplateRecord& record, GameSettings& settings, std::string& commandLine,
                 std::vector<std::string>& rotation);

}  // namespace qz7

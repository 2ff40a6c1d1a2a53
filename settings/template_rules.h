#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_fields.h"
#include "settings/template_content.h"

namespace qz7 {

// The one set of rules for what a template may hold. The window's save, qz7ctl import and the
// server file generator all check with these functions and refuse what they find; each words
// the problems for its own users.

// The part of a template a problem concerns.
enum class TemplateFieldKind {
    Name,
    Setting,  // one of the twenty settings; index is its position in field order
    CommandLine,
    Map,           // one map of the rotation; index is its position in the rotation
    SettingsLine,  // the twenty settings together
    Rotation,      // the rotation as a whole
};

struct TemplateFieldId {
    TemplateFieldKind kind;
    std::size_t index = 0;

    bool operator==(const TemplateFieldId&) const = default;
};

enum class TemplateProblemKind {
    NotWindows1251,    // a character Windows-1251 cannot hold, or malformed UTF-8
    LineBreak,         // CR, LF or NUL: it would end or split a line of a file
    FieldSeparator,    // ";" in a setting or a map: it would split the stored field
    Quote,             // a double quote in a value the server files write between quotes
    MapIdCharacter,    // a comma, TAB or blank in a map id: it would break its playlist line
    ControlCharacter,  // a TAB or another control character in a name: it would break the list
    NotInRange,        // a number field that is no whole number in its range; character: value
    Empty,             // an empty or blank name, an empty map id
    UnknownGameMode,   // a mode label that is none of the sixteen
    TooLong,           // more Windows-1251 characters than the record holds
    RotationTooLong,   // more maps than the four map fields hold
};

struct TemplateProblem {
    TemplateFieldId field;
    TemplateProblemKind kind;
    std::string character;  // the offending character, for the character kinds
    std::size_t size = 0;   // TooLong: the characters it takes; RotationTooLong: maps given
    std::size_t limit = 0;  // TooLong: the capacity; RotationTooLong: maps that fit

    bool operator==(const TemplateProblem&) const = default;
};

// What the server files are made of: the twenty settings and the rotation's map ids. The
// generator checks these alone.
std::vector<TemplateProblem> findSettingsProblems(
    const std::array<std::string, kSettingsFieldCount>& codes);
std::vector<TemplateProblem> findRotationProblems(const std::vector<std::string>& rotation);

// The template's name: a character the record cannot hold, a line break or another control
// character, nothing but blanks. A name over 200 characters is no problem here: the name dialog
// keeps its first 200.
std::vector<TemplateProblem> findNameProblems(std::string_view name);

// Whether a setting's text is a whole number of its field's range, written in digits only.
bool isWholeNumberIn(std::string_view text, WholeNumberRange range);

// How a message names a character a problem found, after "содержит": "табуляцию", "перевод
// строки (LF)", "управляющий символ с кодом 1", or the character itself in «».
std::string containedCharacterText(std::string_view character);

// "целое число от 0 до 30": what a number field takes, for the messages of every front end.
std::string wholeNumberRangeText(WholeNumberRange range);

// Everything a stored template must satisfy except its name (the window asks for the name only
// after the content has passed): the settings and the rotation as above, the command line, and
// the record's room for the settings line, the rotation and the command line.
std::vector<TemplateProblem> findContentProblems(const TemplateContent& content);

// The name and the content together, as an imported template must satisfy them: a name over 200
// characters is refused here, since nobody would see it being cut.
std::vector<TemplateProblem> findTemplateProblems(const TemplateContent& content);

}  // namespace qz7

#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "settings/template_content.h"
#include "settings/template_rules.h"

namespace qz7 {

// One template in a readable UTF-8 text form for sharing and version control: every field on a
// line of its own as Key=value (the value is everything after the first "=", blanks included),
// the rotation one "Map=" line per map, in order. Lines starting with "#" and empty lines are
// comments. The settings carry the codes a template stores, so a template goes out and comes back
// unchanged.

// The keys of the twenty settings, in field order.
const std::array<std::string_view, kSettingsFieldCount>& settingsFieldKeys();

// The key of a field of the text form ("Name", "Password", "Map", ...); "" for the settings line
// and the rotation as a whole, which have no line of their own.
std::string_view templateTextKey(TemplateFieldId field);

std::string writeTemplateText(const TemplateContent& content);

// A fault of the text form itself, on a line.
struct TextFormProblem {
    enum class Kind {
        NotUtf8,     // the line is not UTF-8
        NoEquals,    // no "=" between key and value
        UnknownKey,  // `key` is no field
        Repeated,    // `key` was given before, on line `firstLine`
        Missing,     // `key` is not given (line 0)
    };
    int line = 0;  // 1-based; 0 for a missing field
    Kind kind;
    std::string key;
    int firstLine = 0;
};

// Where each field of the text stood (1-based line numbers; 0 when not given).
struct TemplateTextLines {
    int name = 0;
    std::array<int, kSettingsFieldCount> settings{};
    int commandLine = 0;
    std::vector<int> maps;  // one per map of the rotation

    // The line of a field a rule problem names; 0 for the settings line and the rotation.
    int lineOf(TemplateFieldId field) const;
};

struct TemplateTextReading {
    TemplateContent content;  // the fields as read; a missing one is empty
    TemplateTextLines lines;
    std::vector<TextFormProblem> problems;
};

// Reads the text form. A UTF-8 byte-order mark at the start is skipped (Notepad writes one). A
// line ends at LF, and a CR right before the LF belongs to the line end; a CR anywhere else stays
// in the value, for the template rules to refuse. The values are not checked here: that is
// findTemplateProblems' work on the content.
TemplateTextReading readTemplateText(std::string_view text);

}  // namespace qz7

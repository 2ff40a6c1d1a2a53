#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/game_settings.h"
#include "settings/template_record.h"

namespace qz7 {

// One template in a readable UTF-8 text form for sharing and version control: every field on a
// line of its own as Key=value (the value is everything after the first "=", blanks included),
// the rotation one "Map=" line per map, in order. Lines starting with "#" and empty lines are
// comments. The settings carry the codes a template stores, so a template goes out and comes back
// unchanged.
struct TemplateContent {
    std::string name;
    std::array<std::string, kSettingsFieldCount> settingsCodes;
    std::vector<std::string> rotation;
    std::string commandLine;

    bool operator==(const TemplateContent&) const = default;
};

// The keys of the twenty settings, in field order.
const std::array<std::string_view, kSettingsFieldCount>& settingsFieldKeys();

std::string writeTemplateText(const TemplateContent& content);

struct TextProblem {
    int line = 0;          // 1-based; 0 when the problem concerns the whole text (a missing field)
    std::string message;   // Russian, for the user
    bool warning = false;  // warnings are reported but do not stop an import
};

struct TemplateTextReading {
    std::optional<TemplateContent> content;  // nothing when any problem is an error
    std::vector<TextProblem> problems;
};

// Reads the text form. Checks the form itself (UTF-8, known keys, each field once, nothing
// missing) and, per line, the value with `checkValue` (key, value) which returns an error text
// or nothing; map identifiers that `isKnownMap` does not know are warned about.
TemplateTextReading readTemplateText(
    std::string_view text,
    const std::function<std::optional<std::string>(std::string_view key, std::string_view value)>&
        checkValue,
    const std::function<bool(std::string_view map)>& isKnownMap);

// The content of a stored record, as UTF-8 text: the twenty settings codes by position (missing
// ones empty), the rotation entries of the four map fields in order.
TemplateContent contentOfRecord(const TemplateRecord& record);

// The record that stores the content, built the way the window builds one: the settings line
// from the codes, the rotation packed into the map fields. The content must have passed
// checkTemplateContent.
TemplateRecord recordOfContent(const TemplateContent& content);

// What the window's rules would refuse in one value of the text form (nothing when it is fine):
// a character Windows-1251 cannot hold, a ";" in a setting or map, a double quote in a value the
// server files put between quotes, a map with a blank, a name over 200 or a command line over 255
// characters.
std::optional<std::string> checkTemplateValue(std::string_view key, std::string_view value);

// The rules that concern the whole template: the settings line within 255 characters and the
// rotation within the four map fields. Each problem has line 0.
std::vector<TextProblem> checkTemplateContent(const TemplateContent& content);

}  // namespace qz7

#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "settings/game_settings.h"
#include "settings/template_record.h"

namespace qz7 {

// What a template holds, as UTF-8 text: its name, the twenty settings as the codes a template
// stores (the mode as its label), the rotation's map ids in order and the server command line.
// The window's state, a text-form template and a stored record all come down to this, so that
// one set of rules can check them.
struct TemplateContent {
    std::string name;
    std::array<std::string, kSettingsFieldCount> settingsCodes;
    std::vector<std::string> rotation;
    std::string commandLine;

    bool operator==(const TemplateContent&) const = default;
};

// The content of the window's state (the name given separately).
TemplateContent contentOfState(std::string name, const GameSettings& settings,
                               std::vector<std::string> rotation, std::string commandLine);

// The content of a stored record: the twenty settings codes by position (missing ones empty),
// the rotation entries of the four map fields in order.
TemplateContent contentOfRecord(const TemplateRecord& record);

// What a list of templates shows of a stored record (at least 1737 bytes), as contentOfRecord
// gives it: the name, the mode (the first settings code) and the number of rotation entries;
// nothing else is decoded.
struct TemplateSummary {
    std::string name;
    std::string mode;
    std::size_t maps = 0;

    bool operator==(const TemplateSummary&) const = default;
};
TemplateSummary summaryOfRecord(std::string_view bytes);

// The record that stores the content, built the way the window builds one: the settings line
// from the codes, the rotation packed into the map fields. The content must have passed the
// template rules (findTemplateProblems).
TemplateRecord recordOfContent(const TemplateContent& content);

}  // namespace qz7

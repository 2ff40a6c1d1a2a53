#include "settings/template_content.h"

#include <algorithm>

#include "platform/windows1251.h"
#include "settings/settings_fields.h"

namespace qz7 {

TemplateContent contentOfState(std::string name, const GameSettings& settings,
                               std::vector<std::string> rotation, std::string commandLine) {
    return {std::move(name), settingsFieldCodes(settings), std::move(rotation),
            std::move(commandLine)};
}

TemplateContent contentOfRecord(const TemplateRecord& record) {
    TemplateContent content;
    content.name = utf8FromWindows1251(record.Name);
    std::string remaining = record.SettingsLine;
    for (std::string& code : content.settingsCodes)
        code = utf8FromWindows1251(TakeField(remaining).value_or(""));
    for (const std::string& field : record.MapFields) {
        std::string rest = field;
        while (auto entry = TakeField(rest))
            content.rotation.push_back(utf8FromWindows1251(*entry));
    }
    content.commandLine = utf8FromWindows1251(record.CommandLine);
    return content;
}

TemplateSummary summaryOfRecord(std::string_view bytes) {
    TemplateSummary summary;
    summary.name = utf8FromWindows1251(templateRecordField(bytes, kNameLayout));
    // Fields end with ";": text after the last one is no field, as TakeField has it.
    std::string_view line = templateRecordField(bytes, kSettingsLineLayout);
    constexpr std::size_t kModeField = settingsFieldIndex(&GameSettings::GameMode);
    for (std::size_t field = 0; field <= kModeField; ++field) {
        const std::size_t end = line.find(';');
        if (end == std::string_view::npos) break;
        if (field == kModeField) summary.mode = utf8FromWindows1251(line.substr(0, end));
        line.remove_prefix(end + 1);
    }
    for (const RecordFieldLayout& layout : kMapFieldLayouts) {
        const std::string_view field = templateRecordField(bytes, layout);
        summary.maps += std::size_t(std::count(field.begin(), field.end(), ';'));
    }
    return summary;
}

TemplateRecord recordOfContent(const TemplateContent& content) {
    TemplateRecord record;
    record.Name = templateNameField(content.name);
    record.SettingsLine = settingsLineOfCodes(content.settingsCodes);
    std::vector<std::string> entries;
    for (const std::string& map : content.rotation) entries.push_back(windows1251FromUtf8(map));
    record.MapFields = packRotation(entries).fields;
    record.CommandLine = windows1251FromUtf8(content.commandLine);
    return record;
}

}  // namespace qz7

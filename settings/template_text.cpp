#include "settings/template_text.h"

#include <map>

#include "platform/utf8.h"
#include "settings/settings_fields.h"

namespace qz7 {

namespace {

constexpr std::string_view kNameKey = "Name";
constexpr std::string_view kCommandLineKey = "CommandLine";
constexpr std::string_view kMapKey = "Map";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

const std::array<std::string_view, kSettingsFieldCount>& settingsFieldKeys() {
    static const std::array<std::string_view, kSettingsFieldCount> keys = [] {
        std::array<std::string_view, kSettingsFieldCount> found;
        for (std::size_t i = 0; i < kSettingsFieldCount; ++i) found[i] = kSettingsFields[i].key;
        return found;
    }();
    return keys;
}

std::string_view templateTextKey(TemplateFieldId field) {
    switch (field.kind) {
        case TemplateFieldKind::Name:
            return kNameKey;
        case TemplateFieldKind::Setting:
            return settingsFieldKeys()[field.index];
        case TemplateFieldKind::CommandLine:
            return kCommandLineKey;
        case TemplateFieldKind::Map:
            return kMapKey;
        case TemplateFieldKind::SettingsLine:
        case TemplateFieldKind::Rotation:
            break;
    }
    return {};
}

int TemplateTextLines::lineOf(TemplateFieldId field) const {
    switch (field.kind) {
        case TemplateFieldKind::Name:
            return name;
        case TemplateFieldKind::Setting:
            return settings[field.index];
        case TemplateFieldKind::CommandLine:
            return commandLine;
        case TemplateFieldKind::Map:
            return field.index < maps.size() ? maps[field.index] : 0;
        case TemplateFieldKind::SettingsLine:
        case TemplateFieldKind::Rotation:
            break;
    }
    return 0;
}

std::string writeTemplateText(const TemplateContent& content) {
    std::string text;
    text += "# Шаблон настроек сервера QZ7. Значение поля: всё после первого \"=\".\n";
    text += std::string(kNameKey) + "=" + content.name + "\n";
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
        text += "# " + std::string(kSettingsFields[i].caption) + "\n";
        text += std::string(settingsFieldKeys()[i]) + "=" + content.settingsCodes[i] + "\n";
    }
    text += std::string(kCommandLineKey) + "=" + content.commandLine + "\n";
    text += "# Карты по порядку\n";
    for (const std::string& map : content.rotation) text += std::string(kMapKey) + "=" + map + "\n";
    return text;
}

TemplateTextReading readTemplateText(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    TemplateTextReading reading;
    std::map<std::string, int, std::less<>> seenAt;  // key -> line
    auto problem = [&](int line, TextFormProblem::Kind kind, std::string_view key = {},
                       int firstLine = 0) {
        reading.problems.push_back({line, kind, std::string(key), firstLine});
    };

    int lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;

        if (!isValidUtf8(line)) {
            problem(lineNumber, TextFormProblem::Kind::NotUtf8);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            problem(lineNumber, TextFormProblem::Kind::NoEquals);
            continue;
        }
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);

        std::size_t field = kSettingsFieldCount;
        for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
            if (settingsFieldKeys()[i] == key) field = i;
        }
        const bool known = field < kSettingsFieldCount || key == kNameKey ||
                           key == kCommandLineKey || key == kMapKey;
        if (!known) {
            problem(lineNumber, TextFormProblem::Kind::UnknownKey, key);
            continue;
        }
        if (key == kMapKey) {
            reading.content.rotation.emplace_back(value);
            reading.lines.maps.push_back(lineNumber);
            continue;
        }
        auto [at, inserted] = seenAt.emplace(std::string(key), lineNumber);
        if (!inserted) {
            problem(lineNumber, TextFormProblem::Kind::Repeated, key, at->second);
            continue;
        }
        if (key == kNameKey) {
            reading.content.name = value;
            reading.lines.name = lineNumber;
        } else if (key == kCommandLineKey) {
            reading.content.commandLine = value;
            reading.lines.commandLine = lineNumber;
        } else {
            reading.content.settingsCodes[field] = value;
            reading.lines.settings[field] = lineNumber;
        }
    }

    auto requireField = [&](std::string_view key) {
        if (!seenAt.contains(key)) problem(0, TextFormProblem::Kind::Missing, key);
    };
    requireField(kNameKey);
    for (std::string_view key : settingsFieldKeys()) requireField(key);
    requireField(kCommandLineKey);
    return reading;
}

}  // namespace qz7

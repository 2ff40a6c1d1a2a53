#include "settings/template_text.h"

#include <algorithm>
#include <map>

#include "platform/windows1251.h"

namespace qz7 {

namespace {

constexpr std::string_view kNameKey = "Name";
constexpr std::string_view kCommandLineKey = "CommandLine";
constexpr std::string_view kMapKey = "Map";

bool isValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto lead = static_cast<unsigned char>(text[pos]);
        std::size_t extra = lead < 0x80   ? 0
                            : lead < 0xC2 ? 9
                            : lead < 0xE0 ? 1
                            : lead < 0xF0 ? 2
                            : lead < 0xF5 ? 3
                                          : 9;
        if (extra == 9 || (extra > 0 && pos + extra >= text.size())) return false;
        for (std::size_t i = 1; i <= extra; ++i) {
            if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return false;
        }
        pos += extra + 1;
    }
    return true;
}

std::string quoted(std::string_view key) { return "«" + std::string(key) + "»"; }

std::string settingsLineOfCodes(const std::array<std::string, kSettingsFieldCount>& codes) {
    std::string line;
    for (const std::string& code : codes) line += windows1251FromUtf8(code) + ";";
    return line;
}

std::vector<std::string> windows1251Entries(const std::vector<std::string>& rotation) {
    std::vector<std::string> entries;
    for (const std::string& map : rotation) entries.push_back(windows1251FromUtf8(map));
    return entries;
}

bool isQuotedValue(std::string_view key) {
    return key == "Password" || key == "MaxHealth" || key == "ScoreLimit" || key == "TimeLimit" ||
           key == "Lives" || key == "MaxPlayers";
}

}  // namespace

const std::array<std::string_view, kSettingsFieldCount>& settingsFieldKeys() {
    static const std::array<std::string_view, kSettingsFieldCount> keys = {
        "GameMode",     "MaxHealth",     "Hardcore",      "ScoreLimit",       "TimeLimit",
        "FriendlyFire", "NoUnderbarrel", "KillCam",       "NoDefaultClasses", "Password",
        "Perks",        "ThirdPerson",   "CustomClasses", "HeadshotsOnly",    "RadarAlwaysOn",
        "Killstreaks",  "Lives",         "Spectator",     "HealthRegen",      "MaxPlayers"};
    return keys;
}

std::string writeTemplateText(const TemplateContent& content) {
    std::string text;
    text += "# Шаблон настроек сервера QZ7. Значение поля: всё после первого \"=\".\n";
    text += std::string(kNameKey) + "=" + content.name + "\n";
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
        text += "# " + std::string(settingsFieldCaptions()[i]) + "\n";
        text += std::string(settingsFieldKeys()[i]) + "=" + content.settingsCodes[i] + "\n";
    }
    text += std::string(kCommandLineKey) + "=" + content.commandLine + "\n";
    text += "# Карты по порядку\n";
    for (const std::string& map : content.rotation) text += std::string(kMapKey) + "=" + map + "\n";
    return text;
}

TemplateTextReading readTemplateText(
    std::string_view text,
    const std::function<std::optional<std::string>(std::string_view, std::string_view)>& checkValue,
    const std::function<bool(std::string_view)>& isKnownMap) {
    TemplateTextReading reading;
    TemplateContent content;
    std::map<std::string, int, std::less<>> seenAt;  // key -> line
    auto problem = [&](int line, std::string message, bool warning = false) {
        reading.problems.push_back({line, std::move(message), warning});
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
            problem(lineNumber, "строка не в кодировке UTF-8");
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            problem(lineNumber, "нет знака \"=\" между именем поля и значением");
            continue;
        }
        std::string_view key = line.substr(0, equals);
        std::string_view value = line.substr(equals + 1);

        std::size_t field = kSettingsFieldCount;
        for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
            if (settingsFieldKeys()[i] == key) field = i;
        }
        const bool known = field < kSettingsFieldCount || key == kNameKey ||
                           key == kCommandLineKey || key == kMapKey;
        if (!known) {
            problem(lineNumber, "неизвестное поле " + quoted(key));
            continue;
        }
        if (key != kMapKey) {
            auto [at, inserted] = seenAt.emplace(std::string(key), lineNumber);
            if (!inserted) {
                problem(lineNumber, "поле " + quoted(key) + " уже задано в строке " +
                                        std::to_string(at->second));
                continue;
            }
        }
        if (auto error = checkValue(key, value)) {
            problem(lineNumber, "поле " + quoted(key) + ": " + *error);
            continue;
        }
        if (key == kMapKey) {
            if (!isKnownMap(value))
                problem(lineNumber, "карта " + quoted(value) + " не из списка карт", true);
            content.rotation.emplace_back(value);
        } else if (key == kNameKey) {
            content.name = value;
        } else if (key == kCommandLineKey) {
            content.commandLine = value;
        } else {
            content.settingsCodes[field] = value;
        }
    }

    auto requireField = [&](std::string_view key) {
        if (!seenAt.contains(key)) problem(0, "нет поля " + quoted(key));
    };
    requireField(kNameKey);
    for (std::string_view key : settingsFieldKeys()) requireField(key);
    requireField(kCommandLineKey);

    bool anyError = false;
    for (const TextProblem& p : reading.problems) anyError = anyError || !p.warning;
    if (!anyError) reading.content = std::move(content);
    return reading;
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

TemplateRecord recordOfContent(const TemplateContent& content) {
    TemplateRecord record;
    record.Name = templateNameField(content.name);
    record.SettingsLine = settingsLineOfCodes(content.settingsCodes);
    record.MapFields = packRotation(windows1251Entries(content.rotation)).fields;
    record.CommandLine = windows1251FromUtf8(content.commandLine);
    return record;
}

std::optional<std::string> checkTemplateValue(std::string_view key, std::string_view value) {
    if (!fitsWindows1251(value)) return "есть символ, которого нет в кодировке Windows-1251";
    const bool isSetting = std::find(settingsFieldKeys().begin(), settingsFieldKeys().end(), key) !=
                           settingsFieldKeys().end();
    if ((isSetting || key == kMapKey) && value.find(';') != std::string_view::npos)
        return "содержит \";\", которая разделяет поля шаблона";
    if (isQuotedValue(key) && value.find('"') != std::string_view::npos)
        return "содержит кавычку \", которая разорвала бы строку файла сервера";
    if (key == kMapKey && (value.empty() || value.find(' ') != std::string_view::npos))
        return "имя карты пустое или содержит пробел";
    if (key == kNameKey && windows1251Length(value) > kNameLayout.capacity)
        return "длиннее " + std::to_string(kNameLayout.capacity) + " символов";
    if (key == kCommandLineKey && windows1251Length(value) > kCommandLineLayout.capacity)
        return "длиннее " + std::to_string(kCommandLineLayout.capacity) + " символов";
    return std::nullopt;
}

std::vector<TextProblem> checkTemplateContent(const TemplateContent& content) {
    std::vector<TextProblem> problems;
    const std::size_t lineLength = settingsLineOfCodes(content.settingsCodes).size();
    if (lineLength > kSettingsLineLayout.capacity)
        problems.push_back({0, "настройки вместе занимают " + std::to_string(lineLength) +
                                   " символов, в шаблоне есть место для " +
                                   std::to_string(kSettingsLineLayout.capacity)});
    const std::size_t stored = packRotation(windows1251Entries(content.rotation)).entriesStored;
    if (stored < content.rotation.size())
        problems.push_back({0, "в четыре поля карт шаблона помещаются только " +
                                   std::to_string(stored) + " из " +
                                   std::to_string(content.rotation.size()) + " карт"});
    return problems;
}

}  // namespace qz7

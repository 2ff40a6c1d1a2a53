#include "settings/template_rules.h"

#include <algorithm>
#include <optional>

#include "platform/windows1251.h"
#include "settings/settings_fields.h"

namespace qz7 {

namespace {

// The position of the mode among the settings.
constexpr std::size_t kGameModeField = settingsFieldIndex(&GameSettings::GameMode);

// The characters that end or split a line of any file the program writes.
constexpr std::string_view kLineBreaks("\r\n\0", 3);
// The characters that end a map id inside a playlist line "<map>,Manual_Mod,<weight>".
constexpr std::string_view kMapIdBreaks(", \t", 3);

class ProblemList {
  public:
    explicit ProblemList(std::vector<TemplateProblem>& problems) : problems_(problems) {}

    void add(TemplateFieldId field, TemplateProblemKind kind, std::string character = {},
             std::size_t size = 0, std::size_t limit = 0) {
        problems_.push_back({field, kind, std::move(character), size, limit});
    }

    // A character outside Windows-1251 and a line break: what every value is checked for.
    void checkText(TemplateFieldId field, std::string_view text) {
        if (auto foreign = firstCharacterOutsideWindows1251(text))
            add(field, TemplateProblemKind::NotWindows1251, std::string(*foreign));
        checkCharacters(field, text, kLineBreaks, TemplateProblemKind::LineBreak);
    }

    void checkCharacters(TemplateFieldId field, std::string_view text, std::string_view refused,
                         TemplateProblemKind kind) {
        const std::size_t at = text.find_first_of(refused);
        if (at != std::string_view::npos) add(field, kind, std::string(1, text[at]));
    }

    void checkLength(TemplateFieldId field, std::size_t size, std::size_t limit) {
        if (size > limit) add(field, TemplateProblemKind::TooLong, {}, size, limit);
    }

  private:
    std::vector<TemplateProblem>& problems_;
};

// A control character other than the line breaks, which are a problem of their own.
std::optional<char> otherControlCharacter(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 || byte == 0x7F) && kLineBreaks.find(c) == std::string_view::npos)
            return c;
    }
    return std::nullopt;
}

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

bool isGameModeLabel(std::string_view label) {
    const auto& modes = gameModeTable();
    return std::any_of(modes.begin(), modes.end(),
                       [&](const GameMode& mode) { return mode.label == label; });
}

}  // namespace

std::vector<TemplateProblem> findSettingsProblems(
    const std::array<std::string, kSettingsFieldCount>& codes) {
    std::vector<TemplateProblem> problems;
    ProblemList list(problems);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const TemplateFieldId field{TemplateFieldKind::Setting, i};
        // A number in digits holds none of the characters below; the range says all.
        if (!kSettingsFields[i].range.empty()) {
            if (!isWholeNumberIn(codes[i], kSettingsFields[i].range))
                list.add(field, TemplateProblemKind::NotInRange, codes[i]);
            continue;
        }
        list.checkText(field, codes[i]);
        list.checkCharacters(field, codes[i], ";", TemplateProblemKind::FieldSeparator);
        if (kSettingsFields[i].flags & kWrittenToServerFiles)
            list.checkCharacters(field, codes[i], "\"", TemplateProblemKind::Quote);
    }
    if (!isGameModeLabel(codes[kGameModeField]))
        list.add({TemplateFieldKind::Setting, kGameModeField}, TemplateProblemKind::UnknownGameMode,
                 codes[kGameModeField]);
    return problems;
}

std::vector<TemplateProblem> findRotationProblems(const std::vector<std::string>& rotation) {
    std::vector<TemplateProblem> problems;
    ProblemList list(problems);
    for (std::size_t i = 0; i < rotation.size(); ++i) {
        const TemplateFieldId field{TemplateFieldKind::Map, i};
        const std::string& map = rotation[i];
        if (map.empty()) list.add(field, TemplateProblemKind::Empty);
        list.checkText(field, map);
        list.checkCharacters(field, map, ";", TemplateProblemKind::FieldSeparator);
        list.checkCharacters(field, map, kMapIdBreaks, TemplateProblemKind::MapIdCharacter);
    }
    return problems;
}

std::vector<TemplateProblem> findNameProblems(std::string_view name) {
    std::vector<TemplateProblem> problems;
    ProblemList list(problems);
    const TemplateFieldId field{TemplateFieldKind::Name};
    if (isBlank(name)) list.add(field, TemplateProblemKind::Empty);
    list.checkText(field, name);
    if (problems.empty()) {
        if (auto control = otherControlCharacter(name))
            list.add(field, TemplateProblemKind::ControlCharacter, std::string(1, *control));
    }
    return problems;
}

bool isWholeNumberIn(std::string_view text, WholeNumberRange range) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    const std::size_t digits = text.find_first_not_of('0');
    if (digits == std::string_view::npos) return range.minimum <= 0 && 0 <= range.maximum;
    const std::string_view significant = text.substr(digits);
    if (significant.size() > 9) return false;  // beyond any range an int holds
    const int value = std::stoi(std::string(significant));
    return range.minimum <= value && value <= range.maximum;
}

std::string containedCharacterText(std::string_view character) {
    if (character == "\r") return "возврат каретки (CR)";
    if (character == "\n") return "перевод строки (LF)";
    if (character == std::string_view("\0", 1)) return "нулевой символ (NUL)";
    if (character == "\t") return "табуляцию";
    if (character == " ") return "пробел";
    if (character.size() == 1 && static_cast<unsigned char>(character[0]) < 0x20)
        return "управляющий символ с кодом " +
               std::to_string(static_cast<unsigned char>(character[0]));
    if (character == "\x7F") return "управляющий символ с кодом 127";
    return "«" + std::string(character) + "»";
}

std::string wholeNumberRangeText(WholeNumberRange range) {
    return "целое число от " + std::to_string(range.minimum) + " до " +
           std::to_string(range.maximum);
}

std::vector<TemplateProblem> findContentProblems(const TemplateContent& content) {
    std::vector<TemplateProblem> problems = findSettingsProblems(content.settingsCodes);
    ProblemList list(problems);
    list.checkLength({TemplateFieldKind::SettingsLine},
                     settingsLineOfCodes(content.settingsCodes).size(),
                     kSettingsLineLayout.capacity);

    std::vector<TemplateProblem> maps = findRotationProblems(content.rotation);
    problems.insert(problems.end(), maps.begin(), maps.end());
    std::vector<std::string> entries;
    for (const std::string& map : content.rotation) entries.push_back(windows1251FromUtf8(map));
    const std::size_t stored = packRotation(entries).entriesStored;
    if (stored < content.rotation.size())
        list.add({TemplateFieldKind::Rotation}, TemplateProblemKind::RotationTooLong, {},
                 content.rotation.size(), stored);

    const TemplateFieldId commandLine{TemplateFieldKind::CommandLine};
    list.checkText(commandLine, content.commandLine);
    list.checkLength(commandLine, windows1251Length(content.commandLine),
                     kCommandLineLayout.capacity);
    return problems;
}

std::vector<TemplateProblem> findTemplateProblems(const TemplateContent& content) {
    std::vector<TemplateProblem> problems = findNameProblems(content.name);
    ProblemList(problems).checkLength({TemplateFieldKind::Name}, windows1251Length(content.name),
                                      kNameLayout.capacity);
    std::vector<TemplateProblem> rest = findContentProblems(content);
    problems.insert(problems.end(), rest.begin(), rest.end());
    return problems;
}

}  // namespace qz7

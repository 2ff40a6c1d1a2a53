#include "server/refused_values.h"

#include "settings/settings_fields.h"
#include "settings/template_rules.h"

namespace qz7 {

namespace {

constexpr std::string_view kNotWritten = " Файлы не сформированы.";

std::string quoted(std::string_view text) { return "«" + std::string(text) + "»"; }

std::string whatIsRefused(const TemplateProblem& problem) {
    using K = TemplateProblemKind;
    switch (problem.kind) {
        case K::NotWindows1251:
            return "символа " + quoted(problem.character) + " нет в кодировке Windows-1251";
        case K::LineBreak:
            return "перевод строки не допускается";
        case K::FieldSeparator:
            return "символ «;» не допускается";
        case K::Quote:
            return "двойная кавычка не допускается";
        case K::MapIdCharacter:
            return "запятая, пробел и табуляция не допускаются";
        default:
            break;
    }
    return {};
}

std::string refusal(const TemplateProblem& problem, const std::vector<std::string>& rotation) {
    if (problem.kind == TemplateProblemKind::UnknownGameMode)
        return (problem.character.empty()
                    ? std::string("Режим игры не выбран.")
                    : "Режим игры " + quoted(problem.character) + " не из списка режимов.") +
               std::string(kNotWritten);
    if (problem.field.kind == TemplateFieldKind::Map) {
        const std::string position = " (" + std::to_string(problem.field.index + 1) + "-я карта)";
        if (problem.kind == TemplateProblemKind::Empty)
            return "Пустое имя карты" + position + "." + std::string(kNotWritten);
        return "Недопустимое имя карты " + quoted(rotation[problem.field.index]) + position + ": " +
               whatIsRefused(problem) + "." + std::string(kNotWritten);
    }
    const SettingsField& field = kSettingsFields[problem.field.index];
    std::string_view caption = field.caption;
    if (caption.starts_with("- ")) caption.remove_prefix(2);
    if (problem.kind == TemplateProblemKind::NotInRange)
        return "Недопустимое значение поля " + quoted(caption) + ": " + quoted(problem.character) +
               ", нужно " + wholeNumberRangeText(field.range) + "." + std::string(kNotWritten);
    return "Недопустимый символ в поле " + quoted(caption) + ": " + whatIsRefused(problem) + "." +
           std::string(kNotWritten);
}

}  // namespace

std::optional<std::string> serverFilesRefusal(const GameSettings& settings,
                                              const std::vector<std::string>& rotation) {
    std::vector<TemplateProblem> problems = findSettingsProblems(settingsFieldCodes(settings));
    if (problems.empty()) problems = findRotationProblems(rotation);
    if (problems.empty()) return std::nullopt;
    return refusal(problems.front(), rotation);
}

}  // namespace qz7

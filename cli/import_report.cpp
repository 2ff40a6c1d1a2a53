#include "cli/import_report.h"

#include <algorithm>
#include <climits>
#include <ostream>

#include "maps/map_catalogue.h"
#include "platform/utf8.h"
#include "settings/settings_fields.h"

namespace qz7::cli {

namespace {

std::string quoted(std::string_view text) { return "«" + std::string(text) + "»"; }

std::string ruleText(const TemplateProblem& problem) {
    using K = TemplateProblemKind;
    switch (problem.kind) {
        case K::NotWindows1251:
            if (!isValidUtf8(problem.character)) return "строка не в кодировке UTF-8";
            return "есть символ " + quoted(problem.character) +
                   ", которого нет в кодировке Windows-1251";
        case K::LineBreak:
            return "содержит " + containedCharacterText(problem.character);
        case K::FieldSeparator:
            return "содержит \";\", которая разделяет поля шаблона";
        case K::Quote:
            return "содержит кавычку \", которая разорвала бы строку файла сервера";
        case K::MapIdCharacter:
            return "имя карты содержит " + containedCharacterText(problem.character);
        case K::ControlCharacter:
            return "содержит " + containedCharacterText(problem.character);
        case K::NotInRange:
            return quoted(problem.character) + " не " +
                   wholeNumberRangeText(kSettingsFields[problem.field.index].range);
        case K::Empty:
            return problem.field.kind == TemplateFieldKind::Map ? "имя карты пустое"
                                                                : "пустое или из одних пробелов";
        case K::UnknownGameMode:
            return "режим " + quoted(problem.character) + " не из шестнадцати режимов игры";
        case K::TooLong:
            if (problem.field.kind == TemplateFieldKind::SettingsLine)
                return "настройки вместе занимают " + std::to_string(problem.size) +
                       " символов, в шаблоне есть место для " + std::to_string(problem.limit);
            return "длиннее " + std::to_string(problem.limit) + " символов (" +
                   std::to_string(problem.size) + ")";
        case K::RotationTooLong:
            return "в четыре поля карт шаблона помещаются только " + std::to_string(problem.limit) +
                   " из " + std::to_string(problem.size) + " карт";
    }
    return {};
}

std::string formText(const TextFormProblem& problem) {
    using K = TextFormProblem::Kind;
    switch (problem.kind) {
        case K::NotUtf8:
            return "строка не в кодировке UTF-8";
        case K::NoEquals:
            return "нет знака \"=\" между именем поля и значением";
        case K::UnknownKey:
            return "неизвестное поле " + quoted(problem.key);
        case K::Repeated:
            return "поле " + quoted(problem.key) + " уже задано в строке " +
                   std::to_string(problem.firstLine);
        case K::Missing:
            return "нет поля " + quoted(problem.key);
    }
    return {};
}

// Russian plural of "ошибка" after a number.
std::string errorsWord(std::size_t count) {
    const std::size_t lastTwo = count % 100;
    const std::size_t last = count % 10;
    if (lastTwo >= 11 && lastTwo <= 14) return "ошибок";
    if (last == 1) return "ошибка";
    if (last >= 2 && last <= 4) return "ошибки";
    return "ошибок";
}

}  // namespace

std::vector<ImportProblem> importProblems(const TemplateTextReading& reading,
                                          const std::vector<TemplateProblem>& ruleProblems,
                                          bool nameFromOption) {
    std::vector<ImportProblem> problems;
    for (const TextFormProblem& problem : reading.problems)
        problems.push_back({problem.line, formText(problem)});
    for (const TemplateProblem& problem : ruleProblems) {
        const TemplateFieldKind kind = problem.field.kind;
        const bool wholeTemplate =
            kind == TemplateFieldKind::SettingsLine || kind == TemplateFieldKind::Rotation;
        if (kind == TemplateFieldKind::Name && nameFromOption) {
            problems.push_back({0, "имя из --name: " + ruleText(problem)});
            continue;
        }
        const int line = reading.lines.lineOf(problem.field);
        if (line == 0 && !wholeTemplate) continue;  // reported as missing
        std::string message = ruleText(problem);
        if (!wholeTemplate)
            message = "поле " + quoted(templateTextKey(problem.field)) + ": " + message;
        problems.push_back({line, std::move(message)});
    }
    for (std::size_t i = 0; i < reading.content.rotation.size(); ++i) {
        const std::string& map = reading.content.rotation[i];
        if (!isCatalogueMap(map))
            problems.push_back(
                {reading.lines.maps[i], "карта " + quoted(map) + " не из списка карт", true});
    }
    // In line order; what concerns the whole template comes last.
    auto order = [](const ImportProblem& p) { return p.line > 0 ? p.line : INT_MAX; };
    std::stable_sort(
        problems.begin(), problems.end(),
        [&](const ImportProblem& a, const ImportProblem& b) { return order(a) < order(b); });
    return problems;
}

void printImportProblems(const std::string& file, const std::vector<ImportProblem>& problems,
                         std::ostream& err) {
    const std::size_t listed = std::min(problems.size(), kListedImportProblems);
    for (std::size_t i = 0; i < listed; ++i) {
        const ImportProblem& problem = problems[i];
        err << file << ":";
        if (problem.line > 0) err << problem.line << ":";
        err << (problem.warning ? " предупреждение: " : " ошибка: ") << problem.message << "\n";
    }
    const auto moreErrors = std::count_if(problems.begin() + std::ptrdiff_t(listed), problems.end(),
                                          [](const ImportProblem& p) { return !p.warning; });
    if (moreErrors > 0)
        err << file << ": и ещё " << moreErrors << " " << errorsWord(std::size_t(moreErrors))
            << "\n";
}

}  // namespace qz7::cli

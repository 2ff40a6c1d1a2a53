#include "app/template_problem_message.h"

#include <algorithm>

#include "platform/windows1251.h"
#include "settings/settings_fields.h"
#include "settings/template_record.h"

namespace qz7 {

namespace {

std::string quoted(std::string_view text) { return "«" + std::string(text) + "»"; }

// A caption such as "- пароль подключения" without its leading dash.
std::string settingName(std::size_t index) {
    std::string_view caption = kSettingsFields[index].caption;
    if (caption.starts_with("- ")) caption.remove_prefix(2);
    return std::string(caption);
}

std::string fieldName(TemplateFieldId field) {
    switch (field.kind) {
        case TemplateFieldKind::Name:
            return "имя шаблона";
        case TemplateFieldKind::Setting:
            return settingName(field.index);
        case TemplateFieldKind::CommandLine:
            return "строка запуска сервера";
        case TemplateFieldKind::SettingsLine:
            return "строка настроек";
        case TemplateFieldKind::Map:
        case TemplateFieldKind::Rotation:
            break;
    }
    return "карты шаблона";
}

std::string longestSetting(const TemplateContent& content) {
    const auto& codes = content.settingsCodes;
    const auto longest = std::max_element(codes.begin(), codes.end(), [](auto& a, auto& b) {
        return windows1251Length(a) < windows1251Length(b);
    });
    return settingName(std::size_t(longest - codes.begin()));
}

}  // namespace

std::string templateProblemMessage(const TemplateProblem& problem, const TemplateContent& content) {
    using K = TemplateProblemKind;
    const std::string field = "Поле " + quoted(fieldName(problem.field));
    switch (problem.kind) {
        case K::NotWindows1251:
            return field + " содержит символ " + quoted(problem.character) +
                   ", которого нет в кодировке Windows-1251. Шаблон хранит только символы этой "
                   "кодировки; замените или удалите этот символ.";
        case K::LineBreak:
            return field +
                   " содержит перевод строки или нулевой символ. В файлах шаблона и сервера он "
                   "разорвал бы строку; удалите его.";
        case K::FieldSeparator:
            return field +
                   " содержит символ «;». Шаблон разделяет значения этим символом, поэтому в "
                   "значениях он недопустим; удалите его.";
        case K::Quote:
            return field +
                   " содержит двойную кавычку. Файлы сервера пишут это значение в кавычках, и "
                   "она разорвала бы строку; удалите её.";
        case K::MapIdCharacter:
            return field + ": в имени карты " + quoted(content.rotation.at(problem.field.index)) +
                   " есть запятая, пробел или табуляция; такая карта испортила бы список карт "
                   "сервера.";
        case K::ControlCharacter:
            return field + " содержит " + containedCharacterText(problem.character) +
                   ". Такой символ разорвал бы строку в списке шаблонов и в текстовом виде "
                   "шаблона; удалите его.";
        case K::NotInRange:
            return field + ": значение " + quoted(problem.character) + " не подходит, нужно " +
                   wholeNumberRangeText(kSettingsFields[problem.field.index].range) +
                   " (только цифры).";
        case K::Empty:
            if (problem.field.kind == TemplateFieldKind::Name)
                return "Введите имя шаблона для сохранения";
            return field + ": в списке карт есть карта без имени.";
        case K::UnknownGameMode:
            return "Выберите режим игры из списка: " +
                   (problem.character.empty() ? std::string("режим не выбран")
                                              : "режима " + quoted(problem.character) + " нет") +
                   ".";
        case K::TooLong:
            return field + " заняло бы в шаблоне " + std::to_string(problem.size) +
                   " символов, а помещается не более " + std::to_string(problem.limit) + ". " +
                   (problem.field.kind == TemplateFieldKind::SettingsLine
                        ? "Сократите значение поля " + quoted(longestSetting(content)) + "."
                        : std::string("Сократите строку запуска."));
        case K::RotationTooLong:
            return field + " не помещается в шаблон: в четыре поля карт по " +
                   std::to_string(kMapFieldLayouts[0].capacity) + " символов входят только " +
                   std::to_string(problem.limit) + " из " + std::to_string(problem.size) +
                   " карт. Уберите лишние карты.";
    }
    return {};
}

}  // namespace qz7

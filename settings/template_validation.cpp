#include "settings/template_validation.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/windows1251.h"
#include "settings/template_record.h"

namespace qz7 {

namespace {

constexpr std::string_view kSettingsLineField = "строка настроек";
constexpr std::string_view kRotationField = "карты шаблона";
constexpr std::string_view kCommandLineField = "строка запуска сервера";
constexpr std::string_view kNameField = "имя шаблона";

// A caption such as "- пароль подключения" without its leading dash, for messages.
std::string fieldName(std::string_view caption) {
    if (caption.starts_with("- ")) caption.remove_prefix(2);
    return std::string(caption);
}

std::string quoted(std::string_view text) { return "«" + std::string(text) + "»"; }

// The first character of the UTF-8 text that Windows-1251 cannot hold, or nothing.
std::optional<std::string> firstForeignCharacter(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = start + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        const std::string_view character = text.substr(start, end - start);
        if (!fitsWindows1251(character)) return std::string(character);
        start = end;
    }
    return std::nullopt;
}

std::optional<TemplateProblem> foreignCharacterProblem(std::string_view field,
                                                       std::string_view text) {
    const auto foreign = firstForeignCharacter(text);
    if (!foreign) return std::nullopt;
    return TemplateProblem{std::string(field), 0,
                           "Поле " + quoted(field) + " содержит символ " + quoted(*foreign) +
                               ", которого нет в кодировке Windows-1251. Шаблон хранит только "
                               "символы этой кодировки; замените или удалите этот символ."};
}

std::optional<TemplateProblem> separatorProblem(std::string_view field, std::string_view text) {
    if (text.find(';') == std::string_view::npos) return std::nullopt;
    return TemplateProblem{std::string(field), 0,
                           "Поле " + quoted(field) +
                               " содержит символ «;». Шаблон разделяет значения этим символом, "
                               "поэтому в значениях он недопустим; удалите его."};
}

std::optional<TemplateProblem> lengthProblem(std::string_view field, std::size_t length,
                                             std::size_t limit, std::string_view advice) {
    if (length <= limit) return std::nullopt;
    return TemplateProblem{std::string(field), limit,
                           "Поле " + quoted(field) + " заняло бы в шаблоне " +
                               std::to_string(length) + " символов, а помещается не более " +
                               std::to_string(limit) + ". " + std::string(advice)};
}

// The settings whose text goes into the settings line as typed; spectator and regeneration are
// stored as codes and need no check.
std::array<std::pair<std::string, const std::string*>, 7> typedTexts(const GameSettings& s) {
    using L = SettingsFieldLabels;
    return {{{fieldName(L::GameMode), &s.GameMode},
             {fieldName(L::MaxHealth), &s.MaxHealth},
             {fieldName(L::ScoreLimit), &s.ScoreLimit},
             {fieldName(L::TimeLimit), &s.TimeLimit},
             {fieldName(L::Password), &s.Password},
             {fieldName(L::Lives), &s.Lives},
             {fieldName(L::MaxPlayers), &s.MaxPlayers}}};
}

std::optional<TemplateProblem> settingsProblem(const GameSettings& settings) {
    const auto texts = typedTexts(settings);
    for (const auto& [name, value] : texts) {
        if (auto problem = foreignCharacterProblem(name, *value)) return problem;
        if (auto problem = separatorProblem(name, *value)) return problem;
    }
    const std::size_t length = settingsLineOf(settings).size();
    const auto longest = std::max_element(texts.begin(), texts.end(), [](auto& a, auto& b) {
        return windows1251Length(*a.second) < windows1251Length(*b.second);
    });
    return lengthProblem(kSettingsLineField, length, kSettingsLineLayout.capacity,
                         "Сократите значение поля " + quoted(longest->first) + ".");
}

std::optional<TemplateProblem> rotationProblem(const std::vector<std::string>& rotation) {
    std::vector<std::string> entries;
    entries.reserve(rotation.size());
    for (const std::string& entry : rotation) {
        if (auto problem = foreignCharacterProblem(kRotationField, entry)) return problem;
        if (auto problem = separatorProblem(kRotationField, entry)) return problem;
        entries.push_back(windows1251FromUtf8(entry));
    }
    const std::size_t stored = packRotation(entries).entriesStored;
    if (stored == rotation.size()) return std::nullopt;
    return TemplateProblem{
        std::string(kRotationField), kMapFieldCount * kMapFieldLayouts[0].capacity,
        "Поле " + quoted(kRotationField) + " не помещается в шаблон: в четыре поля карт по " +
            std::to_string(kMapFieldLayouts[0].capacity) + " символов входят только " +
            std::to_string(stored) + " из " + std::to_string(rotation.size()) +
            " карт. Уберите лишние карты."};
}

}  // namespace

std::optional<TemplateProblem> findTemplateProblem(const GameSettings& settings,
                                                   const std::vector<std::string>& rotation,
                                                   std::string_view commandLine) {
    if (auto problem = settingsProblem(settings)) return problem;
    if (auto problem = rotationProblem(rotation)) return problem;
    if (auto problem = foreignCharacterProblem(kCommandLineField, commandLine)) return problem;
    return lengthProblem(kCommandLineField, windows1251Length(commandLine),
                         kCommandLineLayout.capacity, "Сократите строку запуска.");
}

std::optional<TemplateProblem> findTemplateNameProblem(std::string_view name) {
    return foreignCharacterProblem(kNameField, name);
}

}  // namespace qz7

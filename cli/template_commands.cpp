#include "cli/template_commands.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/cli_error.h"
#include "cli/import_report.h"
#include "maps/map_catalogue.h"
#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "settings/game_settings.h"
#include "settings/settings_fields.h"
#include "settings/template_record.h"
#include "settings/template_text.h"

namespace qz7::cli {

namespace {

// A template's text form is small; a larger file is not one, and is not read whole.
constexpr std::size_t kLargestImport = 1024 * 1024;

std::string readImportedText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw fileErrorFromErrno("Не удалось открыть файл", file, errno);
    std::string text(kLargestImport + 1, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    if (in.bad()) throw fileErrorFromErrno("Не удалось прочитать файл", file, errno);
    text.resize(std::size_t(in.gcount()));
    if (text.size() > kLargestImport)
        throw CliError("Файл " + utf8FromPath(file) +
                       " больше 1 МиБ: это не шаблон в текстовом виде. Шаблон не добавлен");
    return text;
}

constexpr std::size_t kModeField = settingsFieldIndex(&GameSettings::GameMode);

TemplateContent contentAt(GameFolder& game, std::size_t index) {
    return contentOfRecord(decodeTemplateRecord(game.records()[index]));
}

// What the settings controls would show for the template: its codes put back onto the defaults,
// check boxes as "вкл" or "выкл".
std::array<std::string, kSettingsFieldCount> shownValues(const TemplateContent& content) {
    GameSettings settings;
    applySettingsFieldCodes(settings, content.settingsCodes);
    std::array<std::string, kSettingsFieldCount> shown;
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
        const SettingsField& field = kSettingsFields[i];
        if (field.check)
            shown[i] = settings.*field.check ? "вкл" : "выкл";
        else
            shown[i] = settings.*field.text;
    }
    return shown;
}

}  // namespace

void listTemplates(GameFolder& game, bool json, std::ostream& out, std::ostream& err) {
    if (game.records().empty()) {
        const std::string store = utf8FromPath(game.templateStorePath());
        err << (std::filesystem::exists(game.templateStorePath())
                    ? "Шаблонов нет: в файле " + store + " нет ни одного шаблона\n"
                    : "Шаблонов нет: файл " + store + " не найден\n");
    }
    nlohmann::json rows = nlohmann::json::array();
    for (std::size_t i = 0; i < game.records().size(); ++i) {
        TemplateContent content = contentAt(game, i);
        if (json) {
            rows.push_back({{"position", i + 1},
                            {"name", content.name},
                            {"mode", content.settingsCodes[kModeField]},
                            {"maps", content.rotation.size()}});
        } else {
            out << '#' << i + 1 << "\t" << content.name << "\t" << content.settingsCodes[kModeField]
                << "\tкарт: " << content.rotation.size() << "\n";
        }
    }
    if (json) out << rows.dump(2) << "\n";
}

void showTemplate(GameFolder& game, const std::string& which, bool json, std::ostream& out) {
    const std::size_t index = game.findTemplate(which);
    const TemplateContent content = contentAt(game, index);
    const auto shown = shownValues(content);

    if (json) {
        nlohmann::json settings = nlohmann::json::array();
        for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
            settings.push_back({{"key", kSettingsFields[i].key},
                                {"label", kSettingsFields[i].caption},
                                {"value", shown[i]},
                                {"stored", content.settingsCodes[i]}});
        }
        nlohmann::json rotation = nlohmann::json::array();
        for (const std::string& map : content.rotation) {
            auto name = mapDisplayName(map);
            rotation.push_back({{"id", map}, {"name", name ? nlohmann::json(*name) : nullptr}});
        }
        out << nlohmann::json{{"position", index + 1},
                              {"name", content.name},
                              {"settings", settings},
                              {"rotation", rotation},
                              {"commandLine", content.commandLine}}
                   .dump(2)
            << "\n";
        return;
    }

    out << "Шаблон #" << index + 1 << ": " << content.name << "\n";
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i)
        out << kSettingsFields[i].caption << ": " << shown[i] << "\n";
    out << "Карты шаблона (" << content.rotation.size() << "):\n";
    for (std::size_t i = 0; i < content.rotation.size(); ++i) {
        const std::string& map = content.rotation[i];
        out << "  " << i + 1 << ". " << map << " - "
            << mapDisplayName(map).value_or("(нет в списке карт)") << "\n";
    }
    out << "Строка запуска сервера: " << content.commandLine << "\n";
}

void exportTemplate(GameFolder& game, const std::string& which,
                    const std::optional<std::string>& outputFile, std::ostream& out) {
    const std::string text = writeTemplateText(contentAt(game, game.findTemplate(which)));
    if (outputFile)
        // In full, so that an error names the file whatever folder qz7ctl runs in.
        writeFileAtomically(std::filesystem::absolute(pathFromUtf8(*outputFile)), text);
    else
        out << text;
}

std::size_t importTemplate(GameFolder& game, const std::string& file,
                           const std::optional<std::string>& name, std::ostream& err) {
    const std::string text = readImportedText(pathFromUtf8(file));
    TemplateTextReading reading = readTemplateText(text);
    if (name) reading.content.name = *name;
    const std::vector<ImportProblem> problems =
        importProblems(reading, findTemplateProblems(reading.content), name.has_value());
    printImportProblems(file, problems, err);
    const bool anyError = std::any_of(problems.begin(), problems.end(),
                                      [](const ImportProblem& p) { return !p.warning; });
    if (anyError) throw CliError("Шаблон не добавлен: в файле есть ошибки");

    TemplateRecords records = game.records();
    records.append(encodeTemplateRecord(recordOfContent(reading.content)));
    writeTemplateRecords(game.templateStorePath(), records);
    return records.size();
}

}  // namespace qz7::cli

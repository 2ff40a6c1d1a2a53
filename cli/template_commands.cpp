#include "cli/template_commands.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/cli_error.h"
#include "cli/import_report.h"
#include "maps/map_catalogue.h"
#include "net/json_text.h"
#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "platform/readable_text.h"
#include "settings/game_settings.h"
#include "settings/settings_fields.h"
#include "settings/template_record.h"
#include "settings/template_store.h"
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
        throw CliError("Файл " + textFromPath(file) +
                       " больше 1 МиБ: это не шаблон в текстовом виде. Шаблон не добавлен");
    return text;
}

TemplateContent contentOf(std::string_view record) {
    return contentOfRecord(decodeTemplateRecord(record));
}

// One row of the JSON list, as an element of the array that `nlohmann::json::dump(2)` would
// write: indented by one level.
std::string jsonListRow(const nlohmann::json& row) {
    std::string text = "  ";
    for (const char c : jsonText(row, 2)) {
        text += c;
        if (c == '\n') text += "  ";
    }
    return text;
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
    const std::filesystem::path store = game.templateStorePath();
    // One record at a time, each row written as it is read.
    std::size_t position = 0;
    forEachTemplateRecord(store, [&](std::string_view record) {
        const TemplateSummary summary = summaryOfRecord(record);
        ++position;
        if (json) {
            out << (position == 1 ? "[\n" : ",\n")
                << jsonListRow({{"position", position},
                                {"name", summary.name},
                                {"mode", summary.mode},
                                {"maps", summary.maps}});
        } else {
            out << '#' << position << "\t" << summary.name << "\t" << summary.mode
                << "\tкарт: " << summary.maps << "\n";
        }
    });
    if (json) out << (position == 0 ? "[]\n" : "\n]\n");
    if (position == 0) {
        err << (std::filesystem::exists(store)
                    ? "Шаблонов нет: в файле " + textFromPath(store) + " нет ни одного шаблона\n"
                    : "Шаблонов нет: файл " + textFromPath(store) + " не найден\n");
    }
}

void showTemplate(GameFolder& game, const std::string& which, bool json, std::ostream& out) {
    const TemplateLookup found = game.findTemplate(which);
    const std::size_t index = *found.index;
    const TemplateContent content = contentOf(found.record);
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
        out << jsonText({{"position", index + 1},
                         {"name", content.name},
                         {"settings", settings},
                         {"rotation", rotation},
                         {"commandLine", content.commandLine}},
                        2)
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
    const std::string text = writeTemplateText(contentOf(game.findTemplate(which).record));
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

    return appendTemplateRecord(game.templateStorePath(),
                                encodeTemplateRecord(recordOfContent(reading.content)));
}

}  // namespace qz7::cli

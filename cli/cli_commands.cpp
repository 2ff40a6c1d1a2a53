#include "cli/cli_commands.h"

#include <ostream>

#include "cli/cli_error.h"
#include "cli/game_folder.h"
#include "cli/port_commands.h"
#include "cli/template_commands.h"
#include "platform/game_paths.h"

namespace qz7::cli {

namespace {
constexpr const char* kTemplateHelp = "шаблон: имя или #N (позиция N, с 1)";
}

void CliCommands::addTo(CLI::App& app) {
    List =
        app.add_subcommand("list", "шаблоны в порядке хранения: позиция, имя, режим, число карт");
    List->add_flag("--json", Json, "вывод в JSON");

    Show = app.add_subcommand("show", "настройки, карты и строка запуска одного шаблона");
    Show->add_option("TEMPLATE", Template, kTemplateHelp)->required();
    Show->add_flag("--json", Json, "вывод в JSON");

    Export = app.add_subcommand("export", "шаблон в текстовом виде (UTF-8) для обмена и хранения");
    Export->add_option("TEMPLATE", Template, kTemplateHelp)->required();
    Export->add_option("-o,--output", OutputFile, "файл для записи (по умолчанию вывод на экран)");

    Import = app.add_subcommand("import", "добавить шаблон из текстового вида в конец списка");
    Import->add_option("FILE", InputFile, "файл шаблона в текстовом виде")->required();
    Import->add_option("--name", ImportName, "имя нового шаблона вместо имени из файла");

    Ports = app.add_subcommand("ports",
                               "пробросить (open) или убрать (close) 70 портов сервера на роутере");
    Ports->add_option("ACTION", PortAction, "open или close")
        ->required()
        ->check(CLI::IsMember({"open", "close"}));
    Ports->add_option("--igd", IgdUrl, "адрес описания роутера (UPnP); без поиска роутера в сети");
}

int CliCommands::run(const std::string& gameDir, std::ostream& out, std::ostream& err) {
    if (*Ports) {
        runPortBatch(PortAction == "open", IgdUrl, out, err);
        return kExitSuccess;
    }
    GameFolder game(pathFromUtf8(gameDir));
    if (*List) {
        listTemplates(game, Json, out);
    } else if (*Show) {
        showTemplate(game, Template, Json, out);
    } else if (*Export) {
        exportTemplate(game, Template, OutputFile, out);
    } else if (*Import) {
        const std::size_t position = importTemplate(game, InputFile, ImportName, err);
        out << "Шаблон добавлен на позицию #" << position << "\n";
    }
    return kExitSuccess;
}

}  // namespace qz7::cli

#include "cli/cli_commands.h"

#include <ostream>

#include "cli/cli_error.h"
#include "cli/game_folder.h"
#include "cli/port_commands.h"
#include "cli/server_commands.h"
#include "cli/template_commands.h"
#include "platform/game_paths.h"
#include "server/launchers.h"

namespace qz7::cli {

namespace {
constexpr const char* kTemplateHelp = "шаблон: имя или #N (позиция N, с 1)";

}  // namespace

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

    Generate = app.add_subcommand("generate",
                                  "сформировать файлы сервера (admin) из настроек и карт шаблона");
    Generate->add_option("TEMPLATE", Template, kTemplateHelp)->required();
    Generate->add_flag("--fixed-weights", FixedWeights,
                       "шанс выпадания каждой карты 100 вместо случайного");

    StartServer =
        app.add_subcommand("start-server", "запустить " + std::string(kServerLauncherName));
    StartServer->add_option("TEMPLATE", OptionalTemplate,
                            "шаблон, чья строка запуска передаётся (по умолчанию первый)");
    StartServer->add_option("--command", Command, "строка запуска вместо строки шаблона");

    StartClient =
        app.add_subcommand("start-client", "запустить " + std::string(kClientLauncherName));
    StartClient->add_option("TEMPLATE", OptionalTemplate,
                            "шаблон, чья строка запуска передаётся (по умолчанию первый)");
    StartClient->add_option("--profile", Profile,
                            "профиль клиента в папке Client (по умолчанию имя пользователя)");
    StartClient->add_option("--command", Command, "строка запуска вместо строки шаблона");

    Ports = app.add_subcommand("ports",
                               "пробросить (open) или убрать (close) 70 портов сервера на роутере");
    Ports->add_option("ACTION", PortAction, "open или close")
        ->required()
        ->check(CLI::IsMember({"open", "close"}));
    Ports->add_option("--igd", IgdUrl, "адрес описания роутера (UPnP); без поиска роутера в сети");
    Ports
        ->add_option("--timeout", PortTimeoutSeconds,
                     "предел времени на все 70 портов, в секундах (по умолчанию 60)")
        ->check(CLI::Range(1, 86400));
}

int CliCommands::run(const std::string& gameDir, std::ostream& out, std::ostream& err) {
    if (*Ports) {
        runPortBatch(PortAction == "open", IgdUrl, PortTimeoutSeconds, out, err);
        return kExitSuccess;
    }
    GameFolder game(pathFromUtf8(gameDir));
    if (*List) {
        listTemplates(game, Json, out);
    } else if (*Show) {
        showTemplate(game, Template, Json, out);
    } else if (*Export) {
        exportTemplate(game, Template, OutputFile, out);
    } else if (*Generate) {
        generateServerFiles(game, Template, FixedWeights, out);
    } else if (*StartServer) {
        startServer(game, launcherParameters(game, OptionalTemplate, Command), out);
    } else if (*StartClient) {
        startClient(game, launcherParameters(game, OptionalTemplate, Command), Profile, out);
    } else if (*Import) {
        const std::size_t position = importTemplate(game, InputFile, ImportName, err);
        out << "Шаблон добавлен на позицию #" << position << "\n";
    }
    return kExitSuccess;
}

}  // namespace qz7::cli

#include "cli/cli_commands.h"

#include <chrono>
#include <filesystem>
#include <ostream>

#include "cli/cli_error.h"
#include "cli/game_folder.h"
#include "cli/port_commands.h"
#include "cli/serve_command.h"
#include "cli/server_commands.h"
#include "cli/template_commands.h"
#include "platform/game_paths.h"
#include "server/launchers.h"

namespace qz7::cli {

namespace {
constexpr const char* kTemplateHelp = "шаблон: имя или #N (позиция N, с 1)";
constexpr const char* kForceHelp = "запустить, даже если порты сервера уже заняты";
constexpr const char* kIgdHelp = "адрес описания роутера (UPnP); без поиска роутера в сети";

// A number of seconds, fractions allowed, turned into the supervisor's milliseconds.
void addSecondsOption(CLI::App* command, const std::string& name, std::chrono::milliseconds& target,
                      const std::string& help) {
    command
        ->add_option_function<double>(
            name,
            [&target](double seconds) {
                target = std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0));
            },
            help)
        ->check(CLI::Range(0.001, 86400.0));
}

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
    StartServer->add_flag("--force", Force, kForceHelp);

    addServeTo(app);

    StartClient =
        app.add_subcommand("start-client", "запустить " + std::string(kClientLauncherName));
    StartClient->add_option("TEMPLATE", OptionalTemplate,
                            "шаблон, чья строка запуска передаётся (по умолчанию первый)");
    StartClient->add_option("--profile", Profile,
                            "профиль клиента в папке Client (по умолчанию имя пользователя)");
    StartClient->add_option("--command", Command, "строка запуска вместо строки шаблона");

    Ports = app.add_subcommand(
        "ports", "пробросить (open), убрать (close) или проверить (status) 70 портов сервера");
    Ports->add_option("ACTION", PortAction, "open, close или status")
        ->required()
        ->check(CLI::IsMember({"open", "close", "status"}));
    Ports->add_flag("--json", Json, "status: вывод в JSON");
    Ports->add_option("--igd", IgdUrl, kIgdHelp);
    Ports
        ->add_option("--timeout", PortTimeoutSeconds,
                     "предел времени на все 70 портов, в секундах (по умолчанию 60)")
        ->check(CLI::Range(1, 86400));
}

void CliCommands::addServeTo(CLI::App& app) {
    Serve = app.add_subcommand(
        "serve", "сформировать файлы, запустить сервер и перезапускать его после падений");
    Serve->add_option("TEMPLATE", ServeSettings.templateName, kTemplateHelp)->required();
    Serve->add_flag("--fixed-weights", ServeSettings.fixedWeights,
                    "шанс выпадания каждой карты 100 вместо случайного");
    Serve->add_option("--command", ServeSettings.command, "строка запуска вместо строки шаблона");
    Serve->add_flag("--ports", ServeSettings.forwardPorts,
                    "пробросить 70 портов на роутере на время работы и убрать их в конце");
    Serve->add_option("--igd", ServeSettings.igdUrl, kIgdHelp);
    Serve->add_flag("--force", ServeSettings.force, kForceHelp);
    Serve->add_flag("--json", ServeSettings.json, "события в JSON, по одному объекту в строке");
    SupervisorTiming& timing = ServeSettings.timing;
    addSecondsOption(Serve, "--restart-delay", timing.firstRestartDelay,
                     "пауза перед первым перезапуском, с (по умолчанию 1; дальше вдвое больше)");
    addSecondsOption(Serve, "--max-restart-delay", timing.longestRestartDelay,
                     "наибольшая пауза перед перезапуском, с (по умолчанию 60)");
    Serve
        ->add_option("--crash-limit", timing.crashLimit,
                     "столько падений за окно прекращают перезапуски (по умолчанию 5)")
        ->check(CLI::Range(1, 1000));
    addSecondsOption(Serve, "--crash-window", timing.crashWindow,
                     "окно подсчёта падений, с (по умолчанию 600)");
    addSecondsOption(Serve, "--stop-grace", timing.stopGrace,
                     "сколько ждать завершения сервера перед принудительным, с (по умолчанию 10)");
}

int CliCommands::run(const std::string& gameDir, std::ostream& out, std::ostream& err) {
    if (*Ports) {
        if (PortAction == "status")
            runPortStatus(IgdUrl, PortTimeoutSeconds, Json, out, err);
        else
            runPortBatch(PortAction == "open", IgdUrl, PortTimeoutSeconds, out, err);
        return kExitSuccess;
    }
    GameFolder game(pathFromUtf8(gameDir));
    // The launchers run in the game folder, where the server finds its files.
    if (*StartServer || *StartClient || *Serve) std::filesystem::current_path(game.path());
    if (*Serve) return serve(game, ServeSettings, err);
    if (*List) {
        listTemplates(game, Json, out, err);
    } else if (*Show) {
        showTemplate(game, Template, Json, out);
    } else if (*Export) {
        exportTemplate(game, Template, OutputFile, out);
    } else if (*Generate) {
        generateServerFiles(game, Template, FixedWeights, out);
    } else if (*StartServer) {
        // A missing launcher is the first thing to say; busy ports matter only when it can start.
        if (auto missing = missingLauncherError(game.path(), kServerLauncherName))
            throw CliError(*missing);
        checkServerPortsFree(Force, err);
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

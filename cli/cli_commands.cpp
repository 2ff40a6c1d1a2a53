#include "cli/cli_commands.h"

#include <chrono>
#include <filesystem>
#include <ostream>

#include "cli/backup_commands.h"
#include "cli/cli_error.h"
#include "cli/firewall_commands.h"
#include "cli/game_folder.h"
#include "cli/port_commands.h"
#include "cli/serve_commands.h"
#include "cli/server_commands.h"
#include "cli/template_commands.h"
#include "cli/value_names.h"
#include "net/alert_address.h"
#include "platform/game_paths.h"
#include "server/busy_ports_check.h"
#include "server/folder_alerts.h"
#include "server/launchers.h"
#include "server/serve_settings.h"
#include "server/template_files.h"
#include "server/value_rules.h"

namespace qz7::cli {

namespace {
constexpr const char* kTemplateHelp = "шаблон: имя или #N (позиция N, с 1)";
constexpr const char* kForceHelp =
    "запустить, даже если порты сервера уже заняты или в папке работает qz7ctl serve";
constexpr const char* kForceServedHelp = "выполнить, даже если в папке работает qz7ctl serve";
constexpr const char* kIgdHelp = "адрес описания роутера (UPnP); без поиска роутера в сети";
constexpr const char* kNotifyHelp =
    "адрес (http:// или https://), куда слать оповещения о запуске, падении и остановке сервера; "
    "можно несколько раз";
constexpr const char* kNotifyFormatHelp =
    "вид сообщения: discord ({\"content\": текст}) или json (объект события); по умолчанию "
    "discord для адресов с /api/webhooks/, иначе json";

// An option kept in the folder's settings: its text is read by the settings' own rule for the key
// (the same as the file's and the window's), or refused with that rule's reason.
void addSettingOption(CLI::App* command, const std::string& name, ServeOptions& options,
                      const std::string& typeName, const std::string& help) {
    command
        ->add_option_function<std::string>(
            name,
            [name, &options](const std::string& text) {
                // The value is named unless it holds a line end, which would break the message.
                if (std::optional<std::string> reason = setServeOption(options, name, text))
                    throw CLI::ValidationError(
                        name, (controlCharacterProblem(text) ? "" : "«" + text + "»: ") + *reason);
            },
            help)
        ->type_name(typeName);
}

// An alert address, refused by the core's rule for one (its reason names it only redacted).
CLI::Validator alertAddressCheck() {
    return CLI::Validator(
        [](std::string& url) { return alertAddressProblem(url).value_or(std::string()); }, "");
}

// The options a user gave to a subcommand, by their long names ("--restart-at").
std::vector<std::string> givenOptionNames(const CLI::App& command) {
    std::vector<std::string> names;
    for (const CLI::Option* option : command.get_options())
        if (option->count() > 0 && !option->get_lnames().empty())
            names.push_back("--" + option->get_lnames().front());
    return names;
}

}  // namespace

void CliCommands::addTo(CLI::App& app) {
    listCommand_ =
        app.add_subcommand("list", "шаблоны в порядке хранения: позиция, имя, режим, число карт");
    listCommand_->add_flag("--json", json_, "вывод в JSON");

    showCommand_ = app.add_subcommand("show", "настройки, карты и строка запуска одного шаблона");
    showCommand_->add_option(kTemplateValue, template_, kTemplateHelp)->required();
    showCommand_->add_flag("--json", json_, "вывод в JSON");

    exportCommand_ =
        app.add_subcommand("export", "шаблон в текстовом виде (UTF-8) для обмена и хранения");
    exportCommand_->add_option(kTemplateValue, template_, kTemplateHelp)->required();
    exportCommand_
        ->add_option("-o,--output", outputFile_, "файл для записи (по умолчанию вывод на экран)")
        ->type_name(kFileValue);

    importCommand_ =
        app.add_subcommand("import", "добавить шаблон из текстового вида в конец списка");
    importCommand_->add_option(kFileValue, inputFile_, "файл шаблона в текстовом виде")->required();
    importCommand_->add_option("--name", importName_, "имя нового шаблона вместо имени из файла");

    generateCommand_ = app.add_subcommand(
        "generate", "сформировать файлы сервера (admin) из настроек и карт шаблона");
    generateCommand_->add_option(kTemplateValue, template_, kTemplateHelp)->required();
    generateCommand_->add_flag("--fixed-weights", fixedWeights_,
                               "шанс выпадания каждой карты 100 вместо случайного");
    generateCommand_->add_flag("--force", force_, kForceServedHelp);

    startServerCommand_ =
        app.add_subcommand("start-server", "запустить " + std::string(kServerLauncherName));
    startServerCommand_->add_option(kTemplateValue, optionalTemplate_,
                                    "шаблон, чья строка запуска передаётся (по умолчанию первый)");
    startServerCommand_->add_option("--command", command_, "строка запуска вместо строки шаблона");
    startServerCommand_->add_flag("--force", force_, kForceHelp);

    addServeTo(app);
    addServiceTo(app);
    addServeControlTo(app);
    addBackupsTo(app);
    playersCommand_ = addPlayersCommand(app, playersOptions_);

    startClientCommand_ =
        app.add_subcommand("start-client", "запустить " + std::string(kClientLauncherName));
    startClientCommand_->add_option(kTemplateValue, optionalTemplate_,
                                    "шаблон, чья строка запуска передаётся (по умолчанию первый)");
    startClientCommand_->add_option(
        "--profile", profile_, "профиль клиента в папке Client (по умолчанию имя пользователя)");
    startClientCommand_->add_option("--command", command_, "строка запуска вместо строки шаблона");

    notifyTestCommand_ =
        app.add_subcommand("notify-test", "отправить пробное оповещение и сказать, дошло ли оно");
    notifyTestCommand_
        ->add_option("АДРЕС", notifyTestUrl_, "адрес оповещений (http:// или https://)")
        ->required()
        ->check(alertAddressCheck());
    notifyTestCommand_->add_option("--notify-format", notifyTestFormat_, kNotifyFormatHelp)
        ->check(CLI::IsMember({"discord", "json"}));

    portsCommand_ = app.add_subcommand(
        "ports", "пробросить (open), убрать (close) или проверить (status) 70 портов сервера");
    portsCommand_->add_option("ДЕЙСТВИЕ", portAction_, "open, close или status")
        ->required()
        ->check(CLI::IsMember({"open", "close", "status"}));
    portsCommand_->add_flag("--json", json_, "status: вывод в JSON");
    portsCommand_->add_option("--igd", igdUrl_, kIgdHelp)
        ->check(CLI::Validator(
            [](std::string& url) { return httpAddressProblem(url).value_or(std::string()); }, ""));
    portsCommand_->add_flag("--force", force_, "close: " + std::string(kForceServedHelp));
    portsCommand_
        ->add_option("--timeout", portTimeoutSeconds_,
                     "предел времени на все 70 портов, в секундах (по умолчанию 60)")
        ->type_name(kSecondsValue)
        ->check(CLI::Range(1, 86400));

    firewallCommand_ = app.add_subcommand(
        "firewall",
        "брандмауэр Windows: открыть (open) порты сервера, убрать (close) правила или "
        "проверить (status), не закрыт ли сервер запрещающим правилом");
    firewallCommand_->add_option("ДЕЙСТВИЕ", firewallAction_, "open, close или status")
        ->required()
        ->check(CLI::IsMember({"open", "close", "status"}));
    firewallCommand_->add_flag("--no-prompt", noPrompt_,
                               "open, close: без прав администратора не запрашивать их, а "
                               "завершиться с ошибкой");
}

void CliCommands::addServeTo(CLI::App& app) {
    serveCommand_ = app.add_subcommand(
        "serve",
        "сформировать файлы, запустить сервер и перезапускать его после падений; без шаблона и "
        "параметров — по настройкам папки (" +
            std::string(kServeSettingsFile) + ")");
    addServeOptionsTo(serveCommand_, serveOptions_, false);
    serveCommand_->add_flag("--minimized", serveRun_.minimized,
                            "свернуть своё окно консоли (Windows; так запускает служба)");
    serveCommand_->add_flag("--restart-on-failure", serveRun_.restartOnFailure,
                            "после завершения с ошибкой (кроме ошибки в командной строке) "
                            "запускаться заново через 30 с, не больше 3 раз за час (Windows; "
                            "так запускает служба, как systemd перезапускает свою)");
    serveCommand_->add_flag("--bounded-output", serveOptions_.boundedOutput,
                            "стандартный вывод ошибок — файл qz7-serve.err (так serve "
                            "запускает окно): больше 1 МиБ он не растёт, старые строки "
                            "отрезаются");
}

void CliCommands::addServeOptionsTo(CLI::App* command, ServeOptions& options, bool settingsOnly) {
    command->add_option(
        kTemplateValue, options.templateName,
        std::string(kTemplateHelp) + "; по умолчанию Template= из " + kServeSettingsFile);
    command->add_flag("--fixed-weights", options.fixedWeights,
                      "шанс выпадания каждой карты 100 вместо случайного");
    addSettingOption(command, "--command", options, "СТРОКА",
                     "строка запуска вместо строки шаблона");
    command->add_flag("--ports", options.forwardPorts,
                      "пробросить 70 портов на роутере на время работы и убрать их в конце");
    addSettingOption(command, "--igd", options, "АДРЕС", kIgdHelp);
    // A run's own: not kept in the settings.
    if (!settingsOnly) {
        command->add_flag("--force", options.force, kForceHelp);
        command->add_flag("--json", options.json, "события в JSON, по одному объекту в строке");
        command->add_flag("--quiet-server", options.quietServer,
                          "вывод сервера не сохранять (его ввод и вывод — пустое устройство): "
                          "так serve запускает окно, а сервер пишет свои журналы сам");
    }
    command->add_flag("--allow-sleep", options.allowSleep,
                      "не запрещать компьютеру засыпать, пока работает сервер (по умолчанию "
                      "запрещено; экран гаснуть может)");
    addSettingOption(command, "--restart-delay", options, kSecondsValue,
                     "пауза перед первым перезапуском, с (по умолчанию 1; дальше вдвое больше)");
    addSettingOption(command, "--max-restart-delay", options, kSecondsValue,
                     "наибольшая пауза перед перезапуском, с (по умолчанию 60)");
    addSettingOption(command, "--crash-limit", options, "ЧИСЛО",
                     "столько падений за окно прекращают перезапуски (по умолчанию 5)");
    addSettingOption(command, "--crash-window", options, kSecondsValue,
                     "окно подсчёта падений, с (по умолчанию 600)");
    addSettingOption(command, "--stop-grace", options, kSecondsValue,
                     "сколько ждать завершения сервера перед принудительным, с (по умолчанию 10)");
    addSettingOption(command, "--restart-at", options, "ЧЧ:ММ",
                     "перезапускать сервер в это местное время: ЧЧ:ММ[,ЧЧ:ММ...]");
    addSettingOption(
        command, "--restart-every", options, "СРОК",
        "перезапускать сервер через этот срок после его запуска: 90s, 30m, 6h (не меньше 10s)");
    addSettingOption(command, "--on-clean-exit", options, "ДЕЙСТВИЕ",
                     "что делать, когда сервер завершился сам с кодом 0: stop (по умолчанию) или "
                     "restart (такие перезапуски считаются к пределу падений)");
    addAlertOptionsTo(command, options);
    addHealthOptionsTo(command, options);
}

void CliCommands::addHealthOptionsTo(CLI::App* command, ServeOptions& options) {
    addSettingOption(command, "--query-port", options, "ПОРТ",
                     "порт, на котором сервер отвечает на запрос состояния (по умолчанию "
                     "ищется: net_port строки запуска, порты процесса сервера, порты сервера)");
    addSettingOption(command, "--health-interval", options, "СРОК",
                     "как часто спрашивать сервер, жив ли он: 30s (по умолчанию), не меньше 10s");
    addSettingOption(command, "--hang-after", options, "ЧИСЛО",
                     "столько ответов подряд пропустил сервер, отвечавший раньше, и он считается "
                     "зависшим (по умолчанию 3, не меньше 2)");
    addSettingOption(command, "--on-hang", options, "ДЕЙСТВИЕ",
                     "что делать с зависшим сервером: restart (по умолчанию: остановить и "
                     "запустить снова, как после падения) или alert (только сообщить)");
    command->add_flag("--restart-when-empty", options.timing.restartWhenEmpty,
                      "перезапуск по расписанию ждёт, пока на сервере никто не играет");
    addSettingOption(command, "--empty-wait", options, "СРОК",
                     "сколько перезапуск по расписанию ждёт ухода игроков, потом перезапускает всё "
                     "равно: по умолчанию 60m");
    addSettingOption(command, "--warn-before", options, "СРОКИ",
                     "за сколько до перезапуска по расписанию предупредить игроков через rcon: "
                     "5m,1m (пароль: +set rcon_password в строке запуска или в server_mod.cfg)");
}

void CliCommands::addServiceTo(CLI::App& app) {
    serviceCommand_ = app.add_subcommand(
        "service", "запуск serve при загрузке или входе в систему: install, remove, list");
    serviceCommand_->require_subcommand(1);
    serviceInstallCommand_ = serviceCommand_->add_subcommand(
        "install",
        "создать службу (systemd) или задачу входа (Windows) папки игры, которая запускает serve "
        "по настройкам папки; шаблон и параметры, если даны, записываются в " +
            std::string(kServeSettingsFile) + ", адреса оповещений — в " + kServeAlertsFile);
    addServeOptionsTo(serviceInstallCommand_, serviceOptions_, true);
    serviceInstallCommand_->add_flag("--print", servicePrint_,
                                     "показать, что было бы создано, ничего не меняя");
    serviceRemoveCommand_ = serviceCommand_->add_subcommand(
        "remove",
        "удалить службу папки игры (её serve работает дальше) или, с шаблоном, прежнюю службу "
        "этого шаблона вместе с её serve");
    serviceRemoveCommand_->add_option(kTemplateValue, template_,
                                      "шаблон прежней службы: имя или #N; без него — служба папки");
    serviceListCommand_ =
        serviceCommand_->add_subcommand("list", "службы qz7ctl: имя, где записана, что запускает");
}

void CliCommands::addAlertOptionsTo(CLI::App* command, ServeOptions& options) {
    AlertOptions& alerts = options.alerts;
    // One address per --notify, so that a "--" after it ends the options, not the address list.
    command->add_option("--notify", alerts.urls, kNotifyHelp)
        ->type_name("АДРЕС")
        ->allow_extra_args(false)
        ->check(alertAddressCheck());
    command
        ->add_option("--notify-file", alerts.file,
                     "файл с адресами оповещений, по одному в строке (читать его может только "
                     "владелец); адреса не видны в списке процессов")
        ->type_name(kFileValue);
    addSettingOption(command, "--notify-format", options, "ВИД", kNotifyFormatHelp);
}

void CliCommands::addServeControlTo(CLI::App& app) {
    statusCommand_ =
        app.add_subcommand("status",
                           "работает ли qz7ctl serve в папке игры: шаблон, время работы сервера, "
                           "перезапуски, падения (код 3, когда не работает)");
    statusCommand_->add_flag("--json", json_, "вывод в JSON");
    logCommand_ = app.add_subcommand("log", "последние события qz7ctl serve этой папки");
    logCommand_->add_option("-n,--lines", logLines_, "сколько последних событий (по умолчанию 20)")
        ->check(CLI::Range(0, 1000000));
    logCommand_->add_flag("-f,--follow", follow_, "показывать новые события по мере появления");
    stopCommand_ = app.add_subcommand(
        "stop",
        "остановить qz7ctl serve этой папки, как Ctrl+C, и дождаться его завершения "
        "(код 3, когда не работает)");
    restartCommand_ = app.add_subcommand(
        "restart",
        "перезапустить сервер qz7ctl serve этой папки сейчас, как по расписанию: шаблон "
        "читается заново (код 3, когда serve не работает)");
}

void CliCommands::addBackupsTo(CLI::App& app) {
    backupsCommand_ = app.add_subcommand(
        "backups",
        "сохранённые версии шаблонов, настроек serve и адресов оповещений (qz7-backups)");
    backupsCommand_->add_flag("--json", json_, "вывод в JSON");
    backupsCommand_
        ->add_option("--forget", forgetFile_,
                     "удалить все версии этого файла (например qz7-serve.alerts)")
        ->type_name(kFileValue);
    restoreTemplateCommand_ = app.add_subcommand(
        "restore-template", "вернуть шаблон из сохранённой версии в конец списка");
    restoreTemplateCommand_->add_option("ВЕРСИЯ", version_, "имя версии (qz7ctl backups)")
        ->required();
    restoreTemplateCommand_->add_option(kTemplateValue, template_, kTemplateHelp)->required();
    restoreCommand_ = app.add_subcommand(
        "restore", "вернуть файл из сохранённой версии целиком (нынешний сохраняется как версия)");
    restoreCommand_->add_option("ВЕРСИЯ", version_, "имя версии (qz7ctl backups)")->required();
    restoreCommand_->add_flag("--force", force_, kForceServedHelp);
}

int CliCommands::run(const std::string& gameDir, std::ostream& out, std::ostream& err) {
    // serve runs in the game folder; an address file named relative to where qz7ctl was started
    // stays the same file.
    for (AlertOptions* alerts : {&serveOptions_.alerts, &serviceOptions_.alerts})
        if (alerts->file)
            alerts->file = utf8FromPath(std::filesystem::absolute(pathFromUtf8(*alerts->file)));
    if (*portsCommand_ && portAction_ == "close") {
        GameFolder game(pathFromUtf8(gameDir));
        refuseWhileServed(game, force_, err);
    }
    if (*portsCommand_) {
        if (portAction_ == "status")
            runPortStatus(igdUrl_, portTimeoutSeconds_, json_, out, err);
        else
            runPortBatch(portAction_ == "open", igdUrl_, portTimeoutSeconds_, out, err);
        return kExitSuccess;
    }
    if (*firewallCommand_) {
        runFirewallCommand(firewallAction_, !noPrompt_,
                           std::filesystem::absolute(pathFromUtf8(gameDir)), out);
        return kExitSuccess;
    }
    if (*notifyTestCommand_) {
        runNotifyTest(notifyTestUrl_, notifyTestFormat_, gameDir, out);
        return kExitSuccess;
    }
    if (*serviceListCommand_) {
        runServiceList(out);
        return kExitSuccess;
    }
    GameFolder game(pathFromUtf8(gameDir));
    if (*serviceInstallCommand_) {
        runServiceInstall(game, serviceOptions_, givenOptionNames(*serviceInstallCommand_),
                          servicePrint_, out);
        return kExitSuccess;
    }
    if (*serviceRemoveCommand_) {
        runServiceRemove(game, template_, out);
        return kExitSuccess;
    }
    // The launchers run in the game folder, where the server finds its files.
    if (*startServerCommand_ || *startClientCommand_ || *serveCommand_)
        std::filesystem::current_path(game.path());
    if (*serveCommand_)
        return runServe(game, serveOptions_, givenOptionNames(*serveCommand_), serveRun_, err);
    if (*statusCommand_) return runStatus(game, json_, out);
    if (*stopCommand_) return runStop(game, out);
    if (*restartCommand_) return runRestart(game, out);
    if (*playersCommand_) return showPlayers(game, playersOptions_, out);
    if (*logCommand_) {
        runLog(game, logLines_, follow_, out);
        return kExitSuccess;
    }
    if (*backupsCommand_) {
        runBackups(game, json_, forgetFile_, out);
        return kExitSuccess;
    }
    if (*restoreTemplateCommand_) {
        runRestoreTemplate(game, version_, template_, out);
        return kExitSuccess;
    }
    if (*restoreCommand_) {
        refuseWhileServed(game, force_, err);
        runRestore(game, version_, out);
        return kExitSuccess;
    }
    if (*listCommand_) {
        listTemplates(game, json_, out, err);
    } else if (*showCommand_) {
        showTemplate(game, template_, json_, out);
    } else if (*exportCommand_) {
        exportTemplate(game, template_, outputFile_, out);
    } else if (*generateCommand_) {
        refuseWhileServed(game, force_, err);
        generateServerFiles(game, template_, fixedWeights_, out);
    } else if (*startServerCommand_) {
        // A missing launcher is the first thing to say; busy ports matter only when it can start.
        if (auto missing = missingLauncherInGameFolder(game, kServerLauncherName))
            throw CliError(*missing);
        refuseWhileServed(game, force_, err);
        if (std::optional<std::string> busy = checkServerPortsFree(force_)) err << *busy << "\n";
        startServer(game, launcherParameters(game.path(), optionalTemplate_, command_), out);
    } else if (*startClientCommand_) {
        startClient(game, launcherParameters(game.path(), optionalTemplate_, command_), profile_,
                    out, err);
    } else if (*importCommand_) {
        const std::size_t position = importTemplate(game, inputFile_, importName_, err);
        out << "Шаблон добавлен на позицию #" << position << "\n";
    }
    return kExitSuccess;
}

}  // namespace qz7::cli

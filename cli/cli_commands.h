#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/players_command.h"
#include "cli/port_commands.h"
#include "cli/serve_commands.h"
#include "server/serve_session.h"

namespace qz7::cli {

// The subcommands of qz7ctl, their options, and the running of the one the user chose.
class CliCommands {
  public:
    void addTo(CLI::App& app);
    int run(const std::string& gameDir, std::ostream& out, std::ostream& err);

  private:
    void addServeTo(CLI::App& app);
    void addServiceTo(CLI::App& app);
    // settingsOnly: the options a serve's settings keep (service install), without those of one
    // run (--force, --json).
    static void addServeOptionsTo(CLI::App* command, ServeOptions& options, bool settingsOnly);
    static void addAlertOptionsTo(CLI::App* command, ServeOptions& options);
    static void addHealthOptionsTo(CLI::App* command, ServeOptions& options);
    void addServeControlTo(CLI::App& app);
    void addBackupsTo(CLI::App& app);

    CLI::App* listCommand_ = nullptr;
    CLI::App* showCommand_ = nullptr;
    CLI::App* exportCommand_ = nullptr;
    CLI::App* importCommand_ = nullptr;
    CLI::App* portsCommand_ = nullptr;
    CLI::App* firewallCommand_ = nullptr;
    CLI::App* generateCommand_ = nullptr;
    CLI::App* startServerCommand_ = nullptr;
    CLI::App* startClientCommand_ = nullptr;
    CLI::App* serveCommand_ = nullptr;
    CLI::App* notifyTestCommand_ = nullptr;
    CLI::App* serviceCommand_ = nullptr;
    CLI::App* serviceInstallCommand_ = nullptr;
    CLI::App* serviceRemoveCommand_ = nullptr;
    CLI::App* serviceListCommand_ = nullptr;
    CLI::App* statusCommand_ = nullptr;
    CLI::App* logCommand_ = nullptr;
    CLI::App* stopCommand_ = nullptr;
    CLI::App* restartCommand_ = nullptr;
    CLI::App* playersCommand_ = nullptr;
    CLI::App* backupsCommand_ = nullptr;
    CLI::App* restoreTemplateCommand_ = nullptr;
    CLI::App* restoreCommand_ = nullptr;

    bool json_ = false;
    std::string template_;
    std::optional<std::string> outputFile_;
    std::string inputFile_;
    std::optional<std::string> importName_;
    std::string portAction_;
    std::string firewallAction_;
    bool noPrompt_ = false;
    std::optional<std::string> igdUrl_;
    int portTimeoutSeconds_ = kDefaultPortBatchSeconds;
    bool fixedWeights_ = false;
    std::optional<std::string> optionalTemplate_;
    std::optional<std::string> command_;
    std::string profile_;
    bool force_ = false;
    ServeOptions serveOptions_;
    ServeRunOptions serveRun_;
    ServeOptions serviceOptions_;
    bool servicePrint_ = false;
    std::string notifyTestUrl_;
    std::optional<std::string> notifyTestFormat_;
    int logLines_ = 20;
    bool follow_ = false;
    PlayersOptions playersOptions_;
    std::string version_;
    std::optional<std::string> forgetFile_;
};

}  // namespace qz7::cli

#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/port_commands.h"
#include "cli/serve_command.h"

namespace qz7::cli {

// The subcommands of qz7ctl, their options, and the running of the one the user chose.
class CliCommands {
  public:
    void addTo(CLI::App& app);
    int run(const std::string& gameDir, std::ostream& out, std::ostream& err);

  private:
    void addServeTo(CLI::App& app);

    CLI::App* List = nullptr;
    CLI::App* Show = nullptr;
    CLI::App* Export = nullptr;
    CLI::App* Import = nullptr;
    CLI::App* Ports = nullptr;
    CLI::App* Generate = nullptr;
    CLI::App* StartServer = nullptr;
    CLI::App* StartClient = nullptr;
    CLI::App* Serve = nullptr;

    bool Json = false;
    std::string Template;
    std::optional<std::string> OutputFile;
    std::string InputFile;
    std::optional<std::string> ImportName;
    std::string PortAction;
    std::optional<std::string> IgdUrl;
    int PortTimeoutSeconds = kDefaultPortBatchSeconds;
    bool FixedWeights = false;
    std::optional<std::string> OptionalTemplate;
    std::optional<std::string> Command;
    std::string Profile;
    bool Force = false;
    ServeOptions ServeSettings;
};

}  // namespace qz7::cli

#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <optional>
#include <string>

namespace qz7::cli {

// The subcommands of qz7ctl, their options, and the running of the one the user chose.
class CliCommands {
  public:
    void addTo(CLI::App& app);
    int run(const std::string& gameDir, std::ostream& out, std::ostream& err);

  private:
    CLI::App* List = nullptr;
    CLI::App* Show = nullptr;
    CLI::App* Export = nullptr;
    CLI::App* Import = nullptr;
    CLI::App* Ports = nullptr;

    bool Json = false;
    std::string Template;
    std::optional<std::string> OutputFile;
    std::string InputFile;
    std::optional<std::string> ImportName;
    std::string PortAction;
    std::optional<std::string> IgdUrl;
};

}  // namespace qz7::cli

#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace qz7::cli {

// CLI11's help formatter with Russian value names: "ТЕКСТ" instead of "TEXT", "ЧИСЛО" instead of
// "INT" or "FLOAT", and the checks of a value in Russian ("от 1 до 86400", "одно из: open,
// close"). A name given in Russian (type_name("СЕКУНДЫ")) stays. Columns are aligned by the
// characters shown, not by bytes, so that Cyrillic names line up.
class RussianFormatter : public CLI::Formatter {
  public:
    std::string make_option(const CLI::Option* option, bool isPositional) const override;
    std::string make_option_opts(const CLI::Option* option) const override;
    std::string make_subcommand(const CLI::App* command) const override;
};

// The Russian name of an option's value, without its checks; empty for a flag.
std::string valueName(const CLI::Option& option);

// The values an option accepts when it is checked against a set (CLI::IsMember); empty otherwise.
std::vector<std::string> valueChoices(const CLI::Option& option);

}  // namespace qz7::cli

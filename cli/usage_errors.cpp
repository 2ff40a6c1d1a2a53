#include "cli/usage_errors.h"

#include <string_view>

namespace qz7::cli {

namespace {

// What follows the first ": " of a message; empty when there is none.
std::string afterColon(std::string_view message) {
    const std::size_t at = message.find(": ");
    return at == std::string_view::npos ? std::string() : std::string(message.substr(at + 2));
}

// What precedes the first ": " of a message; the whole message when there is none.
std::string beforeColon(std::string_view message) {
    return std::string(message.substr(0, message.find(": ")));
}

}  // namespace

std::string russianUsageError(const CLI::ParseError& error) {
    const std::string_view message = error.what();
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        if (message.find("subcommand") != std::string_view::npos)
            return "не указана команда (list, show, export, import, generate, start-server, "
                   "start-client, ports)";
        constexpr std::string_view kIsRequired = " is required";
        if (message.ends_with(kIsRequired))
            return "не указан обязательный аргумент " +
                   std::string(message.substr(0, message.size() - kIsRequired.size()));
        return "не указан обязательный аргумент";
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr)
        return "лишние или неизвестные аргументы: " + afterColon(message);
    if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr) {
        constexpr std::string_view kCouldNotConvert = "Could not convert: ";
        if (message.starts_with(kCouldNotConvert)) {
            std::string rest(message.substr(kCouldNotConvert.size()));
            const std::size_t equals = rest.find(" = ");
            if (equals != std::string::npos)
                return "недопустимое значение " + rest.substr(0, equals) + ": " +
                       rest.substr(equals + 3);
        }
        return "недопустимое значение";
    }
    if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr)
        return "недопустимое значение " + beforeColon(message);
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr)
        return "неверное число значений: " + std::string(message);
    return "ошибка разбора (" + std::string(message) + ")";
}

void useRussianHelp(CLI::App& app) {
    // Before any option is added: the help flag and every later option take this group.
    app.option_defaults()->group("Параметры");
    app.set_help_flag("-h,--help", "показать эту справку и выйти");
    auto formatter = app.get_formatter();
    formatter->label("Usage", "Вызов");
    formatter->label("OPTIONS", "ПАРАМЕТРЫ");
    formatter->label("Options", "Параметры");
    formatter->label("Positionals", "Аргументы");
    formatter->label("SUBCOMMAND", "КОМАНДА");
    formatter->label("SUBCOMMANDS", "КОМАНДЫ");
    formatter->label("Subcommands", "Команды");
    formatter->label("REQUIRED", "обязательно");
}

void groupRussianSubcommands(CLI::App& app) {
    for (CLI::App* subcommand : app.get_subcommands({})) subcommand->group("Команды");
}

}  // namespace qz7::cli

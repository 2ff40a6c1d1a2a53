#include "cli/usage_errors.h"

#include <cctype>
#include <string_view>

#include "cli/command_line.h"
#include "cli/russian_help.h"

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

// The subcommand the user chose, the deepest one parsed.
const CLI::App& chosenCommand(const CLI::App& app) {
    const CLI::App* command = &app;
    for (const CLI::App* chosen = &app; chosen != nullptr;) {
        const std::vector<CLI::App*> parsed = chosen->get_subcommands();
        chosen = parsed.empty() ? nullptr : parsed.front();
        if (chosen != nullptr) command = chosen;
    }
    return *command;
}

// Whether the command or one above it has an option of that name ("--json", "-n").
bool knownOption(const CLI::App& command, const std::string& name) {
    for (const CLI::App* at = &command; at != nullptr; at = at->get_parent())
        if (at->get_option_no_throw(name) != nullptr) return true;
    return false;
}

// The first argument before "--" that begins with a dash and names no option: a name meant as a
// value. Empty when there is none.
std::string nameTakenForAnOption(const CLI::App& command,
                                 const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (argument.size() < 2 || argument[0] != '-' ||
            std::isdigit(static_cast<unsigned char>(argument[1])))
            continue;
        const std::string name = argument.starts_with("--") ? argument.substr(0, argument.find('='))
                                                            : argument.substr(0, 2);
        if (!knownOption(command, name)) return argument;
    }
    return {};
}

// Says how to give a name that begins with a dash, when one was taken for an option.
std::string dashNameHint(const CLI::App& app, const std::vector<std::string>& arguments) {
    const CLI::App& command = chosenCommand(app);
    // Only a command that takes a name as an argument.
    if (command.get_options([](const CLI::Option* option) { return option->get_positional(); })
            .empty())
        return {};
    const std::string name = nameTakenForAnOption(command, arguments);
    if (name.empty()) return {};
    return ". Имя, которое начинается с «-», пишите после --: qz7ctl " + commandPath(command) +
           " -- '" + name + "'";
}

}  // namespace

std::string russianUsageError(const CLI::App& app, const CLI::ParseError& error,
                              const std::vector<std::string>& arguments) {
    const std::string_view message = error.what();
    // A missing argument, or one left over where the name is optional, when a name that begins
    // with a dash was taken for an option.
    const bool argumentMissing = (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr &&
                                  message.find("subcommand") == std::string_view::npos) ||
                                 dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr;
    if (argumentMissing)
        if (const std::string hint = dashNameHint(app, arguments); !hint.empty())
            return russianUsageError(app, error) + hint;
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        if (message.find("subcommand") != std::string_view::npos) {
            // The command that was missing: the program's or a subcommand's own.
            const CLI::App* command = &chosenCommand(app);
            std::string names;
            for (const CLI::App* subcommand : subcommandsOf(*command, false))
                names += (names.empty() ? "" : ", ") + subcommand->get_name();
            const std::vector<std::string> rest = command->remaining();
            if (!rest.empty() && !rest.front().starts_with("-"))
                return "неизвестная команда " + rest.front() + " (команды: " + names + ")";
            return "не указана команда (" + names + ")";
        }
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
    if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
        // Our own checks give their reason in Russian; CLI11's own ones in English, left out.
        const std::string reason = afterColon(message);
        const bool russian = !reason.empty() && static_cast<unsigned char>(reason[0]) >= 0x80;
        return "недопустимое значение " + beforeColon(message) + (russian ? ": " + reason : "");
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        // "--game-dir: 1 required ПАПКА missing": the option and the name of its value.
        const std::string rest = afterColon(message);
        const std::size_t required = rest.find(" required ");
        const std::size_t missing = rest.rfind(" missing");
        if (required != std::string::npos && missing != std::string::npos && missing > required)
            return "не указано значение параметра " + beforeColon(message) + " (" +
                   rest.substr(required + 10, missing - required - 10) + ")";
        return "неверное число значений параметра " + beforeColon(message);
    }
    return "ошибка разбора (" + std::string(message) + ")";
}

void useRussianHelp(CLI::App& app) {
    app.formatter(std::make_shared<RussianFormatter>());
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
    for (CLI::App* subcommand : app.get_subcommands({})) {
        if (subcommand->get_name().empty()) continue;
        subcommand->group("Команды");
        // A subcommand makes its help flag before it takes its parent's option group.
        if (CLI::Option* help = subcommand->get_help_ptr()) help->group("Параметры");
        groupRussianSubcommands(*subcommand);
    }
}

}  // namespace qz7::cli

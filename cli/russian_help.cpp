#include "cli/russian_help.h"

#include <map>
#include <regex>
#include <sstream>

#include "platform/utf8.h"

namespace qz7::cli {

namespace {

// CLI11's names of value types, as its help writes them.
const std::map<std::string, std::string, std::less<>> kValueNames = {
    {"TEXT", "ТЕКСТ"},  {"INT", "ЧИСЛО"},     {"UINT", "ЧИСЛО"},     {"FLOAT", "ЧИСЛО"},
    {"CHAR", "СИМВОЛ"}, {"ENUM", "ЗНАЧЕНИЕ"}, {"BOOLEAN", "ДА/НЕТ"}, {"COMPLEX", "ЧИСЛО"},
    {"FILE", "ФАЙЛ"},   {"DIR", "ПАПКА"},     {"PATH", "ПУТЬ"},
};

// CLI11's descriptions of its checks: a range, a set and the checks of files and numbers.
const std::map<std::string, std::string, std::less<>> kCheckWords = {
    {"FILE", "существующий файл"}, {"DIR", "существующая папка"},  {"PATH", "существующий путь"},
    {"POSITIVE", "больше 0"},      {"NONNEGATIVE", "не меньше 0"}, {"NUMBER", "число"},
    {"IPV4", "адрес IPv4"},
};

std::vector<std::string> splitAt(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
    return parts;
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

// "{open,close,status}" -> its members; nothing for any other check.
std::vector<std::string> setMembers(const std::string& check) {
    if (check.size() < 2 || check.front() != '{' || check.back() != '}') return {};
    return splitAt(check.substr(1, check.size() - 2), ',');
}

std::string russianCheck(const std::string& check) {
    static const std::regex range(R"(^\S+ in \[(.+) - (.+)\]$)");
    std::smatch match;
    if (std::regex_match(check, match, range)) return "от " + match.str(1) + " до " + match.str(2);
    if (std::vector<std::string> members = setMembers(check); !members.empty())
        return "одно из: " + joined(members, ", ");
    const auto word = kCheckWords.find(check);
    return word != kCheckWords.end() ? word->second : check;
}

std::string russianTypeName(const std::string& name) {
    const auto found = kValueNames.find(name);
    return found != kValueNames.end() ? found->second : name;
}

bool isCheck(const std::string& part) {
    static const std::regex range(R"(^\S+ in \[.+ - .+\]$)");
    return std::regex_match(part, range) || !setMembers(part).empty() ||
           kCheckWords.find(part) != kCheckWords.end();
}

// An option's value type and its checks, which CLI11 joins with colons ("FLOAT:FLOAT in [1 - 2]");
// a type named with a colon of its own ("ЧЧ:ММ") stays whole. Empty for a flag.
struct TypeAndChecks {
    std::string type;
    std::vector<std::string> checks;
};

TypeAndChecks typeAndChecks(const CLI::Option& option) {
    if (option.get_type_size() == 0) return {};
    std::vector<std::string> parts = splitAt(option.get_type_name(), ':');
    std::vector<std::string> checks;
    while (parts.size() > 1 && isCheck(parts.back())) {
        checks.insert(checks.begin(), parts.back());
        parts.pop_back();
    }
    return {joined(parts, ":"), checks};
}

// One line of a help list: the name, then the description from the given column on; a name too
// long for the column puts the description on the next line.
std::string helpLine(const std::string& name, const std::string& description, std::size_t column) {
    std::string line = "  " + name;
    if (!description.empty()) {
        std::size_t shown = utf8Width(line);
        if (shown >= column) {
            line += "\n";
            shown = 0;
        }
        line += std::string(column - shown, ' ');
        for (char c : description) {
            line += c;
            if (c == '\n') line += std::string(column, ' ');
        }
    }
    return line + "\n";
}

}  // namespace

std::string valueName(const CLI::Option& option) {
    const std::string type = typeAndChecks(option).type;
    return type.empty() ? std::string() : russianTypeName(type);
}

std::vector<std::string> valueChoices(const CLI::Option& option) {
    for (const std::string& check : typeAndChecks(option).checks)
        if (std::vector<std::string> members = setMembers(check); !members.empty()) return members;
    return {};
}

std::string RussianFormatter::make_option(const CLI::Option* option, bool isPositional) const {
    return helpLine(make_option_name(option, isPositional) + make_option_opts(option),
                    make_option_desc(option), get_column_width());
}

std::string RussianFormatter::make_subcommand(const CLI::App* command) const {
    return helpLine(command->get_display_name(), command->get_description(), get_column_width());
}

std::string RussianFormatter::make_option_opts(const CLI::Option* option) const {
    if (!option->get_option_text().empty()) return " " + option->get_option_text();
    std::ostringstream out;
    if (option->get_type_size() != 0) {
        const TypeAndChecks value = typeAndChecks(*option);
        if (!value.type.empty()) {
            out << " " << russianTypeName(value.type);
            std::vector<std::string> checks;
            for (const std::string& check : value.checks) checks.push_back(russianCheck(check));
            if (!checks.empty()) out << " (" << joined(checks, "; ") << ")";
        }
        if (!option->get_default_str().empty())
            out << " (по умолчанию " << option->get_default_str() << ")";
        if (option->get_expected_max() == CLI::detail::expected_max_vector_size)
            out << " ...";
        else if (option->get_expected_min() > 1)
            out << " x " << option->get_expected();
        if (option->get_required()) out << " " << get_label("REQUIRED");
    }
    if (!option->get_envname().empty())
        out << " (переменная окружения " << option->get_envname() << ")";
    if (!option->get_needs().empty()) {
        out << " требует:";
        for (const CLI::Option* needed : option->get_needs()) out << " " << needed->get_name();
    }
    if (!option->get_excludes().empty()) {
        out << " несовместим с:";
        for (const CLI::Option* excluded : option->get_excludes())
            out << " " << excluded->get_name();
    }
    return out.str();
}

}  // namespace qz7::cli

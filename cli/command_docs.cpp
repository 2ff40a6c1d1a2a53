#include "cli/command_docs.h"

#include <sstream>

#include "cli/command_line.h"
#include "cli/russian_help.h"
#include "cli/value_names.h"

namespace qz7::cli {

namespace {

// Text for a roff line: backslashes written as such, and no line read as a request.
std::string roffText(std::string_view text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\')
            out += "\\e";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

// An option's name in roff: "-o" and "--output" as minus signs, in bold.
std::string roffOptionName(const std::string& name) {
    std::string out = "\\fB";
    for (char c : name) out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out + "\\fR";
}

std::vector<const CLI::Option*> optionsOf(const CLI::App& command, bool positional) {
    return command.get_options([positional](const CLI::Option* option) {
        return !option->get_group().empty() && option->get_positional() == positional;
    });
}

// One option of a command as a tagged paragraph: its names, its value and what it does.
void writeOption(std::ostream& out, const CLI::App& command, const CLI::Option& option) {
    out << ".TP\n";
    if (option.get_positional()) {
        out << "\\fI" << roffText(option.get_name()) << "\\fR";
    } else {
        std::string names;
        for (const std::string& name : option.get_snames())
            names += (names.empty() ? "" : ", ") + roffOptionName("-" + name);
        for (const std::string& name : option.get_lnames())
            names += (names.empty() ? "" : ", ") + roffOptionName("--" + name);
        out << names;
    }
    // The value as the help screens show it, through the command's own formatter.
    const auto* formatter = dynamic_cast<const CLI::Formatter*>(command.get_formatter().get());
    const std::string value = formatter != nullptr ? formatter->make_option_opts(&option) : "";
    if (!value.empty()) out << " \\fI" << roffText(value.substr(1)) << "\\fR";
    out << "\n" << roffText(option.get_description()) << "\n";
}

std::string commandsSection(const CLI::App& app) {
    std::ostringstream out;
    for (const CLI::App* command : subcommandsOf(app, true)) {
        std::string synopsis = commandPath(*command);
        if (!optionsOf(*command, false).empty()) synopsis += " [ПАРАМЕТРЫ]";
        for (const CLI::Option* positional : optionsOf(*command, true))
            synopsis += " " + CLI::Formatter().make_option_usage(positional);
        if (!subcommandsOf(*command, false).empty()) synopsis += " КОМАНДА";
        out << ".SS \"" << roffText(synopsis) << "\"\n"
            << roffText(command->get_description()) << "\n";
        for (const CLI::Option* option : optionsOf(*command, true))
            writeOption(out, *command, *option);
        for (const CLI::Option* option : optionsOf(*command, false))
            if (option != command->get_help_ptr()) writeOption(out, *command, *option);
    }
    return out.str();
}

std::string programOptionsSection(const CLI::App& app) {
    std::ostringstream out;
    for (const CLI::Option* option : optionsOf(app, false)) writeOption(out, app, *option);
    return out.str();
}

std::string replaced(std::string text, std::string_view placeholder, const std::string& by) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + by.size()))
        text.replace(at, placeholder.size(), by);
    return text;
}

// What a value is completed with: a template, a file, a folder, one of a set, or nothing.
std::string completionKind(const CLI::Option& option) {
    if (std::vector<std::string> choices = valueChoices(option); !choices.empty()) {
        std::string words;
        for (const std::string& choice : choices) words += (words.empty() ? "" : " ") + choice;
        return "choices:" + words;
    }
    const std::string name = option.get_positional() ? option.get_name() : valueName(option);
    const std::string value = valueName(option);
    for (const std::string& kind : {name, value}) {
        if (kind == kTemplateValue) return "template";
        if (kind == kFileValue) return "file";
        if (kind == kFolderValue) return "folder";
    }
    return "none";
}

// A bash word in single quotes.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The completion's tables: per command (its words, "qz7ctl" for the program itself) its
// subcommands, options and positional arguments, and per option that takes a value its kind.
std::string completionTables(const CLI::App& app) {
    std::ostringstream subcommands, options, values, positionals;
    std::vector<const CLI::App*> commands{&app};
    for (const CLI::App* command : subcommandsOf(app, true)) commands.push_back(command);
    for (const CLI::App* command : commands) {
        const std::string path =
            command == &app ? std::string("qz7ctl") : "qz7ctl " + commandPath(*command);
        std::string names;
        for (const CLI::App* subcommand : subcommandsOf(*command, false))
            names += (names.empty() ? "" : " ") + subcommand->get_name();
        subcommands << "    [" << quoted(path) << "]=" << quoted(names) << "\n";
        std::string optionNames;
        for (const CLI::Option* option : optionsOf(*command, false)) {
            std::vector<std::string> forms;
            for (const std::string& name : option->get_snames()) forms.push_back("-" + name);
            for (const std::string& name : option->get_lnames()) forms.push_back("--" + name);
            for (const std::string& form : forms) {
                optionNames += (optionNames.empty() ? "" : " ") + form;
                // A flag takes no value.
                if (option->get_items_expected_max() != 0)
                    values << "    [" << quoted(path + "|" + form)
                           << "]=" << quoted(completionKind(*option)) << "\n";
            }
        }
        options << "    [" << quoted(path) << "]=" << quoted(optionNames) << "\n";
        std::string kinds;
        for (const CLI::Option* positional : optionsOf(*command, true))
            kinds += (kinds.empty() ? "" : "\n") + completionKind(*positional);
        positionals << "    [" << quoted(path) << "]=" << quoted(kinds) << "\n";
    }
    return "declare -gA _qz7ctl_subcommands=(\n" + subcommands.str() + ")\n" +
           "declare -gA _qz7ctl_options=(\n" + options.str() + ")\n" +
           "declare -gA _qz7ctl_values=(\n" + values.str() + ")\n" +
           "declare -gA _qz7ctl_positionals=(\n" + positionals.str() + ")\n";
}

// The part of the completion that reads the command line; the tables above say what it offers.
constexpr const char* kCompletionFunctions = R"(
# The templates of the game folder, by position (#N) and by name, one a line.
_qz7ctl_templates() {
    local program=$1 dir=$2 line
    local -a listing
    if [[ -n $dir ]]; then
        mapfile -t listing < <("$program" --game-dir "$dir" list 2>/dev/null)
    else
        mapfile -t listing < <("$program" list 2>/dev/null)
    fi
    for line in "${listing[@]}"; do
        printf '%s\n' "${line%%$'\t'*}"
        line=${line#*$'\t'}
        printf '%s\n' "${line%%$'\t'*}"
    done
}

# Offers what a value of KIND can be: templates, files, folders or one of a set.
_qz7ctl_offer() {
    local kind=$1 cur=$2 program=$3 dir=$4 candidate
    case $kind in
    template)
        compopt -o filenames 2>/dev/null
        while IFS= read -r candidate; do
            [[ $candidate == "$cur"* ]] && COMPREPLY+=("$candidate")
        done < <(_qz7ctl_templates "$program" "$dir")
        ;;
    file)
        compopt -o filenames 2>/dev/null
        mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -f -- "$cur")
        ;;
    folder)
        compopt -o filenames 2>/dev/null
        mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -d -- "$cur")
        ;;
    choices:*)
        mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -W "${kind#choices:}" -- "$cur")
        ;;
    esac
}

# The kind of value an option takes in the command or the commands above it; empty for a flag.
_qz7ctl_value_kind() {
    local command=$1 option=$2
    while :; do
        if [[ -n ${_qz7ctl_values["$command|$option"]+set} ]]; then
            printf '%s' "${_qz7ctl_values["$command|$option"]}"
            return
        fi
        [[ $command == *" "* ]] || return
        command=${command% *}
    done
}

_qz7ctl() {
    local cur=${2-${COMP_WORDS[COMP_CWORD]}}
    cur=${cur#[\'\"]}
    local program=${COMP_WORDS[0]} command=qz7ctl dir= word kind i
    local -i given=0
    [[ $program == "~/"* ]] && program=$HOME/${program#"~/"}
    COMPREPLY=()
    # The words before the cursor: the game folder, the command and its arguments so far.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
        --game-dir=*) dir=${word#--game-dir=} ;;
        -*)
            kind=$(_qz7ctl_value_kind "$command" "$word")
            if [[ -n $kind && $word != *=* ]]; then
                ((i++))
                [[ $word == --game-dir ]] && dir=${COMP_WORDS[i]}
            fi
            ;;
        *)
            if [[ " ${_qz7ctl_subcommands["$command"]} " == *" $word "* ]]; then
                command+=" $word"
                given=0
            else
                given+=1
            fi
            ;;
        esac
    done
    dir=${dir#[\'\"]}
    dir=${dir%[\'\"]}
    [[ $dir == "~/"* ]] && dir=$HOME/${dir#"~/"}

    local previous=${COMP_WORDS[COMP_CWORD-1]}
    if ((COMP_CWORD > 1)) && [[ $previous == -* ]]; then
        kind=$(_qz7ctl_value_kind "$command" "$previous")
        if [[ -n $kind ]]; then
            _qz7ctl_offer "$kind" "$cur" "$program" "$dir"
            return 0
        fi
    fi
    if [[ $cur != -* ]]; then
        local -a positionals
        mapfile -t positionals <<<"${_qz7ctl_positionals["$command"]}"
        mapfile -t COMPREPLY < <(compgen -W "${_qz7ctl_subcommands["$command"]}" -- "$cur")
        if ((given < ${#positionals[@]})) && [[ -n ${positionals[given]} ]]; then
            _qz7ctl_offer "${positionals[given]}" "$cur" "$program" "$dir"
        fi
        ((${#COMPREPLY[@]} > 0)) && return 0
    fi
    local options= above=$command
    while :; do
        options+=" ${_qz7ctl_options["$above"]}"
        [[ $above == *" "* ]] || break
        above=${above% *}
    done
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return 0
}
complete -F _qz7ctl qz7ctl
)";

}  // namespace

std::string manualPage(const CLI::App& app, std::string_view pageText) {
    std::string page = replaced(std::string(pageText), "@VERSION@", QZ7_FILE_VERSION);
    page = replaced(page, "@OPTIONS@", programOptionsSection(app));
    return replaced(page, "@COMMANDS@", commandsSection(app));
}

std::string bashCompletion(const CLI::App& app) {
    return "# bash completion for qz7ctl, written by the build from qz7ctl's command table.\n" +
           completionTables(app) + kCompletionFunctions;
}

}  // namespace qz7::cli

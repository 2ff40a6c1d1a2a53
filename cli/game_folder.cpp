#include "cli/game_folder.h"

#include <charconv>

#include "cli/cli_error.h"
#include "platform/game_paths.h"
#include "settings/template_record.h"

namespace qz7::cli {

// In full, so that every error names its file in full.
GameFolder::GameFolder(std::filesystem::path folder) : Folder(std::filesystem::absolute(folder)) {
    std::error_code error;
    if (!std::filesystem::is_directory(Folder, error))
        throw CliError("Папка игры не найдена: " + utf8FromPath(Folder));
}

std::filesystem::path GameFolder::templateStorePath() const {
    return gamePath(Folder, "\\ServerSetup_QZ7.cfg");
}

const TemplateRecords& GameFolder::records() {
    if (!Records) Records = readTemplateRecords(templateStorePath());
    return *Records;
}

std::size_t GameFolder::findTemplate(const std::string& nameOrPosition) {
    const TemplateRecords& all = records();
    if (nameOrPosition.size() > 1 && nameOrPosition.front() == '#') {
        std::size_t position = 0;
        const char* first = nameOrPosition.data() + 1;
        const char* last = nameOrPosition.data() + nameOrPosition.size();
        auto [end, error] = std::from_chars(first, last, position);
        if (error != std::errc() || end != last || position == 0 || position > all.size())
            throw CliError("Нет шаблона на позиции " + nameOrPosition.substr(1) +
                           " (шаблонов: " + std::to_string(all.size()) + ")");
        return position - 1;
    }
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (templateRecordName(all[i]) == nameOrPosition) matches.push_back(i);
    }
    if (matches.empty()) throw CliError("Нет шаблона с именем «" + nameOrPosition + "»");
    if (matches.size() > 1) {
        std::string positions;
        for (std::size_t i : matches)
            positions += (positions.empty() ? "#" : ", #") + std::to_string(i + 1);
        throw CliError("Имя «" + nameOrPosition + "» носят несколько шаблонов: " + positions +
                       ". Укажите позицию, например " + positions.substr(0, positions.find(',')));
    }
    return matches.front();
}

}  // namespace qz7::cli

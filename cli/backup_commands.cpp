#include "cli/backup_commands.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "net/json_text.h"
#include "platform/local_time.h"
#include "platform/readable_text.h"
#include "server/kept_version_restore.h"

namespace qz7::cli {

void runBackups(GameFolder& game, bool json, const std::optional<std::string>& forget,
                std::ostream& out) {
    if (forget) {
        const std::size_t removed = forgetKeptVersions(game.path(), *forget);
        out << "Удалено версий " << *forget << ": " << removed << "\n";
        return;
    }
    const std::vector<KeptVersionSummary> versions = keptVersionSummaries(game.path());
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const KeptVersionSummary& version : versions) {
            nlohmann::json item = {{"version", version.version},
                                   {"file", version.fileName},
                                   {"time", utcTimestamp(version.time)},
                                   {"size", version.size}};
            if (version.templates) item["templates"] = *version.templates;
            list.push_back(std::move(item));
        }
        out << jsonText(list, 2) << "\n";
        return;
    }
    if (versions.empty()) {
        out << "Сохранённых версий нет (" << kKeptVersionsFolder << " папки игры пуста)\n";
        return;
    }
    for (const KeptVersionSummary& version : versions) {
        out << version.version << "  " << localTimeText(version.time) << "  ";
        if (version.templates) out << "шаблонов: " << *version.templates << ", ";
        out << version.size << " байт\n";
    }
}

void runRestoreTemplate(GameFolder& game, const std::string& version,
                        const std::string& nameOrPosition, std::ostream& out) {
    const RestoredTemplate restored = restoreKeptTemplate(game.path(), version, nameOrPosition);
    out << "Шаблон «" << restored.name << "» возвращён на позицию #" << restored.position << "\n";
}

void runRestore(GameFolder& game, const std::string& version, std::ostream& out) {
    const auto file = restoreKeptFile(game.path(), version);
    out << "Возвращена версия " << version << " в " << textFromPath(file)
        << " (прежний файл сохранён как версия)\n";
}

}  // namespace qz7::cli

#include "server/kept_version_restore.h"

#include <algorithm>

#include "platform/game_paths.h"
#include "platform/private_file.h"
#include "platform/readable_text.h"
#include "platform/windows1251.h"
#include "server/folder_alerts.h"
#include "server/operation_error.h"
#include "settings/template_lookup.h"
#include "settings/template_record.h"
#include "settings/template_store.h"

namespace qz7 {

namespace fs = std::filesystem;

namespace {

std::string storeFileName(const fs::path& gameFolder) {
    return utf8FromPath(templateStoreFile(gameFolder).filename());
}

// The record with its name replaced: the name field's length byte and characters.
std::string withName(std::string record, const std::string& utf8Name) {
    const std::string field = templateNameField(utf8Name);
    record[kNameLayout.offset] = static_cast<char>(field.size());
    std::copy(field.begin(), field.end(), record.begin() + kNameLayout.offset + 1);
    return record;
}

}  // namespace

std::vector<KeptVersionSummary> keptVersionSummaries(const fs::path& gameFolder) {
    const std::string store = storeFileName(gameFolder);
    std::vector<KeptVersionSummary> summaries;
    for (const KeptVersion& version : keptVersions(gameFolder)) {
        KeptVersionSummary summary{utf8FromPath(version.path.filename()), version.fileName,
                                   version.time, version.size, std::nullopt};
        if (version.fileName == store) summary.templates = version.size / kTemplateRecordSize;
        summaries.push_back(std::move(summary));
    }
    return summaries;
}

KeptVersion findKeptVersion(const fs::path& gameFolder, const std::string& version) {
    for (const KeptVersion& kept : keptVersions(gameFolder))
        if (utf8FromPath(kept.path.filename()) == version) return kept;
    throw OperationError("Версии «" + version + "» нет в " + kKeptVersionsFolder +
                             " папки игры (их список: qz7ctl backups)",
                         OperationError::Kind::Usage);
}

std::string freeTemplateName(const std::string& name, const std::vector<std::string>& taken) {
    auto isTaken = [&taken](const std::string& candidate) {
        return std::find(taken.begin(), taken.end(), candidate) != taken.end();
    };
    const std::string whole = utf8FromWindows1251(templateNameField(name));
    if (!isTaken(whole)) return whole;
    for (int number = 2;; ++number) {
        const std::string suffix = " (" + std::to_string(number) + ")";
        // One character a byte in the field: the name is cut to leave room for the suffix.
        const std::string cut = windows1251FromUtf8(whole).substr(
            0, kNameLayout.capacity - std::min(suffix.size(), kNameLayout.capacity));
        const std::string candidate = utf8FromWindows1251(cut) + suffix;
        if (!isTaken(candidate)) return candidate;
    }
}

RestoredTemplate restoreKeptTemplate(const fs::path& gameFolder, const std::string& version,
                                     const std::string& nameOrPosition) {
    const KeptVersion kept = findKeptVersion(gameFolder, version);
    if (kept.fileName != storeFileName(gameFolder))
        throw OperationError("«" + version + "» — версия " + kept.fileName +
                                 ", а не шаблонов; её возвращают целиком: qz7ctl restore " +
                                 version,
                             OperationError::Kind::Usage);
    const TemplateLookup found = findTemplate(kept.path, nameOrPosition);
    if (!found.index) throw OperationError(found.error + " (в версии " + version + ")");
    const fs::path store = templateStoreFile(gameFolder);
    std::vector<std::string> taken;
    forEachTemplateRecord(
        store, [&taken](std::string_view record) { taken.push_back(templateRecordName(record)); });
    const std::string name = freeTemplateName(templateRecordName(found.record), taken);
    const std::size_t position = appendTemplateRecord(store, withName(found.record, name));
    return {position, name};
}

fs::path restoreKeptFile(const fs::path& gameFolder, const std::string& version) {
    const KeptVersion kept = findKeptVersion(gameFolder, version);
    const fs::path file = gameFolder / pathFromUtf8(kept.fileName);
    const std::string bytes = readWholeFile(kept.path);
    if (file == folderAlertFile(gameFolder)) {
        keepVersionBeforeChange(file, FileChange::Rewrite, FileAccess::OwnerOnly);
        writePrivateFile(file, bytes);
    } else {
        keepVersionBeforeChange(file, FileChange::Rewrite);
        writeFileAtomically(file, bytes);
    }
    return file;
}

std::size_t forgetKeptVersions(const fs::path& gameFolder, const std::string& fileName) {
    std::size_t removed = 0;
    for (const KeptVersion& kept : keptVersions(gameFolder)) {
        if (kept.fileName != fileName) continue;
        std::error_code error;
        if (!fs::remove(kept.path, error) || error)
            throw OperationError("Не удалось удалить " + textFromPath(kept.path) + ": " +
                                 error.message());
        ++removed;
    }
    return removed;
}

}  // namespace qz7

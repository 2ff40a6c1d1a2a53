#include "app/kept_version_list.h"

#include <QListWidget>
#include <algorithm>

#include "platform/game_paths.h"
#include "platform/local_time.h"

namespace qz7 {

bool KeptVersionList::read(const std::filesystem::path& gameFolder,
                           const std::function<bool(const KeptVersionSummary&)>& wanted,
                           const std::function<QString(const KeptVersionSummary&)>& caption) {
    versions_.clear();
    for (const KeptVersionSummary& version : keptVersionSummaries(gameFolder))
        if (wanted(version)) versions_.push_back(version);
    std::reverse(versions_.begin(), versions_.end());
    // Filled without telling: the window shows the chosen version once the list is complete.
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const KeptVersionSummary& version : versions_)
        list_->addItem(QString::fromStdString(localTimeText(version.time)) + caption(version));
    list_->setCurrentRow(versions_.empty() ? -1 : 0);
    return !versions_.empty();
}

const KeptVersionSummary* KeptVersionList::chosen() const {
    const int row = list_->currentRow();
    return row >= 0 && row < int(versions_.size()) ? &versions_[std::size_t(row)] : nullptr;
}

std::filesystem::path KeptVersionList::chosenPath(const std::filesystem::path& gameFolder) const {
    return gameFolder / kKeptVersionsFolder / pathFromUtf8(chosen()->version);
}

}  // namespace qz7

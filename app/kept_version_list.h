#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <vector>

#include "server/kept_version_restore.h"

class QListWidget;

namespace qz7 {

// The kept versions a restore window offers, in its list: newest first (the one a host most
// likely wants), each by its local time with the offset and a caption of its own.
class KeptVersionList {
  public:
    explicit KeptVersionList(QListWidget* list) : list_(list) {}

    // Lists the game folder's versions that `wanted` accepts and chooses the newest; false when
    // there are none.
    bool read(const std::filesystem::path& gameFolder,
              const std::function<bool(const KeptVersionSummary&)>& wanted,
              const std::function<QString(const KeptVersionSummary&)>& caption);
    // The version chosen in the list; nullptr when none is.
    const KeptVersionSummary* chosen() const;
    // Where the chosen version lies; the version must be chosen.
    std::filesystem::path chosenPath(const std::filesystem::path& gameFolder) const;

  private:
    QListWidget* list_;
    std::vector<KeptVersionSummary> versions_;
};

}  // namespace qz7

#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qz7 {

// The alert addresses of a game folder's serve: one file in the folder that only its owner may
// read (the addresses are secrets), used alike by `qz7ctl serve`, the service entry and the
// window. One address a line; empty lines and lines starting with # are skipped.
inline constexpr const char* kServeAlertsFile = "qz7-serve.alerts";

std::filesystem::path folderAlertFile(const std::filesystem::path& gameFolder);

// The addresses of the folder's alert file; none without the file. Throws FileError when it
// cannot be read.
std::vector<std::string> readFolderAlerts(const std::filesystem::path& gameFolder);

// Writes the addresses, one a line under a comment, into the folder's alert file, replacing it
// atomically and private from the start. Each must be an alert address: an OperationError names
// the first that is none (redacted), and nothing is written. No addresses leave a file without
// any, so that the earlier entries' files are not taken over again.
void writeFolderAlerts(const std::filesystem::path& gameFolder,
                       const std::vector<std::string>& addresses);

// The per-template alert files that earlier service entries wrote (qz7-serve-<name>.alerts) are
// taken over once: while the folder has no alert file of its own, it gets their addresses (each
// once, in the order found); the old files stay for their entries. What was done, for people;
// empty when there was nothing to take over.
std::string adoptTemplateAlertFiles(const std::filesystem::path& gameFolder);

}  // namespace qz7

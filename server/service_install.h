#pragma once

#include <filesystem>
#include <string>

#include "platform/service_host.h"
#include "server/service_entry.h"

namespace qz7 {

// Service entries of qz7ctl: a systemd unit that runs serve at boot (a user's unit at their
// logon, or at boot when they linger), or a Task Scheduler task (the user's Run key where the
// Task Scheduler refuses) that runs it at logon. One entry per game folder, serving on the
// folder's settings. Each function returns what it did, for people, one line each, and throws
// OperationError when it could not.

// What becomes of a serve that holds the game folder when its entry is installed: it runs on and
// the entry starts serve at the next boot or logon, or (systemd) it is stopped and the entry's
// serve takes over at once. Without a running serve, systemd starts the entry's serve at once.
enum class RunningServe { RunsOn, HandOver };

// Installs the entry of the request's game folder (its template empty, no serve options): it
// runs `qz7ctl --game-dir FOLDER serve`. Says what became of a running serve, which earlier entries
// of templates in the folder would start a second serve, and for a user's unit whether it needs
// linger. With print, says what would be installed and changes nothing.
std::string installService(const ServiceHosts& hosts, const ServiceRequest& request, bool print,
                           RunningServe running = RunningServe::RunsOn);

// Deletes the game folder's entry (templateName empty), or the entry an earlier version wrote for
// a template of the folder (its full name, or the name as a user gave it for a template deleted
// or renamed since) with its alert file, stopping the serve it started. The serve of the folder's
// entry runs on: `qz7ctl stop` or the window stops it.
std::string removeService(const ServiceHosts& hosts, const std::filesystem::path& gameFolder,
                          const std::string& templateName = {});

// The entries of qz7ctl: name, where it is written and what it serves, one a line.
std::string listServices(const ServiceHosts& hosts);

// Whether the game folder's entry is installed.
bool folderServiceInstalled(const ServiceHosts& hosts, const std::filesystem::path& gameFolder);

// Whether installing starts serve at once (systemd runs it): only then is there a serve to hand
// over to.
bool serviceStartsAtInstall(const ServiceHosts& hosts);

// What the folder's entry does, for the switch that installs it: "при входе в Windows", "при
// загрузке системы" and so on, true to this system.
std::string serviceSwitchCaption(const ServiceHosts& hosts);

}  // namespace qz7

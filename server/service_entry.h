#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// Service entries start `qz7ctl serve` at boot (a systemd unit) or at logon (a Windows Task
// Scheduler task, or the user's Run key where the Task Scheduler refuses). The core builds their
// text; handing it to systemd or Windows is platform code.

// What an entry starts: qz7ctl serving in the game folder. The entry of a game folder names no
// template and no options: serve takes them from the folder's settings when it starts, so that
// changed settings need no new entry. Earlier versions wrote one entry per template, with the
// template and serve's options in it; those are still listed and removed.
struct ServiceRequest {
    std::filesystem::path program;          // qz7ctl itself, absolute
    std::filesystem::path gameFolder;       // absolute
    std::string templateName;               // the full name, UTF-8; empty: the folder's entry
    std::vector<std::string> serveOptions;  // serve's options before the template
    std::chrono::milliseconds stopGrace{10000};
};

// The name of a game folder's entry: "qz7-serve-", a slug of the folder's own name and 8 hex
// digits of a hash of the folder's identity (folderIdentity), so that one folder written in
// different ways has one name. Earlier versions hashed the folder as it was given.
std::string serviceName(const std::filesystem::path& gameFolder);

// The game folder a folder's entry serves, from its description (serviceDescription); nothing for
// a text that is no folder entry's description.
std::optional<std::filesystem::path> folderOfServiceDescription(std::string_view description);

// The entry's name: "qz7-serve-", a slug of the template name (Russian letters transliterated,
// everything else but Latin letters and digits a hyphen, at most 24 characters) and 8 hex digits
// of a hash of game folder and name, so that equal slugs of different templates or folders differ.
std::string serviceName(const std::filesystem::path& gameFolder, const std::string& templateName);

// Where an entry keeps its alert addresses: a file only its owner may read, in the game folder.
std::filesystem::path serviceAlertFile(const std::filesystem::path& gameFolder,
                                       const std::string& name);

// The arguments the entry gives qz7ctl: --game-dir FOLDER serve OPTIONS... -- TEMPLATE, the
// template last, after the end of options, so that a name that begins with a dash is a name; the
// folder's entry ends after serve and its options. extraOptions go after the request's own.
std::vector<std::string> serviceArguments(const ServiceRequest& request,
                                          const std::vector<std::string>& extraOptions = {});

// "QZ7: сервер «<template>» в <folder>", the entry's description; for the folder's entry
// "QZ7: сервер в <folder> по настройкам qz7-serve.ini".
std::string serviceDescription(const ServiceRequest& request);

// How long systemd waits for serve to stop before it kills what is left: serve's stop grace, the
// last alerts (one interval and one request) and the removal of forwarded ports, with room.
std::chrono::seconds serviceStopTimeout(std::chrono::milliseconds stopGrace);

// Why the request cannot go into an entry (a line break or another control character in a name
// or option); nothing when it can.
std::optional<std::string> serviceRequestProblem(const ServiceRequest& request);

// Where a systemd unit goes and who runs it.
struct SystemdPlacement {
    bool systemWide = false;  // /etc/systemd/system, run as user; else a user unit
    std::string user;         // the game folder's owner, for User= of a system-wide unit
};

// The systemd unit that runs serve: KillMode=mixed (SIGTERM to serve alone, which stops the
// server within its grace; what is left is killed after TimeoutStopSec), Restart=on-failure with
// a start limit, after the network is up.
std::string systemdUnit(const ServiceRequest& request, const SystemdPlacement& placement);

// The arguments as an ExecStart= line quotes them: each in double quotes with \ and " escaped,
// % doubled (systemd's specifiers) and $ doubled (its variables).
std::string systemdCommandLine(const std::vector<std::string>& arguments);

// The Task Scheduler task (its XML, to be registered as UTF-16) that starts serve at logon of
// userId ("DOMAIN\user"): with an interactive token (no password, no administrator), its own
// console window, which serve minimises, no execution time limit and no battery conditions.
std::string logonTaskXml(const ServiceRequest& request, const std::string& userId);

// The command line of the Run key value that does the same where the Task Scheduler refuses.
std::string runKeyCommand(const ServiceRequest& request);

}  // namespace qz7

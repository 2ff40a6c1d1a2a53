#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "server/serve_session.h"
#include "server/service_install.h"

namespace qz7 {

// What a front end gathers to install a game folder's service entry.
struct FolderServiceInput {
    std::filesystem::path program;     // qz7ctl, absolute
    std::filesystem::path gameFolder;  // as the host gave it
    // The settings given: the template (a name or #N) and the values of givenOptions
    // ("--restart-at"), which go over the folder's settings; with wholeSettings, given is the
    // settings entire.
    ServeOptions given;
    std::vector<std::string> givenOptions;
    bool wholeSettings = false;
    // The folder's alert addresses become these; without, the folder's stay (earlier entries'
    // files taken over).
    std::optional<std::vector<std::string>> alertAddresses;
    bool print = false;
    RunningServe running = RunningServe::RunsOn;
};

// Prepares and installs the folder's entry: the settings merged, the template resolved, then
// checked as the entry's serve will check them (the template in the store once, every value
// readable back, each alert address an address), and only then qz7-serve.ini and qz7-serve.alerts
// written and the entry installed, replacing the folder's entries of other names. Throws
// OperationError (a usage error for what the host gave) before anything is written. With print,
// says what would be written and installed and changes nothing. Returns the report, a line each.
std::string installFolderService(const ServiceHosts& hosts, const FolderServiceInput& input);

// Removes the folder's entry (every entry that serves the folder, whatever its name), or with a
// template (a name, or #N read from the store) the entry an earlier version wrote for it.
std::string removeFolderService(const ServiceHosts& hosts, const std::filesystem::path& gameFolder,
                                const std::string& templateName = {});

}  // namespace qz7

#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/serve_session.h"

namespace qz7 {

// The settings of the serve of a game folder. One serve runs in a folder at a time, so they are
// kept in the folder: qz7-serve.ini, UTF-8 text, one "Key=value" a line, "#" and ";" start
// comments. `qz7ctl serve` without template and options, the service entry and the window serve
// on them; options on serve's command line win for that run.
inline constexpr const char* kServeSettingsFile = "qz7-serve.ini";

// The bounds of serve's times in seconds and of its crash limit, on the command line and in the
// file alike.
inline constexpr double kShortestServeSeconds = 0.001;
inline constexpr double kLongestServeSeconds = 86400;
inline constexpr int kLargestCrashLimit = 1000;

// The settings a file's text gives, in a ServeOptions: the keys it names, the defaults for the
// others. A run's own options (--force, --json, the alert addresses) keep their defaults. Throws
// OperationError (a usage error) for the first bad line, naming the file, the line, the key and
// the reason.
ServeOptions parseServeSettings(std::string_view text,
                                const std::string& fileName = kServeSettingsFile);

// The settings of the game folder's serve; the defaults when the folder has no settings file.
// Throws OperationError for a bad file and FileError for one that cannot be read.
ServeOptions readServeSettings(const std::filesystem::path& gameFolder);

// The file's text for the settings. An earlier text keeps its comments, empty lines, line ends and
// the order of its keys, each key with its new value; the keys it lacks follow at its end. Without
// one: a heading, then every key under a line that says what it holds.
std::string serveSettingsText(const ServeOptions& settings, std::string_view earlier = {});

// One key's value as the file holds it ("RestartAt": "04:00,16:00"); empty for a key there is
// not.
std::string serveSettingValue(const ServeOptions& settings, std::string_view key);

// Sets one key from its text as the file would read it; the reason, as the file's refusal gives
// it, when the value is refused (or the key unknown).
std::optional<std::string> setServeSetting(ServeOptions& settings, std::string_view key,
                                           std::string_view value);

// Sets the key that serve's option names ("--stop-grace") from the option's text, by the same rule
// as the file; the reason when the value is refused.
std::optional<std::string> setServeOption(ServeOptions& settings, std::string_view option,
                                          std::string_view value);

// The first value of the settings that the file could not read back ("StopGrace=-1: нужно
// число…"): what a writer must refuse rather than leave a file that serve refuses.
std::optional<std::string> serveSettingsProblem(const ServeOptions& settings);

// Writes the settings into the game folder's file atomically; throws OperationError (a usage
// error) and writes nothing when a value could not be read back (serveSettingsProblem). A sound
// earlier file keeps its comments; one that is bad or cannot be read is replaced whole.
void writeServeSettings(const std::filesystem::path& gameFolder, const ServeOptions& settings);

// Every key of the file with serve's option for it ("StopGrace", "--stop-grace"; the template's
// option is empty: serve takes it as its argument), in the file's order.
struct ServeSettingName {
    std::string_view key;
    std::string_view option;
};
std::vector<ServeSettingName> serveSettingNames();

// Whether an option of serve, as the command line names it ("--restart-at"), is kept in the
// settings; the others (--force, --json, --notify, --notify-file) belong to one run.
bool isServeSetting(std::string_view option);

// What a serve runs with: the settings, but for the options given on the command line (their
// names in givenOptions), whose values come from commandLine; the template when the command line
// names one; and the command line's options of the run (--force, --json, the alert addresses).
ServeOptions serveOptionsOverSettings(ServeOptions settings, const ServeOptions& commandLine,
                                      const std::vector<std::string>& givenOptions);

// What `qz7ctl serve` runs with in the game folder: the folder's settings under the command line
// (serveOptionsOverSettings) and, unless the command line named alert addresses, those of the
// folder's alert file (taking over the files of earlier service entries once, said on err).
// Throws OperationError (a usage error) when no template is named either way, or for a bad file.
ServeOptions serveOptionsFor(const std::filesystem::path& gameFolder,
                             const ServeOptions& commandLine,
                             const std::vector<std::string>& givenOptions, std::ostream& err);

}  // namespace qz7

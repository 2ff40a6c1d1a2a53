#include "cli/serve_control.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <thread>
#include <vector>

#include "cli/cli_error.h"
#include "cli/serve_files.h"
#include "platform/atomic_file.h"
#include "platform/local_time.h"
#include "platform/stop_signals.h"
#include "server/serve_lock.h"

namespace qz7::cli {

namespace {

// How long stop waits for the serve to end beyond the grace it gives the server: the removal of
// the ports, with room to spare.
constexpr std::chrono::seconds kStopWait{120};
constexpr std::chrono::milliseconds kPollInterval{100};
constexpr std::chrono::milliseconds kFollowInterval{200};

std::optional<nlohmann::json> readState(const std::filesystem::path& gameFolder) {
    const std::filesystem::path file = gameFolder / kServeStateFile;
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return std::nullopt;
    const nlohmann::json state = nlohmann::json::parse(readWholeFile(file), nullptr, false);
    if (!state.is_object()) return std::nullopt;
    return state;
}

std::string text(const nlohmann::json& value, const char* fallback = "нет") {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number()) return value.dump();
    return fallback;
}

// "1 ч 02 мин 05 с".
std::string durationText(std::chrono::seconds duration) {
    const long long total = duration.count();
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%lld ч %02lld мин %02lld с", total / 3600,
                  total / 60 % 60, total % 60);
    return buffer;
}

std::optional<long long> uptimeSeconds(const nlohmann::json& state) {
    const std::optional<std::chrono::system_clock::time_point> started =
        parseUtcTimestamp(text(state.value("serverStarted", nlohmann::json()), ""));
    if (!started) return std::nullopt;
    return std::max<long long>(0, std::chrono::duration_cast<std::chrono::seconds>(
                                      std::chrono::system_clock::now() - *started)
                                      .count());
}

void printState(const nlohmann::json& state, bool running, std::ostream& out) {
    auto value = [&](const char* key) { return state.value(key, nlohmann::json()); };
    out << "Шаблон: " << text(value("template")) << "\n";
    const std::optional<long long> uptime = running ? uptimeSeconds(state) : std::nullopt;
    if (uptime)
        out << "Сервер: работает, pid " << text(value("serverPid")) << ", "
            << durationText(std::chrono::seconds(*uptime)) << " (с " << text(value("serverStarted"))
            << ")\n";
    else
        out << "Сервер: не запущен\n";
    out << "Перезапусков: " << text(value("restarts"), "0")
        << ", из них по расписанию: " << text(value("scheduledRestarts"), "0") << "\n";
    out << "Падений за окно подсчёта: " << text(value("crashesInWindow"), "0") << "\n";
    const nlohmann::json crash = value("lastCrash");
    out << "Последнее падение: "
        << (crash.is_object() ? text(crash.value("time", nlohmann::json())) + " " +
                                    text(crash.value("message", nlohmann::json()))
                              : std::string("нет"))
        << "\n";
    const nlohmann::json exit = value("lastExit");
    if (exit.is_object())
        out << "Последнее завершение: " << text(exit.value("time", nlohmann::json())) << " "
            << text(exit.value("message", nlohmann::json())) << "\n";
    if (running) out << "Следующий перезапуск: " << text(value("nextRestart")) << "\n";
    out << "Порты: " << (value("portsForwarded") == true ? "проброшены" : "не проброшены") << "\n";
}

std::string readFrom(const std::filesystem::path& file, std::uintmax_t offset) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    in.seekg(std::streamoff(offset));
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string firstLine(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::getline(in, line);
    return line;
}

// Writes the whole lines of text and returns how many bytes they took.
std::size_t writeWholeLines(const std::string& text, std::ostream& out) {
    const std::size_t end = text.rfind('\n');
    if (end == std::string::npos) return 0;
    out.write(text.data(), std::streamsize(end + 1));
    out.flush();
    return end + 1;
}

}  // namespace

int showServeStatus(GameFolder& game, bool json, std::ostream& out) {
    const std::optional<ServeHolder> holder = findServeHolder(game.path());
    std::optional<nlohmann::json> state = readState(game.path());
    // The state of a serve that holds the folder is its own; another's is a killed serve's.
    const bool running = holder.has_value();
    if (json) {
        nlohmann::json report = {{"running", running},
                                 {"servePid", holder ? nlohmann::json(holder->processId) : nullptr},
                                 {"serveSince", holder ? nlohmann::json(holder->since) : nullptr},
                                 {"uptimeSeconds", nullptr},
                                 {"state", state ? *state : nlohmann::json(nullptr)}};
        if (running && state)
            if (std::optional<long long> uptime = uptimeSeconds(*state))
                report["uptimeSeconds"] = *uptime;
        out << report.dump(2) << "\n";
    } else if (running) {
        out << "Работает " << serveHolderText(*holder) << "\n";
        if (state) printState(*state, true, out);
    } else {
        out << "qz7ctl serve: не запущен\n";
        if (state) {
            out << "Последнее известное состояние (" << kServeStateFile << ", qz7ctl serve pid "
                << text(state->value("servePid", nlohmann::json())) << ", "
                << (state->value("serveEnded", nlohmann::json()).is_string()
                        ? "завершился " + text(state->value("serveEnded", nlohmann::json()))
                        : std::string("прерван без завершения"))
                << "):\n";
            printState(*state, false, out);
        }
    }
    return running ? kExitSuccess : kExitNotRunning;
}

void showServeLog(GameFolder& game, int lines, bool follow, std::ostream& out) {
    const std::filesystem::path log = game.path() / kServeLogFile;
    const std::filesystem::path older = olderLogFile(log, 1);
    const std::string current = readFrom(log, 0);
    const std::string both = readFrom(older, 0) + current;
    std::vector<std::string_view> whole;
    for (std::size_t from = 0, end; (end = both.find('\n', from)) != std::string::npos;
         from = end + 1)
        whole.push_back(std::string_view(both).substr(from, end + 1 - from));
    for (std::size_t i = whole.size() > std::size_t(lines) ? whole.size() - lines : 0;
         i < whole.size(); ++i)
        out << whole[i];
    out.flush();
    // A line still being written is shown once it is whole.
    const std::size_t lastEnd = current.rfind('\n');
    std::uintmax_t offset = lastEnd == std::string::npos ? 0 : lastEnd + 1;
    if (!follow) return;

    std::string first = firstLine(log);
    while (true) {
        std::this_thread::sleep_for(kFollowInterval);
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(log, error);
        const std::string nowFirst = firstLine(log);
        if ((error || size < offset || nowFirst != first) && !first.empty()) {
            // Rotated: the rest of the file that became the older one, then the new one.
            if (firstLine(older) == first) writeWholeLines(readFrom(older, offset), out);
            offset = 0;
        }
        first = nowFirst;
        offset += writeWholeLines(readFrom(log, offset), out);
    }
}

int stopServe(GameFolder& game, std::ostream& out) {
    const std::optional<ServeHolder> holder = findServeHolder(game.path());
    if (!holder) {
        out << "qz7ctl serve в этой папке не запущен\n";
        return kExitNotRunning;
    }
    if (holder->processId == 0 || !StopSignals::requestStopOf(holder->processId))
        throw CliError("Не удалось попросить " + serveHolderText(*holder) + " остановиться");
    out << "Остановка " << serveHolderText(*holder) << "...\n" << std::flush;
    // The state file's grace is the one this serve gives its server.
    const nlohmann::json grace = readState(game.path())
                                     .value_or(nlohmann::json::object())
                                     .value("stopGraceSeconds", nlohmann::json());
    const std::chrono::seconds wait =
        kStopWait + std::chrono::seconds(
                        grace.is_number() ? static_cast<long long>(grace.get<double>()) + 1 : 0);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (findServeHolder(game.path())) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw CliError(serveHolderText(*holder) + " не завершился за " +
                           std::to_string(wait.count()) + " с");
        std::this_thread::sleep_for(kPollInterval);
    }
    out << "qz7ctl serve остановлен\n";
    return kExitSuccess;
}

std::optional<std::string> servedTemplate(GameFolder& game) {
    if (!findServeHolder(game.path())) return std::nullopt;
    const std::optional<nlohmann::json> state = readState(game.path());
    if (!state || !state->value("template", nlohmann::json()).is_string()) return std::nullopt;
    return state->value("template", std::string());
}

void refuseWhileServed(GameFolder& game, bool force, std::ostream& err) {
    const std::optional<ServeHolder> holder = findServeHolder(game.path());
    if (!holder) return;
    if (!force)
        throw CliError(serveHolderRefusal(*holder) +
                       " Чтобы выполнить всё равно, добавьте --force.");
    err << serveHolderRefusal(*holder) << " Выполняется всё равно (--force).\n";
}

}  // namespace qz7::cli

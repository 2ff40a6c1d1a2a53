#include "server/serve_lock.h"

#include <charconv>
#include <thread>

#include "platform/atomic_file.h"
#include "platform/local_time.h"
#include "platform/watched_process.h"

namespace qz7 {

namespace {

// A serve tries to take the lock for about half a second.
constexpr int kLockAttempts = 26;
constexpr std::chrono::milliseconds kLockRetryPause{20};

// The lock file's content: "pid=812\nsince=2026-12-08T01:30:00.125Z\n".
ServeHolder parseHolder(const std::string& content) {
    ServeHolder holder;
    std::size_t from = 0;
    while (from < content.size()) {
        const std::size_t end = std::min(content.find('\n', from), content.size());
        const std::string line = content.substr(from, end - from);
        if (line.rfind("pid=", 0) == 0) {
            int id = 0;
            const auto [last, error] =
                std::from_chars(line.data() + 4, line.data() + line.size(), id);
            if (error == std::errc() && last == line.data() + line.size()) holder.processId = id;
        } else if (line.rfind("since=", 0) == 0) {
            holder.since = line.substr(6);
        }
        from = end + 1;
    }
    return holder;
}

}  // namespace

std::optional<ServeHolder> findServeHolder(const std::filesystem::path& gameFolder,
                                           std::chrono::milliseconds waitForName) {
    const std::filesystem::path file = gameFolder / kServeLockFile;
    const auto deadline = std::chrono::steady_clock::now() + waitForName;
    for (;;) {
        if (!isFileLocked(file)) return std::nullopt;
        // What the file names before its holder has written it is an earlier serve's.
        if (isFileContentCurrent(file)) break;
        if (std::chrono::steady_clock::now() >= deadline) return ServeHolder{};
        std::this_thread::sleep_for(kLockRetryPause);
    }
    try {
        return parseHolder(readWholeFile(file));
    } catch (const FileError&) {
        return ServeHolder{};
    }
}

std::unique_ptr<FileLock> takeServeLock(const std::filesystem::path& gameFolder,
                                        std::chrono::system_clock::time_point since,
                                        std::optional<ServeHolder>& holder) {
    // A look at the lock (findServeHolder) holds it for a moment: a serve that starts then tries
    // again for a while before it takes the folder for held.
    std::unique_ptr<FileLock> lock;
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(kLockRetryPause);
        lock = FileLock::tryTake(gameFolder / kServeLockFile);
        if (lock) break;
    }
    if (!lock) {
        holder = findServeHolder(gameFolder).value_or(ServeHolder{});
        return nullptr;
    }
    lock->replaceContent("pid=" + std::to_string(currentProcessId()) +
                         "\nsince=" + utcTimestamp(since) + "\n");
    return lock;
}

std::string serveHolderText(const ServeHolder& holder) {
    std::string text = "qz7ctl serve (pid ";
    text += holder.processId != 0 ? std::to_string(holder.processId) : "неизвестен";
    if (!holder.since.empty()) {
        const auto since = parseUtcTimestamp(holder.since);
        text += ", с " + (since ? localTimeText(*since) : holder.since);
    }
    return text + ")";
}

std::string serveHolderRefusal(const ServeHolder& holder, RefusalShownIn shownIn) {
    return "В папке игры работает " + serveHolderText(holder) +
           ": он сам формирует файлы, запускает сервер и держит порты. " +
           (shownIn == RefusalShownIn::Window
                ? "Остановите его кнопкой «Остановить» окна «Сервер под присмотром» или командой "
                  "qz7ctl stop."
                : "Остановите его командой qz7ctl stop (или Ctrl+C в его окне).");
}

}  // namespace qz7

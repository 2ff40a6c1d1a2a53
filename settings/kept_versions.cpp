#include "settings/kept_versions.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

#include "platform/directory_entries.h"
#include "platform/game_paths.h"
#include "platform/local_time.h"
#include "platform/readable_text.h"

namespace qz7 {

namespace fs = std::filesystem;
using std::chrono::system_clock;

namespace {

constexpr std::size_t kLastVersionsKept = 30;
constexpr int kDaysKept = 30;
constexpr std::size_t kCompareBlock = 1 << 20;
// "20261208T152151235Z"
constexpr std::size_t kTimeLength = 19;

struct Notices {
    std::mutex mutex;
    std::function<void(const std::string&)> say;
    std::set<std::string> said;
};

Notices& notices() {
    static Notices instance;
    return instance;
}

void sayOnce(const std::string& key, const std::string& text) {
    Notices& all = notices();
    std::function<void(const std::string&)> say;
    {
        std::lock_guard lock(all.mutex);
        if (!all.said.insert(key).second) return;
        say = all.say;
    }
    if (say)
        say(text);
    else
        std::cerr << text << std::endl;
}

std::int64_t utcDay(system_clock::time_point time) {
    return std::chrono::floor<std::chrono::days>(time).time_since_epoch().count();
}

bool sameContent(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::file_size(a, error) != fs::file_size(b, error) || error) return false;
    if (fs::equivalent(a, b, error)) return true;
    bool same = true;
    std::uint64_t offset = 0;
    readFileInBlocks(
        a,
        [&](std::string_view block) {
            if (same && readFilePart(b, offset, block.size()) != block) same = false;
            offset += block.size();
        },
        kCompareBlock);
    return same;
}

void copyInto(const fs::path& from, const fs::path& to, FileAccess access) {
    writeFileAtomically(
        to, [&from](const ByteSink& bytes) { readFileInBlocks(from, bytes, kCompareBlock); },
        access);
}

void forgetWhatIsNoLongerKept(const fs::path& folder, system_clock::time_point now) {
    for (const KeptVersion& version : versionsToForget(keptVersions(folder), now)) {
        std::error_code ignored;
        fs::remove(version.path, ignored);
    }
}

}  // namespace

std::string keptVersionName(const std::string& fileName, system_clock::time_point time) {
    // The timestamp of the state files without the separators a file name may not hold.
    std::string compact = utcTimestamp(time);
    std::erase_if(compact, [](char c) { return c == '-' || c == ':' || c == '.'; });
    return fileName + "." + compact;
}

std::optional<std::pair<std::string, system_clock::time_point>> parseKeptVersionName(
    const std::string& name) {
    if (name.size() < kTimeLength + 2 || name[name.size() - kTimeLength - 1] != '.') return {};
    const std::string time = name.substr(name.size() - kTimeLength);
    for (std::size_t i = 0; i < kTimeLength; ++i) {
        const bool digit = time[i] >= '0' && time[i] <= '9';
        if ((i == 8 ? time[i] != 'T' : i == kTimeLength - 1 ? time[i] != 'Z' : !digit)) return {};
    }
    auto number = [&time](std::size_t from, std::size_t length) {
        return std::stoi(time.substr(from, length));
    };
    using namespace std::chrono;
    const year_month_day date{year(number(0, 4)), month(unsigned(number(4, 2))),
                              day(unsigned(number(6, 2)))};
    if (!date.ok() || number(9, 2) > 23 || number(11, 2) > 59 || number(13, 2) > 59) return {};
    const system_clock::time_point moment = sys_days(date) + hours(number(9, 2)) +
                                            minutes(number(11, 2)) + seconds(number(13, 2)) +
                                            milliseconds(number(15, 3));
    return std::pair{name.substr(0, name.size() - kTimeLength - 1), moment};
}

std::vector<KeptVersion> keptVersions(const fs::path& folder) {
    std::vector<KeptVersion> versions;
    for (const fs::directory_entry& entry : directoryEntries(folder / kKeptVersionsFolder)) {
        std::error_code error;
        if (!entry.is_regular_file(error)) continue;
        const auto parsed = parseKeptVersionName(utf8FromPath(entry.path().filename()));
        if (!parsed) continue;
        const std::uintmax_t size = entry.file_size(error);
        versions.push_back({entry.path(), parsed->first, parsed->second, error ? 0 : size});
    }
    std::sort(versions.begin(), versions.end(), [](const KeptVersion& a, const KeptVersion& b) {
        return std::tie(a.time, a.fileName) < std::tie(b.time, b.fileName);
    });
    return versions;
}

std::vector<KeptVersion> versionsToForget(const std::vector<KeptVersion>& versions,
                                          system_clock::time_point now, std::uintmax_t budget) {
    // Each file's versions, newest first.
    std::map<std::string, std::vector<const KeptVersion*>> byFile;
    for (auto version = versions.rbegin(); version != versions.rend(); ++version)
        byFile[version->fileName].push_back(&*version);
    std::set<const KeptVersion*> kept;
    std::set<const KeptVersion*> newest;
    for (const auto& [file, newestFirst] : byFile) {
        newest.insert(newestFirst.front());
        std::set<std::int64_t> daysSeen;
        for (std::size_t i = 0; i < newestFirst.size(); ++i) {
            const std::int64_t day = utcDay(newestFirst[i]->time);
            const bool newestOfItsDay = daysSeen.insert(day).second;
            if (i < kLastVersionsKept || (newestOfItsDay && utcDay(now) - day < kDaysKept))
                kept.insert(newestFirst[i]);
        }
    }
    std::uintmax_t total = 0;
    for (const KeptVersion* version : kept) total += version->size;
    std::vector<KeptVersion> forgotten;
    for (const KeptVersion& version : versions) {  // oldest first
        if (!kept.count(&version)) {
            forgotten.push_back(version);
        } else if (total > budget && !newest.count(&version)) {
            total -= version.size;
            forgotten.push_back(version);
        }
    }
    return forgotten;
}

void keepVersionBeforeChange(const fs::path& file, FileChange change, FileAccess access,
                             system_clock::time_point now) {
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    const std::string fileName = utf8FromPath(file.filename());
    try {
        const fs::path real = followSymbolicLinks(file);
        std::error_code error;
        if (!fs::is_regular_file(real, error)) return;
        const fs::path versionsFolder = folder / kKeptVersionsFolder;
        std::optional<KeptVersion> latest;
        for (const KeptVersion& version : keptVersions(folder))
            if (version.fileName == fileName) latest = version;
        if (latest && sameContent(real, latest->path)) {
            // A version linked to the file itself would change with an append: it becomes a copy.
            if (change == FileChange::Append && fs::equivalent(real, latest->path, error))
                copyInto(real, latest->path, access);
            return;
        }
        fs::create_directories(versionsFolder);
        // Later than the newest kept, whatever the clock did meanwhile: names stay in order.
        // Names hold milliseconds: two versions within one must not share a name.
        const auto nowInMilliseconds = std::chrono::floor<std::chrono::milliseconds>(now);
        auto time = latest && latest->time >= nowInMilliseconds
                        ? latest->time + std::chrono::milliseconds(1)
                        : system_clock::time_point(nowInMilliseconds);
        fs::path version = versionsFolder / pathFromUtf8(keptVersionName(fileName, time));
        for (int taken = 0; fs::exists(version, error) && taken < 1000; ++taken) {
            time += std::chrono::milliseconds(1);
            version = versionsFolder / pathFromUtf8(keptVersionName(fileName, time));
        }
        bool linked = false;
#ifndef _WIN32
        // A rewrite moves a new file into place and leaves this one as it is. A link would keep
        // the old file's permissions, so the version of an owner-only file is a private copy.
        if (change == FileChange::Rewrite && access == FileAccess::AsBefore) {
            fs::create_hard_link(real, version, error);
            linked = !error;
        }
#endif
        if (!linked) copyInto(real, version, access);
        forgetWhatIsNoLongerKept(folder, now);
    } catch (const std::exception& failure) {
        sayOnce(utf8FromPath(file), "Не удалось сохранить прежнюю версию " + textFromPath(file) +
                                        " в " + kKeptVersionsFolder + ": " + failure.what() +
                                        " (файл записывается всё равно)");
    }
}

void setKeptVersionNotices(std::function<void(const std::string&)> say) {
    std::lock_guard lock(notices().mutex);
    notices().say = std::move(say);
}

}  // namespace qz7

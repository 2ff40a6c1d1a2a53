#include "server/serve_log_reader.h"

#include <vector>

#include "platform/atomic_file.h"
#include "server/serve_files.h"
#include "server/serve_lock.h"

namespace qz7 {

namespace {

// The file from the offset on; empty when it cannot be read or ends before.
std::string readFrom(const std::filesystem::path& file, std::uintmax_t offset) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size <= offset) return {};
    try {
        return readFilePart(file, offset, std::size_t(size - offset));
    } catch (const FileError&) {
        return {};
    }
}

std::string firstLineOf(const std::filesystem::path& file) {
    std::string start;
    try {
        start = readFilePart(file, 0, 4096);
    } catch (const FileError&) {
        return {};
    }
    return start.substr(0, start.find('\n'));
}

// The text up to its last line end.
std::string wholeLines(const std::string& text) {
    const std::size_t end = text.rfind('\n');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

}  // namespace

ServeLogReader::ServeLogReader(const std::filesystem::path& gameFolder)
    : log_(gameFolder / kServeLogFile), older_(olderLogFile(log_, 1)) {}

std::string ServeLogReader::lastLines(int lines) {
    const std::string current = readFrom(log_, 0);
    const std::string both = wholeLines(readFrom(older_, 0)) + wholeLines(current);
    std::vector<std::size_t> starts;
    for (std::size_t from = 0; from < both.size(); from = both.find('\n', from) + 1)
        starts.push_back(from);
    const std::size_t shown = std::min<std::size_t>(starts.size(), std::size_t(std::max(lines, 0)));
    offset_ = wholeLines(current).size();
    firstLine_ = current.substr(0, current.find('\n'));
    return shown == 0 ? std::string() : both.substr(starts[starts.size() - shown]);
}

std::string ServeLogReader::newLines() {
    std::string text;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(log_, error);
    const std::string first = firstLineOf(log_);
    if ((error || size < offset_ || first != firstLine_) && !firstLine_.empty()) {
        // Rotated: the rest of the file that became the older one, then the new one.
        if (firstLineOf(older_) == firstLine_) text += wholeLines(readFrom(older_, offset_));
        offset_ = 0;
    }
    firstLine_ = first;
    const std::string added = wholeLines(readFrom(log_, offset_));
    offset_ += added.size();
    return text + added;
}

}  // namespace qz7

#include "server/serve_start.h"

#include <fstream>

#include "platform/game_paths.h"
#include "platform/readable_text.h"
#include "server/launchers.h"
#include "server/operation_error.h"
#include "server/serve_lock.h"
#include "server/serve_settings.h"
#include "server/template_files.h"

namespace qz7 {

namespace {

namespace fs = std::filesystem;

constexpr std::streamoff kShownOutput = 4096;

}  // namespace

fs::path servingProgram() { return companionProgram("qz7ctl"); }

std::optional<std::string> serveStartProblem(const fs::path& qz7ctl, const fs::path& gameFolder) {
    std::error_code error;
    if (!fs::is_regular_file(qz7ctl, error))
        return "Не найден " + textFromPath(qz7ctl.filename()) + " рядом с программой (" +
               textFromPath(qz7ctl.parent_path()) +
               "): сервер под присмотром запускает он. Распакуйте или установите программу "
               "целиком.";
    if (std::optional<ServeHolder> holder = findServeHolder(gameFolder))
        return "В папке игры уже работает " + serveHolderText(*holder) + ".";
    if (std::optional<std::string> missing = missingLauncherError(gameFolder, kServerLauncherName))
        return *missing + inGameFolderText(gameFolder);
    try {
        const ServeOptions settings = readServeSettings(gameFolder);
        if (settings.templateName.empty())
            return std::string("Шаблон не задан: выберите его в окне настройки сервера.");
        requireTemplateIn(gameFolder, settings.templateName);
    } catch (const std::exception& failure) {
        return std::string(failure.what());
    }
    return std::nullopt;
}

std::unique_ptr<DetachedProgram> startServe(const fs::path& qz7ctl, const fs::path& gameFolder,
                                            bool force, std::string& error) {
    // The serve's output goes to a file that lives as long as the serve, weeks maybe: the
    // server's own output, without bound, stays out of it, and serve keeps its own bounded.
    std::vector<std::string> arguments = {"--game-dir", utf8FromPath(gameFolder), "serve",
                                          "--quiet-server", "--bounded-output"};
    if (force) arguments.push_back("--force");
    return DetachedProgram::start(qz7ctl, arguments, gameFolder, gameFolder / kServeOutputFile,
                                  error);
}

std::string serveOutput(const fs::path& gameFolder) {
    std::ifstream in(gameFolder / kServeOutputFile, std::ios::binary);
    if (!in) return {};
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    const std::streamoff from = size > kShownOutput ? size - kShownOutput : 0;
    in.seekg(from);
    std::string text(static_cast<std::size_t>(size - from), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (from > 0) {
        const std::size_t lineStart = text.find('\n');
        text.erase(0, lineStart == std::string::npos ? 0 : lineStart + 1);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace qz7

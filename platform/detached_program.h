#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// A program started to run on its own, beyond this program's life: on POSIX in a session of its
// own, without a death signal, so that neither the end of this program nor a hang-up of its
// terminal reaches it; on Windows outside this program's job object where the job allows it, with
// a console of its own that is not shown (no window to close by mistake: the program is stopped
// the way it offers, such as `qz7ctl stop`). Its standard input is empty and its standard output
// and error go to a file, so that nothing ties it to this program. While this program runs it
// keeps the process id and can see whether the program has ended.
class DetachedProgram {
  public:
    // Starts program with the arguments (UTF-8; on Windows joined by its command-line rules) in
    // the folder, its output replacing the file's content. Nothing, with the reason in error, when
    // it could not be started.
    static std::unique_ptr<DetachedProgram> start(const std::filesystem::path& program,
                                                  const std::vector<std::string>& arguments,
                                                  const std::filesystem::path& folder,
                                                  const std::filesystem::path& outputFile,
                                                  std::string& error);

    // The program runs on.
    ~DetachedProgram();
    DetachedProgram(const DetachedProgram&) = delete;
    DetachedProgram& operator=(const DetachedProgram&) = delete;

    int id() const;

    // Whether it had to be started inside this program's job object, which refused to let it
    // leave (Windows): it then ends when this program ends. False elsewhere.
    bool insideProgramJob() const;

    // Its exit status once it has ended (128 + the signal's number for one ended by a signal);
    // nothing while it runs. Does not wait.
    std::optional<int> exitStatus();

    struct Handle;

  private:
    explicit DetachedProgram(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> handle_;
    std::optional<int> exitStatus_;
};

// The program of that name beside this program's own file: "qz7ctl" is qz7ctl.exe on Windows.
std::filesystem::path companionProgram(std::string_view name);

}  // namespace qz7

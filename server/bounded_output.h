#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace qz7 {

// How large the output file of a serve started from the window (qz7-serve.err) may grow: 1 MiB.
// A test names a smaller bound in QZ7_TEST_SERVE_OUTPUT_BOUND (bytes); never a larger one.
inline constexpr std::uintmax_t kServeOutputBound = 1024 * 1024;
std::uintmax_t serveOutputBound();

// Keeps the file a serve's standard error goes to under a bound: told each line written, it
// replaces the file's content with the latest lines (at most half the bound) once the lines
// written would take it past the bound. Where the output is no file, it gives up at the first try.
class BoundedOutput {
  public:
    using Replace = std::function<bool(const std::string& content)>;
    // replace: puts content in the place of the file's whole content (the program's messages by
    // default); false when it could not.
    explicit BoundedOutput(std::uintmax_t bound, Replace replace = {});

    void operator()(const std::string& line);

  private:
    struct State {
        std::uintmax_t bound = 0;
        Replace replace;
        std::uintmax_t written = 0;
        std::deque<std::string> latest;
        std::uintmax_t latestBytes = 0;
        bool givenUp = false;
    };
    std::shared_ptr<State> state_;  // copies share it: the log keeps a copy
};

}  // namespace qz7

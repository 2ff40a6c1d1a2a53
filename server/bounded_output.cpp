#include "server/bounded_output.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "platform/console.h"

namespace qz7 {

std::uintmax_t serveOutputBound() {
    const char* given = std::getenv("QZ7_TEST_SERVE_OUTPUT_BOUND");
    std::uintmax_t bound = 0;
    if (given && std::from_chars(given, given + std::strlen(given), bound).ec == std::errc() &&
        bound > 0)
        return std::min(bound, kServeOutputBound);
    return kServeOutputBound;
}

BoundedOutput::BoundedOutput(std::uintmax_t bound, Replace replace)
    : state_(std::make_shared<State>()) {
    state_->bound = bound;
    state_->replace = replace ? std::move(replace) : Replace(replaceProgramMessages);
}

void BoundedOutput::operator()(const std::string& line) {
    State& state = *state_;
    if (state.givenUp) return;
    state.written += line.size();
    state.latest.push_back(line);
    state.latestBytes += line.size();
    while (state.latestBytes > state.bound / 2 && !state.latest.empty()) {
        state.latestBytes -= state.latest.front().size();
        state.latest.pop_front();
    }
    if (state.written <= state.bound) return;
    std::string content;
    for (const std::string& kept : state.latest) content += kept;
    if (!state.replace(content)) {
        state.givenUp = true;
        return;
    }
    state.written = content.size();
}

}  // namespace qz7

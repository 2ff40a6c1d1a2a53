#include "server/run_watch.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace qz7 {

RunEnd RunWatch::watch(std::optional<ProcessEnd>& end) {
    while (!server_.stopRequested()) {
        if (server_.hung && server_.hung()) return RunEnd::Hung;
        const bool requested = server_.restartRequested && server_.restartRequested();
        warnWhenDue();
        // A restart a host asks for is made at once; a scheduled one waits for the players.
        const bool waiting = !requested && schedule_.due() && waitsForPlayers();
        if (requested || (schedule_.due() && !waiting)) {
            server_.report({.kind = SupervisorEventKind::ScheduledRestart,
                            .processId = process_.id(),
                            .requested = requested});
            std::optional<std::string> refusal;
            if (server_.prepareRestart) refusal = server_.prepareRestart();
            if (!refusal) {
                requested_ = requested;
                return RunEnd::ScheduledRestart;
            }
            if (!requested) schedule_.postpone();
            waitingSince_.reset();
            server_.report({.kind = SupervisorEventKind::RestartPostponed,
                            .processId = process_.id(),
                            .error = *refusal,
                            .nextRestart = schedule_.next(),
                            .requested = requested});
            continue;
        }
        end = process_.waitOrWake(
            waiting ? timing_.pollInterval : schedule_.untilIntervalDue(timing_.pollInterval),
            wake_);
        if (end) return RunEnd::Ended;
    }
    return RunEnd::StopRequested;
}

bool RunWatch::waitsForPlayers() {
    if (!timing_.restartWhenEmpty || !server_.playersOnline) return false;
    SupervisorClock& clock = *server_.clock;
    const auto now = clock.now();
    if (waitingSince_ && now - *waitingSince_ >= timing_.emptyWait) return false;
    if (playersAsked_ && now - *playersAsked_ < timing_.emptyCheckInterval) return true;
    playersAsked_ = now;
    const std::optional<int> players = server_.playersOnline();
    if (!players || *players == 0) return false;
    if (!waitingSince_) {
        waitingSince_ = now;
        server_.report({.kind = SupervisorEventKind::RestartWaits,
                        .processId = process_.id(),
                        .nextRestart = clock.wallNow() + timing_.emptyWait,
                        .players = *players});
    }
    return true;
}

void RunWatch::warnWhenDue() {
    if (timing_.warnBefore.empty() || !server_.warn) return;
    const std::optional<std::chrono::system_clock::time_point> next = schedule_.next();
    if (!next) return;
    // The next restart by the interval is reckoned afresh at every look and may move by a trifle;
    // only a restart moved by more is another one, warned of anew.
    if (!warnedFor_ || std::chrono::abs(*next - *warnedFor_) > std::chrono::seconds(1)) {
        warnedFor_ = next;
        warningsGiven_ = 0;
    }
    std::vector<std::chrono::seconds> before = timing_.warnBefore;
    std::sort(before.begin(), before.end(), std::greater<>());
    const auto left = std::chrono::ceil<std::chrono::seconds>(*next - server_.clock->wallNow());
    if (left <= std::chrono::seconds(0)) return;
    // Of the warnings whose time has come, only the last one is given: a server started three
    // minutes before its restart hears "3 minutes" once, not "5" and then "3".
    std::size_t due = warningsGiven_;
    while (due < before.size() && left <= before[due]) ++due;
    if (due == warningsGiven_) return;
    warningsGiven_ = due;
    server_.warn(left);
}

}  // namespace qz7

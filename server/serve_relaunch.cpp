#include "server/serve_relaunch.h"

#include <deque>
#include <ostream>

#include "platform/local_time.h"
#include "platform/stop_signals.h"

namespace qz7 {

namespace {

constexpr std::chrono::milliseconds kStopLookInterval{200};

// Waits for delay; false when a stop signal came meanwhile.
bool waitUnlessStopped(std::chrono::milliseconds delay, SupervisorClock& clock) {
    const StopSignals signals;
    const auto until = clock.now() + delay;
    while (!StopSignals::received()) {
        const auto now = clock.now();
        if (now >= until) return true;
        clock.sleepFor(
            std::min(std::chrono::ceil<std::chrono::milliseconds>(until - now), kStopLookInterval));
    }
    return false;
}

}  // namespace

int serveWithRelaunch(const std::function<int()>& serveOnce,
                      const std::function<bool(int status)>& restarts, std::ostream& err,
                      SupervisorClock& clock, RelaunchRule rule) {
    std::deque<std::chrono::steady_clock::time_point> freshStarts;
    while (true) {
        const int status = serveOnce();
        if (!restarts(status)) return status;
        const auto now = clock.now();
        while (!freshStarts.empty() && now - freshStarts.front() >= rule.window)
            freshStarts.pop_front();
        const std::string when = localTimeText(clock.wallNow());
        if (static_cast<int>(freshStarts.size()) >= rule.startsPerWindow) {
            err << when << " serve завершился с кодом " << status
                << "; за последний час он уже запускался заново " << rule.startsPerWindow
                << " раза: больше не перезапускается" << std::endl;
            return status;
        }
        err << when << " serve завершился с кодом " << status << ": он будет запущен снова через "
            << rule.delay.count() << " с" << std::endl;
        if (!waitUnlessStopped(rule.delay, clock)) return status;
        freshStarts.push_back(clock.now());
    }
}

}  // namespace qz7

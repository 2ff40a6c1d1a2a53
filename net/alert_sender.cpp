#include "net/alert_sender.h"

#include <deque>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <thread>

#include "net/json_text.h"
#include "platform/utf8.h"

namespace qz7 {

namespace {

// Discord refuses a message longer than this many characters.
constexpr std::size_t kDiscordLimit = 2000;

std::size_t characterCount(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t position = 0; position < text.size(); ++count)
        nextUtf8Character(text, position);
    return count;
}

std::string droppedText(std::size_t dropped) {
    return "(пропущено событий: " + std::to_string(dropped) + ", очередь оповещений переполнена)";
}

std::string discordContent(const std::vector<Alert>& alerts, std::size_t dropped) {
    std::vector<std::string> lines;
    if (dropped > 0) lines.push_back(droppedText(dropped));
    for (const Alert& alert : alerts) lines.push_back(alert.text);
    std::string content;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string more = "… и ещё событий: " + std::to_string(lines.size() - i);
        const std::string line = (content.empty() ? "" : "\n") + lines[i];
        const bool last = i + 1 == lines.size();
        const std::size_t room = kDiscordLimit - (last ? 0 : characterCount(more) + 1);
        if (characterCount(content) + characterCount(line) > room) {
            if (!content.empty()) content += "\n";
            return content + more;
        }
        content += line;
    }
    return content;
}

}  // namespace

std::string alertBody(const std::vector<Alert>& alerts, AlertFormat format, std::size_t dropped) {
    if (format == AlertFormat::Discord)
        // No mention in a message pings anybody, whatever text it carries.
        return jsonText({{"content", discordContent(alerts, dropped)},
                         {"allowed_mentions", {{"parse", nlohmann::json::array()}}}});
    if (alerts.size() == 1 && dropped == 0) return alerts.front().json;
    std::string body = "[";
    if (dropped > 0)
        body +=
            nlohmann::json{
                {"event", "alerts-dropped"}, {"count", dropped}, {"message", droppedText(dropped)}}
                .dump();
    for (const Alert& alert : alerts) {
        if (body.size() > 1) body += ",";
        body += alert.json;
    }
    return body + "]";
}

std::string sendAlertNow(const std::string& url, AlertFormat format, const Alert& alert,
                         std::chrono::milliseconds timeout, const HttpSender& send) {
    const HttpResponse response =
        send(url, "application/json", alertBody({alert}, format, 0), timeout);
    return httpFailureText(response, timeout);
}

class AlertSender::Channel {
  public:
    Channel(AlertTarget target, const std::function<void(const std::string&)>& log,
            const AlertTiming& timing, const HttpSender& send, const ThreadGuard& guard,
            WaitClock& clock)
        : target_(std::move(target)),
          log_(log),
          timing_(timing),
          send_(send),
          clock_(clock),
          thread_([this, &guard] { runGuarded(guard, [this] { run(); }); }) {}

    ~Channel() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.wake();
        thread_.join();
    }

    void post(const Alert& alert) {
        {
            std::lock_guard lock(mutex_);
            pending_.push_back(alert);
            trimToLimit();
        }
        wake_.wake();
    }

  private:
    void trimToLimit() {
        while (pending_.size() > timing_.queueLimit) {
            pending_.pop_front();
            ++dropped_;
        }
    }

    void run() {
        std::unique_lock lock(mutex_);
        while (true) {
            // Every wait is the clock's: for an alert, then for the interval since the last
            // attempt, also when stopping (what waits goes in one last message). A post or the
            // end wakes the thread, which looks again.
            const bool forAlert = pending_.empty() && !stopping_;
            const WaitClock::TimePoint until = forAlert || !lastAttempt_
                                                   ? WaitClock::kNoDeadline
                                                   : *lastAttempt_ + timing_.interval;
            if (forAlert || (lastAttempt_ && !pending_.empty() && clock_.now() < until)) {
                lock.unlock();
                clock_.sleepUntil(until, wake_);
                lock.lock();
                continue;
            }
            if (pending_.empty()) break;
            std::vector<Alert> batch(pending_.begin(), pending_.end());
            pending_.clear();
            const std::size_t dropped = std::exchange(dropped_, 0);
            const bool lastChance = stopping_;
            lock.unlock();
            const HttpResponse response =
                send_(target_.url, "application/json", alertBody(batch, target_.format, dropped),
                      timing_.timeout);
            std::optional<std::string> message =
                noteResult(response, batch.size() + dropped, lastChance);
            if (message) log_(*message);
            lock.lock();
            lastAttempt_ = clock_.now();
            if (!response.delivered()) {
                if (lastChance) continue;
                // Tried again with the next message, before what came meanwhile.
                pending_.insert(pending_.begin(), batch.begin(), batch.end());
                dropped_ += dropped;
                trimToLimit();
            }
        }
    }

    // What the log hears about this attempt: the first failure of an outage, the recovery after
    // one, and alerts given up when serve ends.
    std::optional<std::string> noteResult(const HttpResponse& response, std::size_t alerts,
                                          bool lastChance) {
        const std::string address = redactedAddress(target_.url);
        if (response.delivered()) {
            if (!failing_) return std::nullopt;
            failing_ = false;
            return "оповещения на " + address + " снова доставляются";
        }
        const std::string reason = httpFailureText(response, timing_.timeout);
        if (lastChance)
            return "оповещения на " + address +
                   " не доставлены (событий: " + std::to_string(alerts) + "): " + reason;
        if (failing_) return std::nullopt;
        failing_ = true;
        return "оповещение на " + address + " не доставлено: " + reason +
               " (попытки продолжаются; пока адрес не заработает, ошибки не повторяются в журнале)";
    }

    const AlertTarget target_;
    const std::function<void(const std::string&)>& log_;
    const AlertTiming& timing_;
    const HttpSender& send_;
    WaitClock& clock_;
    std::mutex mutex_;
    ClockWake wake_;
    std::deque<Alert> pending_;
    std::size_t dropped_ = 0;
    bool stopping_ = false;
    bool failing_ = false;  // touched by the channel's thread only
    std::optional<WaitClock::TimePoint> lastAttempt_;
    std::thread thread_;  // last: it starts once everything above is ready
};

AlertSender::AlertSender(std::vector<AlertTarget> targets,
                         std::function<void(const std::string&)> log, WaitClock& clock,
                         AlertTiming timing, HttpSender send, ThreadGuard guard)
    : log_(std::move(log)),
      timing_(timing),
      send_(std::move(send)),
      guard_(std::move(guard)),
      clock_(clock) {
    for (AlertTarget& target : targets)
        channels_.push_back(
            std::make_unique<Channel>(std::move(target), log_, timing_, send_, guard_, clock_));
}

AlertSender::~AlertSender() = default;

void AlertSender::post(const Alert& alert) {
    for (const std::unique_ptr<Channel>& channel : channels_) channel->post(alert);
}

}  // namespace qz7

#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/alert_address.h"
#include "platform/http_post.h"
#include "platform/thread_guard.h"
#include "platform/wait_clock.h"

namespace qz7 {

// One event to tell the hosts about.
struct Alert {
    std::string text;  // one line of Russian text
    std::string json;  // the event's JSON object, serialized
};

// The body of one message that carries these alerts, in order: Discord's {"content": ...} with
// the texts one a line (cut to Discord's 2000 characters, saying how many were left out), or the
// JSON object of a single alert, or an array of them. dropped: alerts lost before this message
// because the queue was full; the message says so.
std::string alertBody(const std::vector<Alert>& alerts, AlertFormat format, std::size_t dropped);

struct AlertTiming {
    // At most one message per address in this span; alerts that come meanwhile wait and go
    // together in the next message.
    std::chrono::milliseconds interval{5000};
    // The longest one request may take.
    std::chrono::milliseconds timeout{10000};
    // Alerts waiting per address beyond this push out the oldest (counted, and said).
    std::size_t queueLimit = 100;
};

struct AlertTarget {
    std::string url;
    AlertFormat format = AlertFormat::Json;
};

using HttpSender =
    std::function<HttpResponse(const std::string& url, const std::string& contentType,
                               const std::string& body, std::chrono::milliseconds timeout)>;

// Sends alerts to a set of addresses, each from a thread of its own, so that post() never waits
// for the network and a slow or dead address never holds up another. A failed message is kept and
// tried again with the next one; the first failure of an outage and the recovery after it are
// told to log (the address redacted), not every attempt.
class AlertSender {
  public:
    // guard: what each address's thread runs under (an exception it did not expect); clock: what
    // the threads wait on, for an alert and for the interval.
    AlertSender(std::vector<AlertTarget> targets, std::function<void(const std::string&)> log,
                WaitClock& clock, AlertTiming timing = {}, HttpSender send = httpPost,
                ThreadGuard guard = {});
    // Sends what still waits (keeping to the interval, one attempt each) and tells log about
    // alerts that could not be delivered.
    ~AlertSender();
    AlertSender(const AlertSender&) = delete;
    AlertSender& operator=(const AlertSender&) = delete;

    void post(const Alert& alert);

    class Channel;

  private:
    std::function<void(const std::string&)> log_;
    AlertTiming timing_;
    HttpSender send_;
    ThreadGuard guard_;
    WaitClock& clock_;
    std::vector<std::unique_ptr<Channel>> channels_;  // last: their threads use the members above
};

// Sends one message with this alert to url at once and waits for the answer: "" when it was
// delivered, else why not (in Russian, without the address).
std::string sendAlertNow(const std::string& url, AlertFormat format, const Alert& alert,
                         std::chrono::milliseconds timeout, const HttpSender& send = httpPost);

}  // namespace qz7

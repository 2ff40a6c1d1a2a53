#include "net/server_query.h"

#include <algorithm>
#include <cctype>
#include <future>
#include <map>
#include <random>

#include "platform/windows1251.h"

namespace qz7 {

namespace {

using std::chrono::steady_clock;

constexpr std::string_view kPrintAnswer = "print\n";
// After the first printed answer of a remote command, more come at once or not at all.
constexpr std::chrono::milliseconds kRconQuietSpell{300};

std::string randomChallenge() {
    std::random_device random;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string challenge = "qz7";
    for (int i = 0; i < 4; ++i) {
        const unsigned value = random();
        for (int shift = 0; shift < 32; shift += 8) challenge += kDigits[(value >> shift) & 0xf];
    }
    return challenge;
}

std::string endpointText(const UdpEndpoint& endpoint) {
    return endpoint.address + ":" + std::to_string(endpoint.port);
}

// Takes one datagram for the outcome whose target sent it; false when it is none of theirs.
bool takeAnswer(const UdpDatagram& datagram, const std::string& challenge,
                std::vector<QueryOutcome*>& outcomes) {
    auto asked = std::find_if(outcomes.begin(), outcomes.end(), [&](const QueryOutcome* outcome) {
        return !outcome->answered && outcome->target == datagram.from;
    });
    if (asked == outcomes.end()) return false;
    StatusParse parse = parseStatusResponse(datagram.bytes);
    if (parse.status) {
        // An answer that echoes another challenge answers someone else's query.
        const std::optional<std::string> echoed = parse.status->value("challenge");
        if (echoed && *echoed != challenge) return false;
    }
    QueryOutcome& outcome = **asked;
    outcome.answered = true;
    outcome.status = std::move(parse.status);
    outcome.reason = std::move(parse.error);
    return true;
}

// Asks every outcome's target, all on one address, from one socket bound to that address.
void askFromAddress(const std::string& address, std::vector<QueryOutcome*> outcomes,
                    const QueryTiming& timing) {
    std::string error;
    std::unique_ptr<UdpSocket> socket = UdpSocket::bind(address, 0, error);
    if (!socket) {
        for (QueryOutcome* outcome : outcomes) {
            outcome->failed = true;
            outcome->reason = "не удалось открыть сокет на " + address + ": " + error;
        }
        return;
    }
    const std::string challenge = randomChallenge();
    const std::string request = statusRequest(challenge);
    auto pending = [&outcomes] {
        return std::any_of(outcomes.begin(), outcomes.end(),
                           [](const QueryOutcome* outcome) { return !outcome->answered; });
    };
    for (int attempt = 0; attempt < timing.attempts && pending(); ++attempt) {
        for (QueryOutcome* outcome : outcomes) {
            if (outcome->answered) continue;
            std::string sendError;
            if (!socket->send(outcome->target, request, sendError)) {
                outcome->failed = true;
                outcome->reason = "запрос не отправлен: " + sendError;
            }
        }
        const auto deadline = steady_clock::now() + timing.wait;
        while (pending()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - steady_clock::now());
            if (left.count() <= 0) break;
            UdpDatagram datagram;
            std::string receiveError;
            const UdpReceive got = socket->receive(left, datagram, receiveError);
            if (got == UdpReceive::Timeout) break;
            if (got == UdpReceive::Failed) {
                for (QueryOutcome* outcome : outcomes) {
                    if (outcome->answered) continue;
                    outcome->failed = true;
                    outcome->reason = "ошибка приёма: " + receiveError;
                }
                return;
            }
            takeAnswer(datagram, challenge, outcomes);
        }
    }
    for (QueryOutcome* outcome : outcomes)
        if (!outcome->answered && !outcome->failed)
            outcome->reason = "сервер не ответил на запрос состояния за " +
                              waitText(timing.longest()) + " (UDP " +
                              endpointText(outcome->target) + ")";
}

std::string lowerAscii(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool holdsLineEndOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::string waitText(std::chrono::milliseconds time) {
    const long long tenths = (time.count() + 50) / 100;
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) text += "," + std::to_string(tenths % 10);
    return text + " с";
}

QueryOutcome queryServerStatus(const UdpEndpoint& target, const QueryTiming& timing) {
    return queryServerStatuses({target}, timing).front();
}

std::vector<QueryOutcome> queryServerStatuses(const std::vector<UdpEndpoint>& targets,
                                              const QueryTiming& timing) {
    std::vector<QueryOutcome> outcomes;
    for (const UdpEndpoint& target : targets) outcomes.push_back({target, {}, false, false, {}});
    std::map<std::string, std::vector<QueryOutcome*>> byAddress;
    for (QueryOutcome& outcome : outcomes) byAddress[outcome.target.address].push_back(&outcome);
    // One socket per address; the addresses are asked side by side, within the same waits.
    std::vector<std::future<void>> running;
    for (auto& [address, group] : byAddress)
        running.push_back(std::async(std::launch::async, askFromAddress, address, group, timing));
    for (std::future<void>& done : running) done.get();
    return outcomes;
}

RconOutcome sendRconCommand(const UdpEndpoint& target, const std::string& password,
                            const std::string& command, const QueryTiming& timing) {
    RconOutcome outcome;
    if (password.empty()) {
        outcome.reason = "пароль rcon не задан";
        return outcome;
    }
    if (holdsLineEndOrNul(password) || holdsLineEndOrNul(command) ||
        password.find('"') != std::string::npos) {
        outcome.reason = "пароль или команда rcon содержат недопустимые символы";
        return outcome;
    }
    std::string error;
    std::unique_ptr<UdpSocket> socket = UdpSocket::bind(target.address, 0, error);
    if (!socket) {
        outcome.reason = "не удалось открыть сокет на " + target.address + ": " + error;
        return outcome;
    }
    // A password with a blank is one word only in quotes.
    const std::string passwordWord = password.find_first_of(" \t;") == std::string::npos
                                         ? windows1251FromUtf8(password)
                                         : "\"" + windows1251FromUtf8(password) + "\"";
    const std::string request = std::string(kConnectionlessHeader) + "rcon " + passwordWord + " " +
                                windows1251FromUtf8(command);
    if (!socket->send(target, request, error)) {
        outcome.reason = "команда rcon не отправлена: " + error;
        return outcome;
    }
    bool answered = false;
    std::string printed;
    for (;;) {
        UdpDatagram datagram;
        const UdpReceive got = socket->receive(
            answered ? std::min(timing.wait, kRconQuietSpell) : timing.wait, datagram, error);
        if (got == UdpReceive::Failed) {
            outcome.reason = "ошибка приёма: " + error;
            return outcome;
        }
        if (got == UdpReceive::Timeout) break;
        if (!(datagram.from == target)) continue;
        const std::string heading = std::string(kConnectionlessHeader) + std::string(kPrintAnswer);
        if (!datagram.bytes.starts_with(heading)) continue;
        answered = true;
        printed += datagram.bytes.substr(heading.size());
        if (printed.size() > kStatusAnswerLimit) break;
    }
    if (!answered) {
        outcome.reason = "сервер не ответил на команду rcon за " + waitText(timing.wait) +
                         " (UDP " + endpointText(target) + ")";
        return outcome;
    }
    outcome.text = utf8FromWindows1251(printed);
    const std::string lower = lowerAscii(printed);
    if (lower.starts_with("bad rcon password") || lower.starts_with("invalid password")) {
        outcome.badPassword = true;
        outcome.reason = "сервер не принял пароль rcon";
    } else if (lower.starts_with("no rconpassword set") ||
               lower.find("must set 'rcon_password'") != std::string::npos) {
        outcome.reason = "на сервере не задан пароль rcon";
    } else {
        outcome.delivered = true;
    }
    return outcome;
}

RconOutcome sayThroughRcon(const UdpEndpoint& target, const std::string& password,
                           const std::string& message, const QueryTiming& timing) {
    std::string text = message;
    for (char& c : text) {
        if (c == '"') c = '\'';
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    return sendRconCommand(target, password, "say \"" + text + "\"", timing);
}

}  // namespace qz7

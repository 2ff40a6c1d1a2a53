#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "net/status_response.h"
#include "platform/udp_socket.h"

namespace qz7 {

// How long a query waits: wait for each attempt, and how many attempts (the first and retries).
struct QueryTiming {
    std::chrono::milliseconds wait{1000};
    int attempts = 2;

    std::chrono::milliseconds longest() const { return wait * attempts; }
};

// What asking one server gave: its status, or why there is none (Russian).
struct QueryOutcome {
    UdpEndpoint target;
    std::optional<ServerStatus> status;
    bool answered = false;  // something came from the target, readable or not
    bool failed = false;    // the system refused the socket, the sending or the receiving
    std::string reason;
};

// A wait for people: "2 с", "0,4 с".
std::string waitText(std::chrono::milliseconds time);

// Asks the server at target for its status: a "getstatus" datagram with a random challenge from a
// socket bound to the target's own address (a server of this machine), waiting timing.wait for
// the answer and sending again when none came, timing.attempts times in all. Only a datagram from
// the target's address and port is taken, and one that echoes a challenge only with ours.
QueryOutcome queryServerStatus(const UdpEndpoint& target, const QueryTiming& timing = {});

// The same for several targets at once, within the same waits; the outcomes in the targets'
// order.
std::vector<QueryOutcome> queryServerStatuses(const std::vector<UdpEndpoint>& targets,
                                              const QueryTiming& timing = {});

// What a remote console command gave: the server's printed answer, or why there is none.
struct RconOutcome {
    bool delivered = false;  // the server answered and took the password
    bool badPassword = false;
    std::string text;  // what the server printed (UTF-8), when it answered
    std::string reason;
};

// Sends "rcon PASSWORD COMMAND" to target once (a command is never sent twice), and gathers what
// the server prints: its answers from the target's address and port, until timing.wait passes
// without one. A password or a command with a line end or a NUL is refused without sending; the
// command goes as Windows-1251 bytes.
RconOutcome sendRconCommand(const UdpEndpoint& target, const std::string& password,
                            const std::string& command, const QueryTiming& timing = {});

// "say" of a message to the players through the remote console: the message in double quotes,
// its quotes turned into apostrophes and its control characters into blanks.
RconOutcome sayThroughRcon(const UdpEndpoint& target, const std::string& password,
                           const std::string& message, const QueryTiming& timing = {});

}  // namespace qz7

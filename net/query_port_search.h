#pragma once

#include <optional>
#include <string>
#include <vector>

#include "net/server_query.h"

namespace qz7 {

// What is known of the server to be asked; the search takes the first that names ports.
struct QueryPortInputs {
    std::optional<int> explicitPort;  // the host named it (--query-port)
    std::string commandLine;             // the server's parameter text, for +set net_port
    std::optional<int> serverProcessId;  // the running server's process, for its UDP ports
    std::vector<int> tablePorts;         // empty: the UDP ports of the server port table
    std::vector<std::string> addresses;  // empty: this machine's own (localIPv4Addresses)
    // The port the game folder's serve asks its server on (its state file keeps it); after the
    // explicit port, before the command line.
    std::optional<int> servedPort = std::nullopt;
};

// Where the asked ports came from.
enum class QueryPortSource { Explicit, Served, CommandLine, ServerProcess, PortTable };

// What the search found: the server's status and where it answered, or why there is none.
struct LocalServerQuery {
    std::optional<ServerStatus> status;
    std::optional<UdpEndpoint> server;
    QueryPortSource source = QueryPortSource::PortTable;
    std::vector<int> askedPorts;
    std::vector<int> answeringPorts;  // more than one: the host has to choose
    std::string reason;               // Russian, when there is no status
};

// Finds the game server's query port on this machine and asks it, in this order: the explicit
// port; the port the folder's serve asks; the net_port the command line sets; the UDP ports the
// server's process (and its children) holds; the UDP ports of the server port table that some
// program holds here. The first of these that names ports decides which are asked, on each of the
// machine's own addresses at once, within one query's waits. When more than one port answers
// nothing is guessed: the reason asks for the port.
LocalServerQuery queryLocalServer(const QueryPortInputs& inputs, const QueryTiming& timing = {});

// "27000-27003, 27016": ports in ascending order, neighbours joined.
std::string portListText(std::vector<int> ports);

}  // namespace qz7

#include "net/port_table.h"

namespace qz7 {

namespace {

constexpr std::array<ServerPort, kServerPortCount> buildServerPortTable() {
    std::array<ServerPort, kServerPortCount> table{};
    std::size_t next = 0;
    table[next++] = {3074, "TCP"};
    table[next++] = {3074, "UDP"};
    for (int port = 27014; port <= 27050; ++port) table[next++] = {port, "TCP"};
    for (int port = 27000; port <= 27030; ++port) table[next++] = {port, "UDP"};
    return table;
}

constexpr auto kServerPortTable = buildServerPortTable();

}  // namespace

const std::array<ServerPort, kServerPortCount>& serverPortTable() { return kServerPortTable; }

}  // namespace qz7

#include "net/busy_ports.h"

#include "net/port_table.h"

namespace qz7 {

namespace {

std::string familiesText(PortUse use) {
    if (use.ipv4 && use.ipv6) return "IPv4, IPv6";
    return use.ipv4 ? "IPv4" : "IPv6";
}

std::string holderText(const BusyPort& busy) {
    std::string text = familiesText(busy.use);
    for (std::size_t i = 0; i < busy.programs.size(); ++i)
        text += (i == 0 ? "; " : ", ") + busy.programs[i];
    return text;
}

bool continuesRange(const BusyPort& previous, const BusyPort& next) {
    return next.port == previous.port + 1 && next.protocol == previous.protocol &&
           holderText(next) == holderText(previous);
}

}  // namespace

std::vector<BusyPort> findBusyServerPorts() {
    std::vector<BusyPort> busy;
    for (const ServerPort& entry : serverPortTable()) {
        const PortUse use = probePortUse(entry.port, entry.protocol);
        if (!use.any()) continue;
        busy.push_back(
            {entry.port, entry.protocol, use, programsHoldingPort(entry.port, entry.protocol)});
    }
    return busy;
}

std::string describeBusyPorts(const std::vector<BusyPort>& busy) {
    std::string text;
    for (std::size_t first = 0; first < busy.size();) {
        std::size_t last = first;
        while (last + 1 < busy.size() && continuesRange(busy[last], busy[last + 1])) ++last;
        if (!text.empty()) text += ", ";
        text += std::string(busy[first].protocol) + " " + std::to_string(busy[first].port);
        if (last > first) text += "-" + std::to_string(busy[last].port);
        text += " (" + holderText(busy[first]) + ")";
        first = last + 1;
    }
    return text;
}

std::string busyPortsMessage(const std::vector<BusyPort>& busy) {
    return "Порты сервера уже заняты другой программой: " + describeBusyPorts(busy) + ".";
}

}  // namespace qz7

#include "net/query_port_search.h"

#include <algorithm>
#include <set>

#include "net/console_variables.h"
#include "net/port_table.h"
#include "platform/port_probe.h"

namespace qz7 {

namespace {

std::vector<int> tableUdpPorts() {
    std::vector<int> ports;
    for (const ServerPort& entry : serverPortTable())
        if (entry.protocol == "UDP") ports.push_back(entry.port);
    return ports;
}

bool portHeldHere(int port) { return probePortUse(port, "UDP").any(); }

std::string sourceText(QueryPortSource source) {
    switch (source) {
        case QueryPortSource::Explicit:
            return "указанный порт";
        case QueryPortSource::Served:
            return "порт, который спрашивает qz7ctl serve";
        case QueryPortSource::CommandLine:
            return "порт из +set net_port строки запуска";
        case QueryPortSource::ServerProcess:
            return "порты процесса сервера";
        case QueryPortSource::PortTable:
            return "порты сервера из таблицы";
    }
    return {};
}

// Asks every port on every address and keeps, per port, the first readable answer.
void askPorts(const std::vector<int>& ports, const std::vector<std::string>& addresses,
              const QueryTiming& timing, LocalServerQuery& result) {
    result.askedPorts = ports;
    std::vector<UdpEndpoint> targets;
    for (int port : ports)
        for (const std::string& address : addresses) targets.push_back({address, port});
    const std::vector<QueryOutcome> outcomes = queryServerStatuses(targets, timing);

    std::set<int> answering;
    const QueryOutcome* first = nullptr;
    const QueryOutcome* unreadable = nullptr;
    for (const QueryOutcome& outcome : outcomes) {
        if (outcome.status) {
            if (answering.insert(outcome.target.port).second && first == nullptr) first = &outcome;
        } else if (outcome.answered && unreadable == nullptr) {
            unreadable = &outcome;
        }
    }
    result.answeringPorts.assign(answering.begin(), answering.end());
    if (answering.size() > 1) {
        result.reason = "на запрос состояния ответили несколько портов: " +
                        portListText(result.answeringPorts) +
                        "; какой из них нужен, не угадать: укажите его (--query-port ПОРТ)";
        return;
    }
    if (first != nullptr) {
        result.status = first->status;
        result.server = first->target;
        return;
    }
    if (unreadable != nullptr) {
        result.reason =
            "порт UDP " + std::to_string(unreadable->target.port) + ": " + unreadable->reason;
        return;
    }
    const auto failure = std::find_if(outcomes.begin(), outcomes.end(),
                                      [](const QueryOutcome& outcome) { return outcome.failed; });
    const std::string what = (ports.size() == 1 ? "порт UDP " : "порты UDP ") +
                             portListText(ports) + " (" + sourceText(result.source) + ")";
    if (failure != outcomes.end())
        result.reason = what + ": " + failure->reason;
    else if (!std::any_of(ports.begin(), ports.end(), portHeldHere))
        result.reason = what + " на этой машине никто не держит: сервер не запущен?";
    else
        result.reason = what + (ports.size() == 1 ? " занят" : " заняты") +
                        ", но сервер не ответил на запрос состояния за " +
                        waitText(timing.longest());
}

}  // namespace

LocalServerQuery queryLocalServer(const QueryPortInputs& inputs, const QueryTiming& timing) {
    const std::vector<std::string> addresses =
        inputs.addresses.empty() ? localIPv4Addresses() : inputs.addresses;
    LocalServerQuery result;
    if (inputs.explicitPort) {
        result.source = QueryPortSource::Explicit;
        askPorts({*inputs.explicitPort}, addresses, timing, result);
        return result;
    }
    if (inputs.servedPort) {
        result.source = QueryPortSource::Served;
        askPorts({*inputs.servedPort}, addresses, timing, result);
        return result;
    }
    if (std::optional<int> port = commandLineGamePort(inputs.commandLine)) {
        result.source = QueryPortSource::CommandLine;
        askPorts({*port}, addresses, timing, result);
        return result;
    }
    if (inputs.serverProcessId) {
        std::vector<int> held = udpPortsOfProcessTree(*inputs.serverProcessId);
        if (!held.empty()) {
            result.source = QueryPortSource::ServerProcess;
            askPorts(held, addresses, timing, result);
            return result;
        }
    }
    result.source = QueryPortSource::PortTable;
    std::vector<int> table = inputs.tablePorts.empty() ? tableUdpPorts() : inputs.tablePorts;
    std::vector<int> held;
    std::copy_if(table.begin(), table.end(), std::back_inserter(held), portHeldHere);
    if (held.empty()) {
        result.askedPorts = {};
        result.reason = "ни один порт UDP сервера (" + portListText(table) +
                        ") на этой машине не занят: сервер не запущен?";
        return result;
    }
    askPorts(held, addresses, timing, result);
    return result;
}

std::string portListText(std::vector<int> ports) {
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    std::string text;
    for (std::size_t first = 0; first < ports.size();) {
        std::size_t last = first;
        while (last + 1 < ports.size() && ports[last + 1] == ports[last] + 1) ++last;
        if (!text.empty()) text += ", ";
        text += std::to_string(ports[first]);
        if (last > first) text += "-" + std::to_string(ports[last]);
        first = last + 1;
    }
    return text;
}

}  // namespace qz7

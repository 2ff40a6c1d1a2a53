// Checking the server's 70 router ports (what `qz7ctl ports status` does) against a real
// miniupnpd, next to the floor: a bare miniupnpc loop of 70 GetSpecificPortMappingEntry calls.
// Both reach the gateway through its description address (as `--igd` does), so the times are
// those of the 70 questions, not of discovery's fixed wait; the 70 mappings are in place.
// Wall times, one check per iteration; read the medians.
//
// Run it inside the test harness's throw-away gateway, as root:
//   tests/igd/igd_harness.sh --timeout 600 -- build/bench/port_status_bench
#include <benchmark/benchmark.h>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>

#include <array>
#include <cstdlib>
#include <string>

#include "net/local_address.h"
#include "net/miniupnpc_gateway.h"
#include "net/port_mapping.h"
#include "net/port_status.h"
#include "net/port_table.h"

namespace {

using qz7::MiniupnpcGateway;

const char* descriptionUrl(benchmark::State& state) {
    const char* url = std::getenv("IGD_DESCRIPTION_URL");
    if (url == nullptr)
        state.SkipWithError("run through tests/igd/igd_harness.sh (see the top of this file)");
    return url;
}

// Puts the server's 70 mappings in place, outside the timed part.
bool forwardServerPorts(const char* url) {
    auto gateway = MiniupnpcGateway::atDescriptionUrl(url);
    return qz7::OpenAllPorts(*gateway, qz7::GetLocalAddress()).success();
}

void checkAllPorts(benchmark::State& state) {
    const char* url = descriptionUrl(state);
    if (url == nullptr) return;
    if (!forwardServerPorts(url)) state.SkipWithError("forwarding failed");
    for (auto _ : state) {
        auto gateway = MiniupnpcGateway::atDescriptionUrl(url);
        const qz7::PortStatusReport report = qz7::CheckAllPorts(*gateway, qz7::GetLocalAddress());
        if (report.count(qz7::MappingState::Ours) != qz7::kServerPortCount)
            state.SkipWithError("not all 70 mappings were found as ours");
    }
}

// The floor: the description, then 70 GetSpecificPortMappingEntry calls.
void bareMiniupnpcLoop(benchmark::State& state) {
    const char* url = descriptionUrl(state);
    if (url == nullptr) return;
    if (!forwardServerPorts(url)) state.SkipWithError("forwarding failed");
    for (auto _ : state) {
        UPNPUrls urls{};
        IGDdatas data{};
        std::array<char, 64> lan{};
        int found = 0;
        if (UPNP_GetIGDFromUrl(url, &urls, &data, lan.data(), static_cast<int>(lan.size())) == 1) {
            for (const qz7::ServerPort& entry : qz7::serverPortTable()) {
                const std::string port = std::to_string(entry.port);
                const std::string protocol(entry.protocol);
                std::array<char, 64> client{};
                std::array<char, 16> internalPort{};
                std::array<char, 96> description{};
                std::array<char, 8> enabled{};
                std::array<char, 16> lease{};
                found +=
                    UPNP_GetSpecificPortMappingEntry(
                        urls.controlURL, data.first.servicetype, port.c_str(), protocol.c_str(),
                        nullptr, client.data(), internalPort.data(), description.data(),
#if MINIUPNPC_API_VERSION >= 18
                        description.size(),
#endif
                        enabled.data(), lease.data()) == UPNPCOMMAND_SUCCESS;
            }
        }
        FreeUPNPUrls(&urls);
        if (found != qz7::kServerPortCount)
            state.SkipWithError("the bare loop did not find all 70");
    }
}

void timedChecks(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(25)
        ->ReportAggregatesOnly(true);
}

}  // namespace

BENCHMARK(checkAllPorts)->Apply(timedChecks)->Name("PortsStatus");
BENCHMARK(bareMiniupnpcLoop)->Apply(timedChecks)->Name("BareMiniupnpcLoop");

BENCHMARK_MAIN();

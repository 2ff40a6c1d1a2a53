// Forwarding and removing the server's 70 router ports against a real miniupnpd, next to the
// two ways of doing the same without this program: a bare miniupnpc loop (one discovery, 70
// additions: the floor) and 70 separate runs of miniupnpc's own `upnpc -a`, each discovering
// anew. Wall times, one batch per iteration; read the medians.
//
// Discovery must not run in the machine's own network, so run it inside the test harness's
// throw-away gateway, as root:
//   tests/igd/igd_harness.sh --timeout 1500 -- build/bench/port_mapping_bench
// The separate upnpc runs take minutes; leave them out with
//   ... -- build/bench/port_mapping_bench --benchmark_filter=-SeparateUpnpcRuns
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/local_address.h"
#include "net/miniupnpc_gateway.h"
#include "net/port_mapping.h"
#include "net/port_table.h"

extern char** environ;

namespace {

using qz7::MiniupnpcGateway;

bool insideHarness(benchmark::State& state) {
    if (std::getenv("IGD_DESCRIPTION_URL") != nullptr) return true;
    state.SkipWithError("run through tests/igd/igd_harness.sh (see the top of this file)");
    return false;
}

std::string lanAddress() {
    const char* address = std::getenv("IGD_LAN_ADDRESS");
    return address != nullptr ? address : "";
}

// Leaves the gateway without the server's mappings, outside the timed part.
void removeServerMappings() {
    MiniupnpcGateway gateway;
    qz7::CloseAllPorts(gateway);
}

void forwardAllPorts(benchmark::State& state) {
    if (!insideHarness(state)) return;
    removeServerMappings();
    for (auto _ : state) {
        // A new gateway object per batch: the first forwarding of a run, discovery included.
        MiniupnpcGateway gateway;
        const bool forwarded = qz7::OpenAllPorts(gateway, qz7::GetLocalAddress()).success();
        state.PauseTiming();
        if (!forwarded) state.SkipWithError("forwarding failed");
        qz7::CloseAllPorts(gateway);
        state.ResumeTiming();
    }
}

void removeAllPortsAfterForwarding(benchmark::State& state) {
    if (!insideHarness(state)) return;
    removeServerMappings();
    for (auto _ : state) {
        state.PauseTiming();
        MiniupnpcGateway gateway;
        if (!qz7::OpenAllPorts(gateway, qz7::GetLocalAddress()).success())
            state.SkipWithError("forwarding failed");
        state.ResumeTiming();
        if (!qz7::CloseAllPorts(gateway).success()) state.SkipWithError("removal failed");
    }
}

// The floor: what miniupnpc itself needs for one discovery and 70 additions.
void bareMiniupnpcLoop(benchmark::State& state) {
    if (!insideHarness(state)) return;
    removeServerMappings();
    const std::string client = lanAddress();
    for (auto _ : state) {
        int error = 0;
        UPNPDev* devices = upnpDiscover(MiniupnpcGateway::kDefaultDiscoveryMilliseconds, nullptr,
                                        nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error);
        UPNPUrls urls{};
        IGDdatas data{};
        std::array<char, 64> lan{};
#if MINIUPNPC_API_VERSION >= 18
        std::array<char, 64> wan{};
        const int found =
            UPNP_GetValidIGD(devices, &urls, &data, lan.data(), static_cast<int>(lan.size()),
                             wan.data(), static_cast<int>(wan.size()));
#else
        const int found =
            UPNP_GetValidIGD(devices, &urls, &data, lan.data(), static_cast<int>(lan.size()));
#endif
        freeUPNPDevlist(devices);
        int made = 0;
        if (found == 1 || found == 2) {
            for (const qz7::ServerPort& entry : qz7::serverPortTable()) {
                const std::string port = std::to_string(entry.port);
                const std::string protocol(entry.protocol);
                made += UPNP_AddPortMapping(urls.controlURL, data.first.servicetype, port.c_str(),
                                            port.c_str(), client.c_str(), "QZ7", protocol.c_str(),
                                            nullptr, "0") == UPNPCOMMAND_SUCCESS;
            }
        }
        FreeUPNPUrls(&urls);
        state.PauseTiming();
        if (made != qz7::kServerPortCount) state.SkipWithError("the bare loop did not map all 70");
        removeServerMappings();
        state.ResumeTiming();
    }
}

int runUpnpc(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "upnpc", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// 70 runs of `upnpc -e QZ7 -a CLIENT PORT PORT PROTOCOL`, each discovering the gateway anew.
void separateUpnpcRuns(benchmark::State& state) {
    if (!insideHarness(state)) return;
    removeServerMappings();
    const std::string client = lanAddress();
    for (auto _ : state) {
        for (const qz7::ServerPort& entry : qz7::serverPortTable()) {
            const std::string port = std::to_string(entry.port);
            if (runUpnpc({"upnpc", "-e", "QZ7", "-a", client, port, port,
                          std::string(entry.protocol)}) != 0)
                state.SkipWithError("upnpc failed");
        }
        state.PauseTiming();
        removeServerMappings();
        state.ResumeTiming();
    }
}

void timedBatches(benchmark::internal::Benchmark* benchmark, int repetitions) {
    benchmark->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(true);
}

}  // namespace

BENCHMARK(forwardAllPorts)->Apply([](auto* b) { timedBatches(b, 9); }) -> Name("ForwardAllPorts");
BENCHMARK(removeAllPortsAfterForwarding)
    ->Apply([](auto* b) { timedBatches(b, 9); }) -> Name("RemoveAllPortsAfterForwarding");
BENCHMARK(bareMiniupnpcLoop)
    ->Apply([](auto* b) { timedBatches(b, 9); }) -> Name("BareMiniupnpcLoop");
BENCHMARK(separateUpnpcRuns)
    ->Apply([](auto* b) { timedBatches(b, 3); }) -> Name("SeparateUpnpcRuns");

BENCHMARK_MAIN();

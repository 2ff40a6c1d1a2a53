// qz7_stand_in_server: a stand-in for the game's dedicated server, for trying qz7ctl players and
// serve without the game. Run it in a game folder with the launcher's parameters; it answers the
// status query ("getstatus") and the remote console ("rcon") on UDP until asked to stop:
//   - the port: +set net_port N among the parameters (0: one the system picks), otherwise the
//     first free UDP port of the server port table (3074, 27000-27030);
//   - host name, player limit and rcon password from the parameters' +set, else from
//     admin/server_mod.cfg; the mode from admin/Manual_Mod.dsr; the map from the first line of
//     admin/Manual_MapRot.dspl; the players from stand-in-players (a "score ping name" line each),
//     two of its own without that file;
//   - writes stand-in-ready with its port once it answers;
//   - answers nothing while a file stand-in-silent exists (a hung server that still runs);
//   - appends what a remote "say" delivers, "say: TEXT", to stand-in-console.log.
// It stops on SIGINT or SIGTERM, on Windows also on Ctrl+C, Ctrl+Break and a close message to its
// hidden window, and ends by itself after an hour; it ends with status 0.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "net/port_table.h"
#include "platform/atomic_file.h"
#include "platform/close_message.h"
#include "platform/program_arguments.h"
#include "platform/stop_signals.h"
#include "platform/udp_socket.h"
#include "platform/windows_command_line.h"
#include "tools/stand_in/stand_in_server.h"

namespace {

using namespace qz7;
using namespace std::chrono_literals;

std::unique_ptr<UdpSocket> bindGamePort(const stand_in::StandInSetup& setup, std::string& error) {
    if (setup.port) return UdpSocket::bind("0.0.0.0", *setup.port, error);
    for (const ServerPort& entry : serverPortTable()) {
        if (entry.protocol != "UDP") continue;
        if (auto socket = UdpSocket::bind("0.0.0.0", entry.port, error)) return socket;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments = programArguments(argc, argv);
    arguments.erase(arguments.begin());
    const std::filesystem::path folder = std::filesystem::current_path();
    const stand_in::StandInSetup setup =
        stand_in::readStandInSetup(folder, joinWindowsCommandLine(arguments));

    StopSignals stopSignals;
    CloseMessageWatch closeMessage;
    std::string error;
    std::unique_ptr<UdpSocket> socket = bindGamePort(setup, error);
    if (!socket) {
        std::cerr << "stand-in server: no UDP port: " << error << "\n";
        return 2;
    }
    writeFileAtomically(folder / stand_in::kReadyFile, std::to_string(socket->localPort()) + "\n");
    std::cout << "stand-in server: UDP " << socket->localPort() << std::endl;

    const auto end = std::chrono::steady_clock::now() + 1h;
    while (!StopSignals::received() && !closeMessage.received() &&
           std::chrono::steady_clock::now() < end) {
        UdpDatagram datagram;
        const UdpReceive got = socket->receive(200ms, datagram, error);
        if (got == UdpReceive::Failed) {
            std::cerr << "stand-in server: " << error << "\n";
            return 2;
        }
        if (got != UdpReceive::Datagram) continue;
        if (std::filesystem::exists(folder / stand_in::kSilentFile)) continue;
        std::vector<std::string> consoleLines;
        const std::optional<std::string> answer =
            stand_in::answerDatagram(setup, datagram.bytes, consoleLines);
        if (!consoleLines.empty()) {
            std::ofstream log(folder / stand_in::kConsoleLogFile, std::ios::binary | std::ios::app);
            for (const std::string& line : consoleLines) log << line << "\n";
        }
        if (answer) socket->send(datagram.from, *answer, error);
    }
    return 0;
}

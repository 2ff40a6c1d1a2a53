// Windows Sockets 2 before windows.h, and the IP helper tables after both.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <tlhelp32.h>
// clang-format on

#include <map>
#include <set>
#include <vector>

#include "platform/network_session.h"
#include "platform/port_probe.h"
#include "platform/process_tree.h"
#include "platform/windows_text.h"

namespace qz7 {

namespace {

// True when binding the wildcard address of the family to port is refused as in use. Exclusive
// use makes the system refuse also when another socket holds only one address of the machine.
bool bindRefused(int family, int port, bool tcp) {
    SOCKET s = socket(family, tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) return false;
    const BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    int result;
    if (family == AF_INET6) {
        setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&on), sizeof on);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_any;
        address.sin6_port = htons(u_short(port));
        result = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    } else {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        address.sin_port = htons(u_short(port));
        result = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    const bool refused = result != 0 && WSAGetLastError() == WSAEADDRINUSE;
    closesocket(s);
    return refused;
}

// Reads one of the system's owner tables (GetExtendedTcpTable or GetExtendedUdpTable) into a
// buffer; empty when the system does not give it.
template <typename Call>
std::vector<char> ownerTable(Call call) {
    std::vector<char> buffer;
    DWORD size = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD result = call(buffer.empty() ? nullptr : buffer.data(), &size);
        if (result == NO_ERROR) return buffer;
        if (result != ERROR_INSUFFICIENT_BUFFER) break;
        buffer.resize(size);
    }
    return {};
}

// The process ids the system names for a local port in its TCP and UDP tables, IPv4 and IPv6.
template <typename Table, typename Row>
void collectOwners(const std::vector<char>& buffer, int port, std::set<DWORD>& owners) {
    if (buffer.empty()) return;
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const Row& row = table->table[i];
        if (ntohs(u_short(row.dwLocalPort)) == port) owners.insert(row.dwOwningPid);
    }
}

std::set<DWORD> portOwners(int port, bool tcp) {
    std::set<DWORD> owners;
    for (ULONG family : {ULONG(AF_INET), ULONG(AF_INET6)}) {
        if (tcp) {
            std::vector<char> buffer = ownerTable([family](void* data, DWORD* size) {
                return GetExtendedTcpTable(data, size, FALSE, family, TCP_TABLE_OWNER_PID_ALL, 0);
            });
            if (family == AF_INET)
                collectOwners<MIB_TCPTABLE_OWNER_PID, MIB_TCPROW_OWNER_PID>(buffer, port, owners);
            else
                collectOwners<MIB_TCP6TABLE_OWNER_PID, MIB_TCP6ROW_OWNER_PID>(buffer, port, owners);
        } else {
            std::vector<char> buffer = ownerTable([family](void* data, DWORD* size) {
                return GetExtendedUdpTable(data, size, FALSE, family, UDP_TABLE_OWNER_PID, 0);
            });
            if (family == AF_INET)
                collectOwners<MIB_UDPTABLE_OWNER_PID, MIB_UDPROW_OWNER_PID>(buffer, port, owners);
            else
                collectOwners<MIB_UDP6TABLE_OWNER_PID, MIB_UDP6ROW_OWNER_PID>(buffer, port, owners);
        }
    }
    return owners;
}

// The file name of a process's program; empty when the system does not let us ask.
std::string programName(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) return {};
    wchar_t path[MAX_PATH];
    DWORD size = MAX_PATH;
    std::wstring name;
    if (QueryFullProcessImageNameW(process, 0, path, &size)) {
        name.assign(path, size);
        const std::size_t slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos) name.erase(0, slash + 1);
    }
    CloseHandle(process);
    return utf8FromWide(name);
}

// The process and all its descendants, from the system's process snapshot.
std::set<DWORD> processTree(DWORD processId) {
    std::multimap<DWORD, DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more;
             more = Process32NextW(snapshot, &entry))
            // The idle process names itself as its parent.
            if (entry.th32ParentProcessID != entry.th32ProcessID)
                children.emplace(entry.th32ParentProcessID, entry.th32ProcessID);
        CloseHandle(snapshot);
    }
    return descendantsWithRoot(children, processId);
}

// The local port of every row of a UDP owner table whose owner is in the set.
template <typename Table>
void collectPortsOf(const std::vector<char>& buffer, const std::set<DWORD>& owners,
                    std::set<int>& ports) {
    if (buffer.empty()) return;
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i)
        if (owners.count(table->table[i].dwOwningPid) != 0)
            ports.insert(ntohs(u_short(table->table[i].dwLocalPort)));
}

}  // namespace

PortUse probePortUse(int port, std::string_view protocol) {
    NetworkSession sockets;
    if (!sockets.ready()) return {};
    const bool tcp = protocol == "TCP";
    return {bindRefused(AF_INET, port, tcp), bindRefused(AF_INET6, port, tcp)};
}

std::vector<std::string> programsHoldingPort(int port, std::string_view protocol) {
    std::vector<std::string> programs;
    for (DWORD pid : portOwners(port, protocol == "TCP")) {
        // Process 0 is the system's idle process, shown for ports of closing connections.
        if (pid == 0) continue;
        const std::string name = programName(pid);
        programs.push_back((name.empty() ? std::string("?") : name) + " (pid " +
                           std::to_string(pid) + ")");
    }
    return programs;
}

std::vector<int> udpPortsOfProcessTree(int processId) {
    if (processId <= 0) return {};
    const std::set<DWORD> tree = processTree(DWORD(processId));
    std::set<int> ports;
    for (ULONG family : {ULONG(AF_INET), ULONG(AF_INET6)}) {
        std::vector<char> buffer = ownerTable([family](void* data, DWORD* size) {
            return GetExtendedUdpTable(data, size, FALSE, family, UDP_TABLE_OWNER_PID, 0);
        });
        if (family == AF_INET)
            collectPortsOf<MIB_UDPTABLE_OWNER_PID>(buffer, tree, ports);
        else
            collectPortsOf<MIB_UDP6TABLE_OWNER_PID>(buffer, tree, ports);
    }
    return {ports.begin(), ports.end()};
}

}  // namespace qz7

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/directory_entries.h"
#include "platform/port_probe.h"
#include "platform/process_tree.h"

namespace qz7 {

namespace {

// True when binding the wildcard address of the family to port is refused as in use.
bool bindRefused(int family, int port, bool tcp) {
    const int fd = ::socket(family, tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
    if (fd < 0) return false;
    const int on = 1;
    // A closed TCP connection lingering in TIME_WAIT does not stop a server from binding;
    // a listening socket still does.
    if (tcp) ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    int result;
    if (family == AF_INET6) {
        // IPv6 alone, so that an IPv4 socket is not counted twice.
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_any;
        address.sin6_port = htons(static_cast<uint16_t>(port));
        result = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    } else {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        address.sin_port = htons(static_cast<uint16_t>(port));
        result = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    const bool refused = result != 0 && errno == EADDRINUSE;
    ::close(fd);
    return refused;
}

// Calls found(local port, socket inode) for each socket of one of the kernel's tables
// (/proc/net/tcp and the like): "sl local_address rem_address st tx:rx tr:when retrnsmt uid
// timeout inode ...", the local address as hex address and hex port.
template <typename Found>
void forEachSocket(const std::string& table, Found found) {
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);  // the heading
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
              timeout >> inode))
            continue;
        const std::size_t colon = local.rfind(':');
        if (colon == std::string::npos || inode == "0") continue;
        found(static_cast<int>(std::strtol(local.c_str() + colon + 1, nullptr, 16)),
              "socket:[" + inode + "]");
    }
}

// The inodes of the sockets bound to port in one of the kernel's tables.
void collectSocketInodes(const std::string& table, int port, std::set<std::string>& inodes) {
    forEachSocket(table, [&](int localPort, const std::string& inode) {
        if (localPort == port) inodes.insert(inode);
    });
}

// The local port of every socket in one of the kernel's tables, by the socket's inode.
void collectPortsByInode(const std::string& table, std::map<std::string, int>& ports) {
    forEachSocket(table,
                  [&](int localPort, const std::string& inode) { ports[inode] = localPort; });
}

bool isProcessFolderName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), ::isdigit);
}

// The parent's id from /proc/PID/stat: "pid (name) state ppid ...", the name may hold blanks
// and parentheses.
int parentProcessId(const std::filesystem::path& processFolder) {
    std::ifstream in(processFolder / "stat");
    std::string stat;
    std::getline(in, stat);
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return 0;
    std::istringstream rest(stat.substr(nameEnd + 1));
    std::string state;
    int parent = 0;
    rest >> state >> parent;
    return parent;
}

// The process and all its descendants.
std::set<int> processTree(int processId) {
    std::multimap<int, int> children;
    for (const auto& entry : directoryEntries("/proc")) {
        const std::string name = entry.path().filename().string();
        if (!isProcessFolderName(name)) continue;
        children.emplace(parentProcessId(entry.path()), std::stoi(name));
    }
    return descendantsWithRoot(children, processId);
}

std::string processName(const std::filesystem::path& processFolder) {
    std::ifstream in(processFolder / "comm");
    std::string name;
    std::getline(in, name);
    return name;
}

}  // namespace

PortUse probePortUse(int port, std::string_view protocol) {
    const bool tcp = protocol == "TCP";
    return {bindRefused(AF_INET, port, tcp), bindRefused(AF_INET6, port, tcp)};
}

std::vector<std::string> programsHoldingPort(int port, std::string_view protocol) {
    const std::string kind = protocol == "TCP" ? "tcp" : "udp";
    std::set<std::string> inodes;
    collectSocketInodes("/proc/net/" + kind, port, inodes);
    collectSocketInodes("/proc/net/" + kind + "6", port, inodes);
    std::vector<std::string> programs;
    if (inodes.empty()) return programs;

    // Every process's open files that this user may look at; the others stay unnamed.
    for (const auto& entry : directoryEntries("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (!isProcessFolderName(pid)) continue;
        for (const auto& fd : directoryEntries(entry.path() / "fd")) {
            std::error_code linkError;
            const std::string target = std::filesystem::read_symlink(fd.path(), linkError);
            if (linkError || inodes.count(target) == 0) continue;
            programs.push_back(processName(entry.path()) + " (pid " + pid + ")");
            break;
        }
    }
    return programs;
}

std::vector<int> udpPortsOfProcessTree(int processId) {
    std::set<int> ports;
    if (processId <= 0) return {};
    std::map<std::string, int> portsByInode;
    collectPortsByInode("/proc/net/udp", portsByInode);
    collectPortsByInode("/proc/net/udp6", portsByInode);
    for (int member : processTree(processId)) {
        const std::filesystem::path fds = "/proc/" + std::to_string(member) + "/fd";
        for (const auto& fd : directoryEntries(fds)) {
            std::error_code linkError;
            const std::string target = std::filesystem::read_symlink(fd.path(), linkError);
            if (linkError) continue;
            const auto found = portsByInode.find(target);
            if (found != portsByInode.end()) ports.insert(found->second);
        }
    }
    return {ports.begin(), ports.end()};
}

}  // namespace qz7

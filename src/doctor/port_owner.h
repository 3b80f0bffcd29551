#pragma once
#include <string>
#include <vector>

namespace zc::doctor {

// The socket inodes bound to a local port in the text of /proc/net/udp or /proc/net/tcp (for
// tcp only listening sockets count).
std::vector<unsigned long> SocketInodesOnPort(const std::string& table, int port, bool listeningOnly);

// " (python3, pid 1234)" for the first process found that holds the port, or "" when none can
// be seen (another user's processes are hidden from us without root).
std::string PortOwnerText(const std::string& procNetFile, int port, bool listeningOnly);

}  // namespace zc::doctor

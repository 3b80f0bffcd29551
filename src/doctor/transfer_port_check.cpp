#include "doctor/transfer_port_check.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "doctor/port_owner.h"

namespace zc::doctor {

CheckLine CheckTransferPort(int port) {
    const std::string kName = "transfer port";
    const std::string what = "tcp port " + std::to_string(port);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Warn(kName, "cannot make a TCP socket: " + std::string(std::strerror(errno)), "");
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(static_cast<uint16_t>(port));
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    int error = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0 || ::listen(fd, 1) != 0) error = errno;
    ::close(fd);
    if (error == 0) return Ok(kName, what + " can listen");
    // Files are extra; the chat itself works without them.
    if (error == EADDRINUSE)
        return Warn(kName, what + " is in use by another program" + PortOwnerText("/proc/net/tcp", port, true),
                    "files cannot be sent from here; set FTPORT in [NETWORK] of the profile to a free port");
    return Warn(kName, "cannot listen on " + what + ": " + std::strerror(error), "files cannot be sent from here");
}

}  // namespace zc::doctor

#include "qt/netlink_watch.h"

#include <QSocketNotifier>
#include <cerrno>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zc {

static constexpr int kSettleMs = 300;
static constexpr int kLongestBurstMs = 2000;
// A wake-up reads at most this many datagrams; the rest wait for the next one.
static constexpr int kReadsPerWake = 32;

NetlinkWatch::NetlinkWatch() {
    settle_.setSingleShot(true);
    QObject::connect(&settle_, &QTimer::timeout, [this] {
        if (onChanged_) onChanged_();
    });
}

NetlinkWatch::~NetlinkWatch() {
    notifier_.reset();
    if (fd_ >= 0) ::close(fd_);
}

bool NetlinkWatch::SetHandler(std::function<void()> onChanged) {
    onChanged_ = std::move(onChanged);
    if (!onChanged_) settle_.stop();
    return fd_ >= 0 || Open();
}

bool NetlinkWatch::Open() {
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return false;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
    return true;
}

void NetlinkWatch::OnReadable() {
    alignas(nlmsghdr) char buffer[16384];
    bool changed = false;
    for (int i = 0; i < kReadsPerWake; ++i) {
        sockaddr_nl from{};
        socklen_t fromLength = sizeof from;
        const ssize_t n = ::recvfrom(fd_, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from),
                                     &fromLength);
        if (n < 0) {
            // Changes were lost to a full queue: something changed all the same.
            if (errno == ENOBUFS) changed = true;
            if (errno != EINTR) break;
            continue;
        }
        // Only the kernel speaks for the network.
        if (from.nl_pid != 0) continue;
        int left = static_cast<int>(n);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
            const auto type = h->nlmsg_type;
            if (type == RTM_NEWLINK || type == RTM_DELLINK || type == RTM_NEWADDR || type == RTM_DELADDR) changed = true;
        }
    }
    if (changed) Changed();
}

void NetlinkWatch::Changed() {
    if (!onChanged_) return;
    if (!settle_.isActive()) burst_.start();
    else if (burst_.elapsed() >= kLongestBurstMs) return;  // the running wait ends the burst
    settle_.start(kSettleMs);
}

}  // namespace zc

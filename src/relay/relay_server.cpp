#include "relay/relay_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "relay/broker_link.h"
#include "relay/claimed_address.h"
#include "relay/group_link.h"
#include "relay/output_queue.h"
#include "relay/peer_gateways.h"
#include "relay/stream_splitter.h"
#include "relay/write_pace.h"

namespace zc::relay {

namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kMaxEvents = 1024;
constexpr size_t kMaxIov = 1024;  // IOV_MAX on Linux
// After an accept error we cannot answer, stop accepting for a while instead of spinning.
constexpr auto kAcceptPause = std::chrono::milliseconds(200);
// More packets than this waiting for their turn and a client counts as fallen behind.
constexpr size_t kMaxPaced = 64;

std::string Endpoint(const sockaddr_in& addr) {
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(addr.sin_port));
}

std::string Dotted(uint32_t address) {
    char text[INET_ADDRSTRLEN] = "?";
    in_addr a{address};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

// Group sources and clients are told apart in the gateway's memory of packets seen.
constexpr uint64_t kGroupOrigin = uint64_t{1} << 63;

std::string Clients(size_t n) { return "(" + std::to_string(n) + (n == 1 ? " client)" : " clients)"); }

std::string ErrnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

std::string DurationText(std::chrono::milliseconds d) {
    return d.count() % 1000 == 0 ? std::to_string(d.count() / 1000) + " s" : std::to_string(d.count()) + " ms";
}

// True once the peer acknowledged everything written to it (or when that cannot be told).
bool Acked(int fd) {
    int unacknowledged = 0;
    return ioctl(fd, SIOCOUTQ, &unacknowledged) != 0 || unacknowledged == 0;
}

int OpenSpare() { return open("/dev/null", O_RDONLY | O_CLOEXEC); }

// Keepalive probes start after half the quiet timeout; the user timeout bounds both an
// unanswered probe series and unacknowledged data, so a vanished peer goes after about that
// timeout whether the relay was talking to it or not.
void SetQuietTimeout(int fd, std::chrono::seconds timeout) {
    const int total = static_cast<int>(std::max<long long>(2, timeout.count()));
    const int one = 1, idle = std::max(1, total / 2), interval = std::max(1, total / 6), probes = 3;
    const unsigned userTimeoutMs = static_cast<unsigned>(total) * 1000u;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
}

}  // namespace

struct RelayServer::Client {
    Client(int f, uint64_t i, uint32_t a, std::string p) : fd(f), id(i), address(a), peer(std::move(p)) {}
    int fd;
    uint64_t id;              // tells a client from a later one on the same descriptor
    uint32_t address;         // IPv4, network order
    std::string peer;
    StreamSplitter splitter;
    OutputQueue queue;        // packets waiting for their turn, or for room in the socket
    bool wantOut = false;     // socket was full: EPOLLOUT is watched until the queue drains
    bool paced = false;       // in paced_, for its next write
    WritePace pace;           // when the next packet may go out by itself
    bool greeted = false;     // has sent a whole packet
    bool closing = false;     // dropped; closed by Sweep at the end of the round
    std::string closeReason;
    uint32_t claimed = 0;     // behind address translation: the address its packets name
    bool toldForged = false;  // a client's forged packets are logged once
    Clock::time_point statusAnswered{};  // status requests get one answer a second
};

RelayServer::RelayServer(RelayConfig config, LogFn log)
    : config_(std::move(config)), log_(std::move(log)), readBuffer_(kReadChunk), check_(config_.nat) {
    if (!log_) log_ = [](const std::string&) {};
}

RelayServer::~RelayServer() {
    for (auto& c : clients_) close(c->fd);
    for (int fd : {listenFd_, epollFd_, spareFd_})
        if (fd >= 0) close(fd);
}

bool RelayServer::Listen(std::string& error) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(config_.port);
    if (inet_pton(AF_INET, config_.bindAddress.c_str(), &addr.sin_addr) != 1) {
        error = "'" + config_.bindAddress + "' is not an IPv4 address";
        return false;
    }
    const std::string where = config_.bindAddress + ":" + std::to_string(config_.port);
    if (epollFd_ < 0 && (epollFd_ = epoll_create1(EPOLL_CLOEXEC)) < 0) {
        error = ErrnoText("epoll_create1");
        return false;
    }
    if (spareFd_ < 0) spareFd_ = OpenSpare();
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = ErrnoText("socket");
        return false;
    }
    int one = 1;
    // A restarted relay must not wait for old connections in TIME_WAIT.
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || listen(fd, SOMAXCONN) < 0) {
        error = "cannot listen on " + where + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    if (config_.gateway && !group_) {
        auto group = std::make_unique<GroupLink>();
        if (!group->Open(config_.group, error)) {
            close(fd);
            return false;
        }
        group_ = std::move(group);
        if (!config_.peers.empty()) peers_ = std::make_unique<PeerGateways>(config_.peers, group_->Address());
    }
    if (config_.broker.Enabled() && !broker_) broker_ = std::make_unique<BrokerLink>(config_.broker);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    if (listenFd_ >= 0) close(listenFd_);
    listenFd_ = fd;
    port_ = ntohs(addr.sin_port);
    log_("listening on " + Endpoint(addr) + (config_.echo ? ", echo on" : ""));
    return true;
}

bool RelayServer::Run(int stopFd) {
    epoll_event stopEvent{};
    stopEvent.events = EPOLLIN;
    stopEvent.data.fd = stopFd;
    if (epollFd_ < 0 || listenFd_ < 0 || epoll_ctl(epollFd_, EPOLL_CTL_ADD, stopFd, &stopEvent) != 0) {
        log_(epollFd_ < 0 || listenFd_ < 0 ? std::string("not listening") : ErrnoText("epoll_ctl"));
        return false;
    }
    acceptPausedUntil_ = {};
    if (group_) {
        epoll_event groupEvent{};
        groupEvent.events = EPOLLIN;
        groupEvent.data.fd = group_->ReceiveFd();
        if (epoll_ctl(epollFd_, EPOLL_CTL_ADD, group_->ReceiveFd(), &groupEvent) != 0) {
            log_(ErrnoText("epoll_ctl"));
            return false;
        }
        log_("gateway to the group " + group_->Describe() + (peers_ ? ", peers " + peers_->Describe() : ""));
    }
    if (broker_) {
        std::string error;
        epoll_event brokerEvent{};
        brokerEvent.events = EPOLLIN;
        if (!broker_->Start(error) || (brokerEvent.data.fd = broker_->EventFd(),
                                       epoll_ctl(epollFd_, EPOLL_CTL_ADD, broker_->EventFd(), &brokerEvent) != 0)) {
            log_(error.empty() ? ErrnoText("epoll_ctl") : error);
            return false;
        }
        log_("linking to the other sites through " + config_.broker.Url() + " as " + broker_->ClientId() + ", site " +
             config_.broker.site + " room " + config_.broker.room);
    }
    std::vector<epoll_event> events(kMaxEvents);
    bool ok = true, stop = false;
    while (!stop) {
        const auto now = Clock::now();
        CloseSilent(now);
        Pace(now);
        // A copy a peer already put on the group, still unread after a busy moment, must be seen
        // before a held one goes out.
        if (peers_ && peers_->NextDue() <= now) {
            now_ = now;
            ReadGroup();
        }
        SendHeldToGroup(now);
        Sweep();
        if (!acceptWatched_ && now >= acceptPausedUntil_) {
            epoll_event ev{};
            ev.events = EPOLLIN;
            ev.data.fd = listenFd_;
            acceptWatched_ = epoll_ctl(epollFd_, EPOLL_CTL_ADD, listenFd_, &ev) == 0;
            if (!acceptWatched_) acceptPausedUntil_ = now + kAcceptPause;
        }
        const int n = Wait(events.data(), static_cast<int>(events.size()), now);
        if (n < 0) {
            if (errno == EINTR) continue;
            log_(ErrnoText("epoll_wait"));
            ok = false;
            break;
        }
        now_ = Clock::now();
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            const uint32_t ev = events[i].events;
            if (fd == stopFd) {
                stop = true;
            } else if (fd == listenFd_) {
                if (acceptWatched_) AcceptAll();
            } else if (group_ && fd == group_->ReceiveFd()) {
                ReadGroup();
            } else if (broker_ && fd == broker_->EventFd()) {
                // Likewise before our own copy of a broker packet goes to the group.
                if (group_) ReadGroup();
                ReadBroker();
            } else if (static_cast<size_t>(fd) < byFd_.size() && byFd_[fd] && !byFd_[fd]->closing) {
                Client& c = *byFd_[fd];
                if (ev & EPOLLOUT) Flush(c);
                if (!c.closing && (ev & (EPOLLIN | EPOLLHUP | EPOLLERR))) ReadFrom(c);
            }
        }
        Sweep();
    }
    epoll_ctl(epollFd_, EPOLL_CTL_DEL, stopFd, nullptr);
    if (broker_) {
        epoll_ctl(epollFd_, EPOLL_CTL_DEL, broker_->EventFd(), nullptr);
        broker_->Stop();
    }
    CloseAll(ok ? "relay stopping" : "relay failed");
    return ok;
}

// Waits for events until the next paced write or greeting falls due, or accepting resumes.
int RelayServer::Wait(epoll_event* events, int max, Clock::time_point now) {
    auto until = Clock::time_point::max();
    if (!acceptWatched_) until = acceptPausedUntil_;
    if (!greetings_.empty()) until = std::min(until, greetings_.front().due);
    if (!paced_.empty()) until = std::min(until, paced_.top().due);
    if (peers_) until = std::min(until, peers_->NextDue());
    if (until == Clock::time_point::max()) return epoll_wait(epollFd_, events, max, -1);
    const auto wait = std::clamp<Clock::duration>(until - now, Clock::duration::zero(), std::chrono::hours(24));
    // The pace is finer than epoll_wait's milliseconds.
    if (fineWait_) {
        const auto seconds = std::chrono::floor<std::chrono::seconds>(wait);
        const timespec timeout{static_cast<time_t>(seconds.count()),
                               static_cast<long>(std::chrono::nanoseconds(wait - seconds).count())};
        const int n = epoll_pwait2(epollFd_, events, max, &timeout, nullptr);
        if (n >= 0 || errno != ENOSYS) return n;
        fineWait_ = false;
    }
    // Rounded up, so the loop does not spin through the last fraction of a millisecond.
    return epoll_wait(epollFd_, events, max, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
}

RelayServer::Client* RelayServer::Find(int fd, uint64_t id) const {
    Client* c = static_cast<size_t>(fd) < byFd_.size() ? byFd_[fd] : nullptr;
    return c && c->id == id && !c->closing ? c : nullptr;
}

void RelayServer::CloseSilent(Clock::time_point now) {
    while (!greetings_.empty() && greetings_.front().due <= now) {
        const Deadline g = greetings_.front();
        greetings_.pop_front();
        if (Client* c = Find(g.fd, g.id); c && !c->greeted)
            Drop(*c, "no packet within " + DurationText(config_.greetingTimeout) + " of connecting");
    }
}

// The next waiting packet to every client whose pause since its last write is over.
void RelayServer::Pace(Clock::time_point now) {
    while (!paced_.empty() && paced_.top().due <= now) {
        const Deadline d = paced_.top();
        paced_.pop();
        Client* c = Find(d.fd, d.id);
        if (!c) continue;
        c->paced = false;
        if (c->wantOut || c->queue.Empty()) continue;
        if (c->pace.MayWrite(now, [c] { return Acked(c->fd); })) WriteFirst(*c, now);
        if (!c->closing && !c->wantOut && !c->queue.Empty()) Schedule(*c, now);
    }
}

void RelayServer::AcceptAll() {
    for (;;) {
        sockaddr_in addr{};
        socklen_t len = sizeof addr;
        int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            AdmitOrRefuse(fd, addr);
            continue;
        }
        switch (errno) {
            case EAGAIN:
#if EWOULDBLOCK != EAGAIN
            case EWOULDBLOCK:
#endif
                return;
            // The connection died in the backlog; the next one may be fine.
            case EINTR:
            case ECONNABORTED:
            case EPROTO:
            case ENETDOWN:
            case ENETUNREACH:
            case EHOSTUNREACH:
            case EHOSTDOWN:
            case ENONET:
            case ENOPROTOOPT:
            case EOPNOTSUPP:
                continue;
            case EMFILE:
            case ENFILE:
                // Free the spare descriptor for a moment to take the connection and close it,
                // so the client hears no at once instead of waiting in the backlog.
                if (spareFd_ >= 0) {
                    close(spareFd_);
                    len = sizeof addr;
                    fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_CLOEXEC);
                    const int acceptError = errno;
                    if (fd >= 0) close(fd);
                    spareFd_ = OpenSpare();
                    if (fd >= 0) {
                        Refuse(Endpoint(addr), "out of file descriptors");
                        continue;
                    }
                    if (acceptError == EAGAIN || acceptError == EWOULDBLOCK) return;
                }
                [[fallthrough]];
            default: {
                const std::string why = ErrnoText("accept");
                if (refusedInBurst_++ == 0) log_(why + ", not accepting for a moment");
                ++stats_.refused;
                epoll_ctl(epollFd_, EPOLL_CTL_DEL, listenFd_, nullptr);
                acceptWatched_ = false;
                acceptPausedUntil_ = std::chrono::steady_clock::now() + kAcceptPause;
                return;
            }
        }
    }
}

bool RelayServer::AdmitOrRefuse(int fd, const sockaddr_in& addr) {
    const std::string peer = Endpoint(addr);
    if (live_ >= config_.maxClients) {
        close(fd);
        Refuse(peer, "client limit of " + std::to_string(config_.maxClients) + " reached");
        return false;
    }
    const uint32_t address = addr.sin_addr.s_addr;
    if (auto it = perAddress_.find(address); it != perAddress_.end() && it->second >= config_.maxPerAddress) {
        close(fd);
        Refuse(peer, "limit of " + std::to_string(config_.maxPerAddress) + " connections from its address reached");
        return false;
    }
    int one = 1;
    // Packets are small and each must go out at once, so no Nagle delay.
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    SetQuietTimeout(fd, config_.quietTimeout);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = fd;
    if (epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev) != 0) {
        const std::string why = ErrnoText("epoll_ctl");
        close(fd);
        Refuse(peer, why);
        return false;
    }
    if (static_cast<size_t>(fd) >= byFd_.size()) byFd_.resize(static_cast<size_t>(fd) + 1, nullptr);
    clients_.push_back(std::make_unique<Client>(fd, nextId_, address, peer));
    byFd_[fd] = clients_.back().get();
    greetings_.push_back({Clock::now() + config_.greetingTimeout, fd, nextId_});
    ++nextId_;
    ++perAddress_[address];
    ++live_;
    EndRefusals();
    log_("connect " + peer + " " + Clients(live_));
    return true;
}

void RelayServer::Refuse(const std::string& peer, const std::string& reason) {
    ++stats_.refused;
    if (refusedInBurst_++ == 0)
        log_("refused " + peer + ": " + reason + " " + Clients(live_) +
             "; further refusals are counted until a client is accepted");
}

void RelayServer::EndRefusals() {
    if (refusedInBurst_ == 0) return;
    log_("accepting again after refusing " + std::to_string(refusedInBurst_) + " connection" +
         (refusedInBurst_ == 1 ? "" : "s"));
    refusedInBurst_ = 0;
}

void RelayServer::ReadFrom(Client& client) {
    const ssize_t n = recv(client.fd, readBuffer_.data(), readBuffer_.size(), 0);
    if (n == 0) return Drop(client, "closed by peer");
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
        if (errno == ETIMEDOUT)
            return Drop(client, "no answer for " + std::to_string(config_.quietTimeout.count()) + " s, link gone");
        return Drop(client, ErrnoText("read"));
    }
    ++stats_.reads;
    std::string chunk;
    const bool fine = client.splitter.Feed(readBuffer_.data(), static_cast<size_t>(n), chunk);
    if (!chunk.empty()) {
        client.greeted = true;
        Broadcast(client, std::move(chunk));
    }
    if (!fine) Drop(client, "over " + std::to_string(kMaxPacketText) + " bytes without a packet end");
}

void RelayServer::Broadcast(Client& from, std::string&& chunk) {
    if (config_.checkSenders || group_ || broker_ || chunk.find(kStatusRequest) != std::string::npos)
        chunk = Admitted(from, chunk);
    if (!chunk.empty()) Fanout(&from, std::move(chunk));
}

// The packets of a client's chunk that may be passed on; a gateway also sends them to the group
// and to the other sites.
std::string RelayServer::Admitted(Client& from, const std::string& chunk) {
    std::string out;
    for (size_t begin = 0, end; begin < chunk.size(); begin = end) {
        end = chunk.find('\0', begin) + 1;
        const std::string_view packet(chunk.data() + begin, end - begin);
        if (IsStatusRequest(packet)) {
            AnswerStatus(from);
            continue;
        }
        if (config_.checkSenders) {
            const auto verdict = check_.Check(packet, from.address);
            if (verdict == SenderCheck::Verdict::Forged) {
                ++stats_.forged;
                if (!from.toldForged) {
                    const auto claimed = ClaimedAddress(packet);
                    log_("dropped packets from " + from.peer + ": they speak for " +
                         (claimed ? Dotted(*claimed) : std::string("no address")) + ", further ones are counted");
                    from.toldForged = true;
                }
                continue;
            }
            if (verdict == SenderCheck::Verdict::Translated) {
                const uint32_t claimed = ClaimedAddress(packet).value_or(0);
                if (claimed != from.claimed)
                    log_("client " + from.peer + " speaks for " + Dotted(claimed) +
                         " (address translation; file transfers to it will not connect)");
                from.claimed = claimed;
            }
        }
        if (group_ || broker_) {
            if (!seen_.Fresh(packet, from.id, now_)) {
                ++stats_.duplicates;
                continue;
            }
            if (group_ && group_->Send(packet)) ++stats_.toGroup;
            OurSideSpoke(packet);
        }
        out.append(packet);
    }
    return out;
}

// Datagrams from the group that name their own source go to every client and to the other sites;
// what a peer gateway forwarded goes to our clients only.
void RelayServer::ReadGroup() {
    group_->ReadAll([this](std::string&& packet, uint32_t source) {
        const auto claimed = ClaimedAddress(packet);
        const bool fromPeer = peers_ && peers_->IsPeer(source);
        if (fromPeer && peers_->Heard(source, packet))
            log_("gateway " + Dotted(source) + " heard again: holding the other sites' packets back for it");
        if (fromPeer && claimed && claimed != source) {
            if (!seen_.Fresh(packet, kGroupOrigin | source, now_)) {
                ++stats_.duplicates;
                return;
            }
            ++stats_.fromPeers;
            return Fanout(nullptr, std::move(packet));
        }
        if (claimed != source) {
            // A forwarded packet of another gateway, or a forgery: either way not ours to pass on.
            if (stats_.forged++ % 1000 == 0)
                log_("dropped a group packet from " + Dotted(source) + " that speaks for another address (" +
                     std::to_string(stats_.forged) + " dropped so far)");
            return;
        }
        if (!seen_.Fresh(packet, kGroupOrigin | source, now_)) {
            ++stats_.duplicates;
            return;
        }
        ++stats_.fromGroup;
        OurSideSpoke(packet);
        Fanout(nullptr, std::move(packet));
    });
}

// Packet by packet, each to every client in turn, so the writes of one client are spread out.
void RelayServer::Fanout(const Client* from, std::string&& chunk) {
    const auto shared = std::make_shared<const std::string>(std::move(chunk));
    // The splitter hands on whole packets only, so every packet ends in a zero byte.
    for (size_t begin = 0, end; begin < shared->size(); begin = end) {
        end = shared->find('\0', begin) + 1;
        for (auto& other : clients_) {
            Client& c = *other;
            if (c.closing || (&c == from && !config_.echo)) continue;
            Deliver(c, shared, begin, end);
        }
    }
}

// One packet: at once in a write of its own when the client has had its pause, else queued for
// a paced write, or for a gathered one once the client has fallen behind.
void RelayServer::Deliver(Client& client, const std::shared_ptr<const std::string>& chunk, size_t begin,
                          size_t end) {
    bool full = false;
    if (client.queue.Empty() && client.pace.MayWrite(now_, [&client] { return Acked(client.fd); })) {
        const ssize_t n = send(client.fd, chunk->data() + begin, end - begin, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return Drop(client, ErrnoText("write"));
        client.pace.Wrote(now_);
        if (n >= 0) {
            ++stats_.writes;
            begin += static_cast<size_t>(n);
        }
        if (begin == end) return;
        full = true;  // the client then waits for its socket like one fallen behind
    }
    if (!client.queue.Push(chunk, begin, end))
        return Drop(client, "stopped reading, over " + std::to_string(kMaxBacklogBytes) + " bytes unsent");
    if (full) return WatchWrites(client, true);
    if (client.wantOut) return;
    if (client.queue.Packets() > kMaxPaced) return Flush(client);
    Schedule(client, now_);
}

// One answer a second to each client at most, so a stream of requests earns no more.
void RelayServer::AnswerStatus(Client& client) {
    if (client.statusAnswered != Clock::time_point{} && now_ - client.statusAnswered < std::chrono::seconds(1)) return;
    client.statusAnswered = now_;
    std::string text = StatusText();
    text.push_back('\0');
    const size_t size = text.size();
    Deliver(client, std::make_shared<const std::string>(std::move(text)), 0, size);
}

void RelayServer::Schedule(Client& client, Clock::time_point now) {
    if (client.paced) return;
    client.paced = true;
    paced_.push({client.pace.NextCheck(now), client.fd, client.id});
}

void RelayServer::WriteFirst(Client& client, Clock::time_point now) {
    iovec first{};
    if (!client.queue.GatherFirst(first)) return;
    const ssize_t n = send(client.fd, first.iov_base, first.iov_len, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return WatchWrites(client, true);
        return Drop(client, ErrnoText("write"));
    }
    ++stats_.writes;
    client.pace.Wrote(now);
    client.queue.Consume(static_cast<size_t>(n));
    if (static_cast<size_t>(n) < first.iov_len) WatchWrites(client, true);
}

void RelayServer::Flush(Client& client) {
    iovec iov[kMaxIov];
    while (!client.queue.Empty()) {
        const size_t count = client.queue.Gather(iov, kMaxIov);
        size_t want = 0;
        for (size_t i = 0; i < count; ++i) want += iov[i].iov_len;
        msghdr message{};
        message.msg_iov = iov;
        message.msg_iovlen = count;
        const ssize_t n = sendmsg(client.fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return WatchWrites(client, true);
            return Drop(client, ErrnoText("write"));
        }
        ++stats_.writes;
        ++stats_.catchUpWrites;
        client.pace.Wrote(now_);
        client.queue.Consume(static_cast<size_t>(n));
        if (static_cast<size_t>(n) < want) return WatchWrites(client, true);
    }
    WatchWrites(client, false);
}

void RelayServer::WatchWrites(Client& client, bool on) {
    if (client.wantOut == on) return;
    epoll_event ev{};
    ev.events = EPOLLIN | (on ? EPOLLOUT : 0u);
    ev.data.fd = client.fd;
    if (epoll_ctl(epollFd_, EPOLL_CTL_MOD, client.fd, &ev) != 0) return Drop(client, ErrnoText("epoll_ctl"));
    client.wantOut = on;
}

void RelayServer::Drop(Client& client, std::string reason) {
    if (client.closing) return;
    client.closing = true;
    client.closeReason = std::move(reason);
    if (auto it = perAddress_.find(client.address); it != perAddress_.end() && --it->second == 0) perAddress_.erase(it);
    --live_;
    ++closing_;
}

void RelayServer::Sweep() {
    if (closing_ == 0) return;
    for (auto& c : clients_) {
        if (!c->closing) continue;
        close(c->fd);
        byFd_[c->fd] = nullptr;
        log_("disconnect " + c->peer + ": " + c->closeReason + " " + Clients(live_));
    }
    std::erase_if(clients_, [](const auto& c) { return c->closing; });
    closing_ = 0;
}

void RelayServer::CloseAll(const std::string& reason) {
    for (auto& c : clients_) Drop(*c, reason);
    Sweep();
}

}  // namespace zc::relay

#include "qt/posix_system_facts.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/cp1251.h"

namespace zc {

std::string PosixSystemFacts::ComputerName() const {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    // The chat's texts are windows-1251.
    return Utf8ToCp1251(name);
}

std::string PosixSystemFacts::UserName() const {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return Utf8ToCp1251(found->pw_name);
    const char* user = std::getenv("USER");
    return user ? Utf8ToCp1251(user) : "";
}

std::string PosixSystemFacts::LocalIpv4(const std::string& interfaceAddr) const {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    const bool wanted = !interfaceAddr.empty() && interfaceAddr != "0.0.0.0";
    std::string first;
    bool wantedFound = false;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP)) continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
        if (!inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) continue;
        if (wanted && interfaceAddr == text) {
            wantedFound = true;
            break;
        }
        if (first.empty() && !(i->ifa_flags & IFF_LOOPBACK)) first = text;
    }
    freeifaddrs(list);
    return wantedFound ? interfaceAddr : first;
}

std::string PosixSystemFacts::SourceAddressToward(const std::string& host) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);  // connecting a datagram socket only picks the route
    if (inet_pton(AF_INET, host.c_str(), &to.sin_addr) != 1) return {};
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    sockaddr_in from{};
    socklen_t len = sizeof from;
    char text[INET_ADDRSTRLEN] = {};
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
                    getsockname(fd, reinterpret_cast<sockaddr*>(&from), &len) == 0 &&
                    inet_ntop(AF_INET, &from.sin_addr, text, sizeof text) != nullptr;
    close(fd);
    return ok && from.sin_addr.s_addr != 0 ? std::string(text) : std::string();
}

std::vector<Ipv4Subnet> PosixSystemFacts::LocalSubnets() const {
    std::vector<Ipv4Subnet> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || !i->ifa_netmask || i->ifa_addr->sa_family != AF_INET) continue;
        if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK)) continue;
        Ipv4Subnet net;
        net.address = ntohl(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
        net.mask = ntohl(reinterpret_cast<const sockaddr_in*>(i->ifa_netmask)->sin_addr.s_addr);
        out.push_back(net);
    }
    freeifaddrs(list);
    return out;
}

std::string PosixSystemFacts::ExecutablePath() const {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

std::string PosixSystemFacts::EnvironmentValue(const std::string& name) const {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

std::string PosixSystemFacts::HardwareAddressOf(const std::string& ip) const {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    std::string name;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr, text, sizeof text);
        if (ip == text) name = a->ifa_name;
    }
    std::string hardware;
    for (ifaddrs* a = list; a && !name.empty(); a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_PACKET || name != a->ifa_name) continue;
        const auto* ll = reinterpret_cast<sockaddr_ll*>(a->ifa_addr);
        hardware.assign(reinterpret_cast<const char*>(ll->sll_addr), ll->sll_halen);
        break;
    }
    freeifaddrs(list);
    return hardware;
}

namespace {

// Copies in different network namespaces are on different networks; their identities may meet.
std::string NetworkNamespace() {
    std::error_code ec;
    const std::string link = std::filesystem::read_symlink("/proc/self/ns/net", ec).string();
    std::string digits;
    for (char c : link)
        if (c >= '0' && c <= '9') digits += c;
    return digits.empty() ? "0" : digits;
}

bool PlainIdentity(const std::string& id) {
    if (id.empty() || id.size() > 64) return false;
    for (char c : id)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    return true;
}

// Another user's lock file may only be opened, never created or followed as a link.
int OpenLockFile(const std::string& path) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) return fd;
        if (errno != ENOENT) return -1;
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::fchmod(fd, 0644);  // whatever the umask, the other users must be able to open it
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

}  // namespace

PosixSystemFacts::~PosixSystemFacts() { ReleaseIdentities(); }

bool PosixSystemFacts::ClaimIdentity(const std::string& id) {
    if (claims_.count(id)) return true;
    if (!PlainIdentity(id)) return false;
    const std::string path = lockDir_ + "/zeltochat-id-" + NetworkNamespace() + "-" + id + ".lock";
    const int fd = OpenLockFile(path);
    // A file we may not open is somebody's claim; without a lock folder there is no telling.
    if (fd < 0) return errno != EACCES && errno != EPERM;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    claims_[id] = fd;
    return true;
}

void PosixSystemFacts::ReleaseIdentities() {
    for (const auto& [id, fd] : claims_) ::close(fd);
    claims_.clear();
}

}  // namespace zc

#include "qt/posix_system_facts.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <filesystem>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
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

}  // namespace zc

#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zc {

// An interface's network: its address and netmask, host byte order.
struct Ipv4Subnet {
    std::uint32_t address = 0, mask = 0;
    bool Contains(std::uint32_t ip) const { return (ip & mask) == (address & mask); }
};

// Facts about this machine and process.
class SystemFacts {
public:
    virtual ~SystemFacts() = default;
    // Empty when unknown.
    virtual std::string ComputerName() const = 0;
    virtual std::string UserName() const = 0;
    // First non-loopback IPv4 address, or interfaceAddr when that is set and present; "" when none.
    virtual std::string LocalIpv4(const std::string& interfaceAddr) const = 0;
    virtual std::string ExecutablePath() const = 0;
    // The networks of the interfaces that are up, loopback left out.
    virtual std::vector<Ipv4Subnet> LocalSubnets() const { return {}; }
    // The address this machine would send from to the dotted IPv4 host (the route's source, asked
    // of the kernel without sending anything); "" when there is no route.
    virtual std::string SourceAddressToward(const std::string& /*host*/) const { return {}; }
    // Hardware address of the interface that holds ip, as raw bytes; empty when none.
    virtual std::string HardwareAddressOf(const std::string& /*ip*/) const { return {}; }
    virtual std::string EnvironmentValue(const std::string& name) const = 0;
    // Claims an identity among the running copies on this machine and network, of every user;
    // false when another copy holds it. Claiming one it already holds again is fine.
    virtual bool ClaimIdentity(const std::string& /*id*/) { return true; }
    // Gives every claim up, when the chat ends.
    virtual void ReleaseIdentities() {}
};

}  // namespace zc

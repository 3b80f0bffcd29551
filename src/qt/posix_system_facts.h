#pragma once
#include <map>
#include <string>

#include "platform/system_facts.h"

namespace zc {

// Names come as windows-1251 text; paths and environment values as the file system's bytes.
class PosixSystemFacts : public SystemFacts {
public:
    // Identity claims are locks on files in lockDir, which every user can write (/tmp).
    explicit PosixSystemFacts(std::string lockDir = "/tmp") : lockDir_(std::move(lockDir)) {}
    ~PosixSystemFacts() override;
    PosixSystemFacts(const PosixSystemFacts&) = delete;
    PosixSystemFacts& operator=(const PosixSystemFacts&) = delete;
    std::string ComputerName() const override;
    std::string UserName() const override;
    std::string LocalIpv4(const std::string& interfaceAddr) const override;
    std::string ExecutablePath() const override;
    std::vector<Ipv4Subnet> LocalSubnets() const override;
    std::string SourceAddressToward(const std::string& host) const override;
    std::string EnvironmentValue(const std::string& name) const override;
    std::string HardwareAddressOf(const std::string& ip) const override;
    bool ClaimIdentity(const std::string& id) override;
    void ReleaseIdentities() override;

private:
    std::string lockDir_;
    std::map<std::string, int> claims_;  // identity -> locked descriptor
};

}  // namespace zc

#pragma once
#include "platform/system_facts.h"

namespace zc {

// Names come as windows-1251 text; paths and environment values as the file system's bytes.
class PosixSystemFacts : public SystemFacts {
public:
    std::string ComputerName() const override;
    std::string UserName() const override;
    std::string LocalIpv4(const std::string& interfaceAddr) const override;
    std::string ExecutablePath() const override;
    std::string EnvironmentValue(const std::string& name) const override;
    std::string HardwareAddressOf(const std::string& ip) const override;
};

}  // namespace zc

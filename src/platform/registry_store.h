#pragma once
#include <string>

namespace zc {

// Per-user key/value store; key paths use backslashes as separators.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    virtual void WriteValue(const std::string& keyPath, const std::string& name, const std::string& value) = 0;
    // A missing value reads as empty.
    virtual std::string ReadValue(const std::string& keyPath, const std::string& name) const = 0;
    virtual void DeleteValue(const std::string& keyPath, const std::string& name) = 0;
};

}  // namespace zc

#pragma once
#include <string>
#include <vector>

namespace zc {

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts a program that outlives this one; false when it could not start.
    virtual bool StartDetached(const std::string& program, const std::vector<std::string>& args,
                               const std::string& workDir) = 0;
};

}  // namespace zc

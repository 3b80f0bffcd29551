#pragma once
#include <functional>
#include <string>
#include <vector>

namespace zc {

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts a program that outlives this one; false when it could not start.
    virtual bool StartDetached(const std::string& program, const std::vector<std::string>& args,
                               const std::string& workDir) = 0;
    // Starts a program and calls onFinished with its exit status (-1 after a crash) on the UI
    // thread once it has ended; false (and no call) when it could not start.
    virtual bool StartWatched(const std::string& /*program*/, const std::vector<std::string>& /*args*/,
                              const std::string& /*workDir*/, std::function<void(int)> /*onFinished*/) {
        return false;
    }
};

}  // namespace zc

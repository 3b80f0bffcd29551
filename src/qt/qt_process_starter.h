#pragma once
#include "platform/process_starter.h"

namespace zc {

class QtProcessStarter : public ProcessStarter {
public:
    bool StartDetached(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workDir) override;
    bool StartWatched(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
                      std::function<void(int)> onFinished) override;
};

}  // namespace zc

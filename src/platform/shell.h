#pragma once
#include <string>

namespace zc {

class ShellService {
public:
    virtual ~ShellService() = default;
    // Plays a sound file; a missing file is no error.
    virtual void PlaySound(const std::string& path) = 0;
    // Opens a local file or a safe address with the desktop's viewer.
    virtual bool OpenDocument(const std::string& pathOrUrl) = 0;
};

}  // namespace zc

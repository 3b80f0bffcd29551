#pragma once
#include <string>

namespace zc {

class ShellService {
public:
    virtual ~ShellService() = default;
    // Plays a sound file; a missing file is no error.
    virtual void PlaySound(const std::string& path) = 0;
    // Opens a local file or a safe address with the desktop's viewer; both in UTF-8, as the file
    // system and the desktop hold them.
    virtual bool OpenDocument(const std::string& pathOrUrl) = 0;
};

}  // namespace zc

#pragma once
#include <QObject>

#include "platform/shell.h"

namespace zc {

// Event sounds and opening documents with the desktop's own programs.
class QtShellService : public ShellService {
public:
    void PlaySound(const std::string& path) override;
    bool OpenDocument(const std::string& pathOrUrl) override;
};

// Only these schemes are handed to the desktop; anything else could run a program.
bool IsSafeToOpen(const std::string& pathOrUrl);

}  // namespace zc

#pragma once
#include <QObject>

#include "platform/shell.h"
#include "qt/sound_players.h"

namespace zc {

// Event sounds and opening documents with the desktop's own programs.
class QtShellService : public ShellService {
public:
    QtShellService();
    void PlaySound(const std::string& path) override;
    bool OpenDocument(const std::string& pathOrUrl) override;

private:
    SoundPlayers sounds_;
};

// Only these schemes are handed to the desktop; anything else could run a program.
bool IsSafeToOpen(const std::string& pathOrUrl);

}  // namespace zc

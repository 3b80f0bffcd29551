#pragma once
#include <string>

#include "base/settings.h"

namespace zc {

enum class NotifyEvent {
    Default = 0,
    Board,
    Alert,
    ChangeMode,
    ChangeName,
    Conference,
    Enter,
    Exit,
    LeaveConference,
    Warning,
    InvConference,
    Sound,
    Private,
    FRequest,
};

// The per-mode switches of an event; events without mode keys (WARNING) only sound.
ChatModeEventFlags EventFlags(const LocalUser& user, NotifyEvent event);

// Whether the event's chat line shows in the current mode.
inline bool EventShowsLine(const LocalUser& user, NotifyEvent event) { return EventFlags(user, event).text; }

// The sound file of an event for a user: the user's override, else the profile's; empty for none.
std::string EventSoundFile(const std::string& profilePath, NotifyEvent event, const std::string& userName);

}  // namespace zc

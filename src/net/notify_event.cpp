#include "net/notify_event.h"

#include "base/file_url.h"
#include "base/ini_file.h"
#include "base/text_helpers.h"

namespace zc {

static int ModeEventIndex(NotifyEvent event) {
    // Index into kChatModeEvents, or -1.
    switch (event) {
        case NotifyEvent::Default: return 9;  // MESSAGE
        case NotifyEvent::Board: return 1;
        case NotifyEvent::Alert: return 0;
        case NotifyEvent::ChangeMode: return 2;  // CNGMODE
        case NotifyEvent::ChangeName: return 3;  // CNGNICK
        case NotifyEvent::Conference: return 4;  // CONF
        case NotifyEvent::Enter: return 7;
        case NotifyEvent::Exit: return 8;
        case NotifyEvent::LeaveConference: return 5;  // CONFEXIT
        case NotifyEvent::InvConference: return 6;    // CONFINV
        case NotifyEvent::Sound: return 11;
        case NotifyEvent::Private: return 10;
        case NotifyEvent::FRequest: return 12;  // SFILERQ
        case NotifyEvent::Warning: return -1;
    }
    return -1;
}

ChatModeEventFlags EventFlags(const LocalUser& user, NotifyEvent event) {
    const int index = ModeEventIndex(event);
    if (index < 0) return {true, true, false, false};
    return user.CurrentMode().events[static_cast<size_t>(index)];
}

std::string EventSoundFile(const std::string& p, NotifyEvent event, const std::string& userName) {
    const std::string number = std::to_string(static_cast<int>(event));
    const std::string user = IniKeyOfName(userName);
    std::string file = user.empty() ? std::string() : ReadIniValue(p, "OVERRIDE", user + "_SND_" + number);
    if (file.size() < 5) file = ReadIniValue(p, "SOUND", "SND_" + number);
    if (file.size() < 5) return {};
    return "sound/" + SystemText(file);  // the profile's code page, the file system's UTF-8
}

}  // namespace zc

#pragma once
#include <string>
#include <vector>

#include "doctor/doctor_report.h"

namespace zc::doctor {

// What the desktop around the chat offers it: a session, a tray, notifications, the portal.
struct DesktopFacts {
    std::string sessionType;         // XDG_SESSION_TYPE: "x11", "wayland", "tty" or ""
    std::string waylandDisplay;      // WAYLAND_DISPLAY
    std::string x11Display;          // DISPLAY
    bool sessionBus = false;         // a session bus answers
    bool trayWatcher = false;        // org.kde.StatusNotifierWatcher is on the bus
    bool x11Tray = false;            // the X server's _NET_SYSTEM_TRAY_S<screen> has an owner
    std::string notificationServer;  // "dunst 1.9.0" when one answers, else ""
    bool portal = false;             // org.freedesktop.portal.Desktop runs or can be started
};

// Reads the environment, asks the session bus (dbus-send) and the X server. Blocking, a few
// seconds at most.
DesktopFacts ReadDesktopFacts();

// One line each for the session, the tray, the notification server and the portal; nothing here
// stops the chat, so a missing part is a warning with what to do.
std::vector<CheckLine> CheckDesktop(const DesktopFacts& facts);

// The quoted strings of a reply as "dbus-send --print-reply" prints it, in order.
std::vector<std::string> ReplyStrings(const std::string& printed);

}  // namespace zc::doctor

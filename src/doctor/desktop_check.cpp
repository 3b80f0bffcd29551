#include "doctor/desktop_check.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "doctor/command_runner.h"

namespace zc::doctor {
namespace {

constexpr char kWatcher[] = "org.kde.StatusNotifierWatcher";
constexpr char kNotifications[] = "org.freedesktop.Notifications";
constexpr char kPortal[] = "org.freedesktop.portal.Desktop";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The bus the desktop program would use; never one that dbus-send would have to start.
std::string SessionBusAddress() {
    std::string address = Env("DBUS_SESSION_BUS_ADDRESS");
    if (!address.empty()) return address;
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    struct stat st {};
    if (!runtime.empty() && ::stat((runtime + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
        return "unix:path=" + runtime + "/bus";
    return "";
}

CommandResult BusCall(const std::string& bus, const std::string& dest, const std::string& path,
                      const std::string& method, const std::vector<std::string>& args = {}) {
    std::vector<std::string> argv = {"dbus-send", "--bus=" + bus, "--print-reply", "--reply-timeout=2000",
                                     "--dest=" + dest, path, method};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCommand(argv, 3000);
}

CommandResult AskBus(const std::string& bus, const std::string& method, const std::vector<std::string>& args = {}) {
    return BusCall(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus." + method, args);
}

bool HasOwner(const std::string& bus, const char* name) {
    const CommandResult r = AskBus(bus, "NameHasOwner", {std::string("string:") + name});
    return r.exitCode == 0 && r.out.find("boolean true") != std::string::npos;
}

bool Activatable(const std::string& bus, const char* name) {
    const CommandResult r = AskBus(bus, "ListActivatableNames");
    const std::vector<std::string> names = ReplyStrings(r.out);
    return r.exitCode == 0 && std::find(names.begin(), names.end(), name) != names.end();
}

// Name and version of the server that answers GetServerInformation; "" when none does.
std::string NotificationServer(const std::string& bus) {
    const CommandResult r = BusCall(bus, kNotifications, "/org/freedesktop/Notifications",
                                    std::string(kNotifications) + ".GetServerInformation");
    const std::vector<std::string> info = ReplyStrings(r.out);
    if (r.exitCode != 0 || info.size() < 3) return "";
    const std::string name = info[0].empty() ? "a notification server" : info[0];
    return info[2].empty() ? name : name + " " + info[2];
}

// libxcb is loaded only here, so the terminal client does not need it to start.
bool X11TrayOwned(const std::string& display) {
    void* lib = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return false;
    auto sym = [lib](const char* name) { return ::dlsym(lib, name); };
    auto connect = reinterpret_cast<decltype(&xcb_connect)>(sym("xcb_connect"));
    auto hasError = reinterpret_cast<decltype(&xcb_connection_has_error)>(sym("xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<decltype(&xcb_disconnect)>(sym("xcb_disconnect"));
    auto internAtom = reinterpret_cast<decltype(&xcb_intern_atom)>(sym("xcb_intern_atom"));
    auto atomReply = reinterpret_cast<decltype(&xcb_intern_atom_reply)>(sym("xcb_intern_atom_reply"));
    auto getOwner = reinterpret_cast<decltype(&xcb_get_selection_owner)>(sym("xcb_get_selection_owner"));
    auto ownerReply = reinterpret_cast<decltype(&xcb_get_selection_owner_reply)>(sym("xcb_get_selection_owner_reply"));
    bool owned = false;
    if (connect && hasError && disconnect && internAtom && atomReply && getOwner && ownerReply) {
        int screen = 0;
        xcb_connection_t* c = connect(display.c_str(), &screen);
        if (!hasError(c)) {
            const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
            xcb_intern_atom_reply_t* atom =
                atomReply(c, internAtom(c, 1, static_cast<uint16_t>(selection.size()), selection.c_str()), nullptr);
            if (atom && atom->atom != XCB_ATOM_NONE) {
                xcb_get_selection_owner_reply_t* owner = ownerReply(c, getOwner(c, atom->atom), nullptr);
                owned = owner && owner->owner != XCB_WINDOW_NONE;
                std::free(owner);
            }
            std::free(atom);
        }
        disconnect(c);
    }
    ::dlclose(lib);
    return owned;
}

}  // namespace

std::vector<std::string> ReplyStrings(const std::string& printed) {
    std::vector<std::string> strings;
    std::istringstream lines(printed);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find_first_not_of(' ');
        if (at == std::string::npos || line.compare(at, 8, "string \"") != 0 || line.back() != '"') continue;
        strings.push_back(line.substr(at + 8, line.size() - at - 9));
    }
    return strings;
}

DesktopFacts ReadDesktopFacts() {
    DesktopFacts f;
    f.sessionType = Env("XDG_SESSION_TYPE");
    f.waylandDisplay = Env("WAYLAND_DISPLAY");
    f.x11Display = Env("DISPLAY");
    if (!f.x11Display.empty()) f.x11Tray = X11TrayOwned(f.x11Display);
    const std::string bus = SessionBusAddress();
    f.sessionBus = !bus.empty() && AskBus(bus, "GetId").exitCode == 0;
    if (!f.sessionBus) return f;
    f.trayWatcher = HasOwner(bus, kWatcher);
    f.notificationServer = NotificationServer(bus);
    f.portal = HasOwner(bus, kPortal) || Activatable(bus, kPortal);
    return f;
}

std::vector<CheckLine> CheckDesktop(const DesktopFacts& f) {
    const bool wayland = f.sessionType == "wayland" || (f.sessionType != "x11" && !f.waylandDisplay.empty());
    const bool x11 = !wayland && (f.sessionType == "x11" || !f.x11Display.empty());
    const std::string noBus = f.sessionBus ? "" : " (no session bus)";
    std::vector<CheckLine> lines;

    if (wayland)
        lines.push_back(Ok("session", "Wayland, display " + (f.waylandDisplay.empty() ? "unknown" : f.waylandDisplay)));
    else if (x11)
        lines.push_back(Ok("session", "X11, display " + (f.x11Display.empty() ? "unknown" : f.x11Display)));
    else
        lines.push_back(Warn("session", "no graphical session (WAYLAND_DISPLAY and DISPLAY are empty)",
                             "the desktop program needs one; zeltochat-cli works without"));

    if (f.trayWatcher)
        lines.push_back(Ok("tray", "a tray host answers (StatusNotifierWatcher)"));
    else if (f.x11Tray)
        lines.push_back(Ok("tray", "an X11 system tray answers"));
    else
        lines.push_back(Warn("tray", "no tray host answers" + noBus,
                             "the chat then has no tray icon to come back from; add a tray to the panel "
                             "(GNOME: the AppIndicator extension)"));

    if (!f.notificationServer.empty())
        lines.push_back(Ok("notifications", f.notificationServer + " answers"));
    else
        lines.push_back(Warn("notifications", "no notification server answers" + noBus,
                             wayland ? "Wayland cannot place the chat's own bubble; start one (mako, dunst or the "
                                       "desktop's own)"
                                     : "the chat shows its own bubble instead; start one (dunst or the desktop's own) "
                                       "for desktop notifications"));

    if (f.portal)
        lines.push_back(Ok("portal", "xdg-desktop-portal is present"));
    else
        lines.push_back(Warn("portal", "xdg-desktop-portal is missing" + noBus,
                             "desktop snapshots under Wayland go through it: install xdg-desktop-portal and the "
                             "desktop's backend (-gnome, -kde or -wlr)"));
    return lines;
}

}  // namespace zc::doctor

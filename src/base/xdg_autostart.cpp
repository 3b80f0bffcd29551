#include "base/xdg_autostart.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace zc {

XdgAutostart::XdgAutostart(std::string autostartDir) : dir_(std::move(autostartDir)) {}

std::string XdgAutostart::EntryPath() const { return dir_ + "/ZeltoChat.desktop"; }

std::string DesktopExecQuote(const std::string& arg) {
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool XdgAutostart::Enable(const std::string& execLine) {
    if (dir_.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(dir_, ec);
    std::ofstream out(EntryPath(), std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << "[Desktop Entry]\nType=Application\nName=ZeltoChat\nComment=LAN chat\n"
        << "Exec=" << execLine << "\nX-GNOME-Autostart-enabled=true\nTerminal=false\n";
    return static_cast<bool>(out);
}

void XdgAutostart::Disable() {
    if (!dir_.empty()) std::remove(EntryPath().c_str());
}

bool XdgAutostart::IsEnabled() const {
    std::error_code ec;
    return !dir_.empty() && std::filesystem::exists(EntryPath(), ec);
}

}  // namespace zc

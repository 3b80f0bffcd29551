#pragma once
#include <string>

namespace zc {

// Start with the desktop session through an XDG autostart entry.
class XdgAutostart {
public:
    explicit XdgAutostart(std::string autostartDir);  // usually ~/.config/autostart
    bool Enable(const std::string& execLine);
    void Disable();
    bool IsEnabled() const;
    std::string EntryPath() const;

private:
    std::string dir_;
};

// Quotes a program path for an Exec line.
std::string DesktopExecQuote(const std::string& arg);

}  // namespace zc

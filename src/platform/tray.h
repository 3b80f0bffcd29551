#pragma once
#include <string>

namespace zc {

// The pictures the notification-area icon can show: the normal one and, for each event that
// makes it flash, the first of its two pictures (the second is the next id).
enum TrayIconId : int {
    kTrayNormalIcon = 128,
    kTrayAlertIcon = 145,
    kTrayPrivateIcon = 147,
    kTrayBoardIcon = 149,
};

class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // False where the desktop has no notification area.
    virtual bool Create(const std::string& toolTip) = 0;
    virtual void Remove() = 0;
    virtual bool IsAvailable() const = 0;
    virtual void SetTip(const std::string& /*toolTip*/) {}
    // Shows one of the TrayIconId pictures.
    virtual void SetIcon(int /*iconId*/) {}
};

}  // namespace zc

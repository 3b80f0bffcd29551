#pragma once
#include <string>

namespace zc {

class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // False where the desktop has no notification area.
    virtual bool Create(const std::string& toolTip) = 0;
    virtual void Remove() = 0;
    virtual bool IsAvailable() const = 0;
};

}  // namespace zc

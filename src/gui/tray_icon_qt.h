#pragma once
#include <functional>
#include <memory>

#include <QIcon>

#include "platform/tray.h"

class QMenu;
class QSystemTrayIcon;

namespace zc {

class TrayIconQt : public TrayIcon {
public:
    explicit TrayIconQt(QIcon icon);
    ~TrayIconQt() override;

    // What the icon's click and the menu's items do.
    void SetActions(std::function<void()> toggleWindow, std::function<void()> exitChat);

    bool Create(const std::string& toolTip) override;
    void Remove() override;
    bool IsAvailable() const override;

private:
    QIcon icon_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::function<void()> toggle_, exit_;
};

}  // namespace zc

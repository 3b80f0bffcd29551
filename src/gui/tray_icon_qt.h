#pragma once
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QIcon>

#include "app/tray_menu.h"
#include "platform/tray.h"

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace zc {

// The picture of a TrayIconId: the normal icon, or it with the event's badge in either phase.
QIcon MakeTrayIcon(const QIcon& normal, int iconId);

// Fills a menu from the chat's tray menu lines; a picked line's command goes to onCommand.
void FillTrayMenu(QMenu& menu, const std::vector<TrayMenuItem>& items, const std::function<void(int)>& onCommand);

class TrayIconQt : public TrayIcon {
public:
    explicit TrayIconQt(QIcon icon);
    ~TrayIconQt() override;

    // What the icon's clicks do: the left click, the lines of the menu the right click opens
    // (asked each time), and a picked line.
    void SetActions(std::function<void()> leftClick, std::function<std::vector<TrayMenuItem>()> menuItems,
                    std::function<void(int)> onCommand);

    bool Create(const std::string& toolTip) override;
    void Remove() override;
    bool IsAvailable() const override;
    void SetTip(const std::string& toolTip) override;
    void SetIcon(int iconId) override;

private:
    void RefillMenu();
    void OpenMenu();
    void ShowWhenPanelAppears();
    QIcon icon_;
    std::string tip_;
    std::unique_ptr<QTimer> panelPoll_;
    std::map<int, QIcon> pictures_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::function<void()> leftClick_;
    std::function<std::vector<TrayMenuItem>()> menuItems_;
    std::function<void(int)> onCommand_;
};

}  // namespace zc

#include "gui/tray_icon_qt.h"

#include <cstdlib>

#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>

#include <xcb/xcb.h>

#include "base/cp1251.h"

namespace zc {
namespace {

QString FromCp1251(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

constexpr int kPanelPollMs = 2000;

// An X11 notification area: the owner of the tray selection of the first screen.
bool X11TrayPresent() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return false;
    xcb_connection_t* c = x11->connection();
    const char name[] = "_NET_SYSTEM_TRAY_S0";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
    if (!atom) return false;
    xcb_get_selection_owner_reply_t* owner =
        atom->atom == XCB_NONE ? nullptr
                               : xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool present = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return present;
}

// Whether a panel shows tray icons now. Qt decides once, at its first look, between a D-Bus
// panel and an X11 one; so while the session bus has no panel yet, Qt is asked only when an X11
// one is there, and a D-Bus panel that starts later is still taken.
bool PanelPresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
    if (names && !names->isServiceRegistered("org.kde.StatusNotifierWatcher").value() && !X11TrayPresent())
        return false;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

// Each event has its colour; the second picture of a pair shows the badge as a ring, so the
// icon visibly pulses.
QPixmap DrawWithBadge(const QIcon& normal, int size, QColor colour, bool ring) {
    QPixmap pixmap = normal.pixmap(size, size);
    if (pixmap.isNull()) {
        pixmap = QPixmap(size, size);
        pixmap.fill(Qt::transparent);
    }
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = size * 0.5;
    const QRectF badge(size - d - size * 0.02, size * 0.02, d, d);
    if (ring) {
        p.setPen(QPen(colour, std::max(1.5, size / 12.0)));
        p.setBrush(QColor(255, 255, 255, 220));
    } else {
        p.setPen(QPen(colour.darker(140), std::max(1.0, size / 32.0)));
        p.setBrush(colour);
    }
    p.drawEllipse(badge);
    p.setPen(ring ? colour : Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(std::max(6, static_cast<int>(d * 0.75)));
    p.setFont(font);
    p.drawText(badge, Qt::AlignCenter, "!");
    return pixmap;
}

}  // namespace

QIcon MakeTrayIcon(const QIcon& normal, int iconId) {
    QColor colour;
    switch (iconId) {
        case kTrayAlertIcon:
        case kTrayAlertIcon + 1: colour = QColor(0xd8, 0x2c, 0x2c); break;
        case kTrayPrivateIcon:
        case kTrayPrivateIcon + 1: colour = QColor(0x2e, 0x9d, 0x3c); break;
        case kTrayBoardIcon:
        case kTrayBoardIcon + 1: colour = QColor(0xf0, 0x8c, 0x00); break;
        default: return normal;
    }
    const bool ring = (iconId - kTrayAlertIcon) % 2 == 1;
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(DrawWithBadge(normal, size, colour, ring));
    return icon;
}

void FillTrayMenu(QMenu& menu, const std::vector<TrayMenuItem>& items, const std::function<void(int)>& onCommand) {
    for (const TrayMenuItem& item : items) {
        if (item.IsSeparator()) {
            menu.addSeparator();
        } else if (!item.items.empty()) {
            FillTrayMenu(*menu.addMenu(FromCp1251(item.text)), item.items, onCommand);
        } else {
            QAction* action = menu.addAction(FromCp1251(item.text));
            if (item.checked) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            QObject::connect(action, &QAction::triggered, &menu, [onCommand, command = item.command] {
                if (onCommand) onCommand(command);
            });
        }
    }
}

TrayIconQt::TrayIconQt(QIcon icon) : icon_(std::move(icon)) {}

TrayIconQt::~TrayIconQt() { Remove(); }

void TrayIconQt::SetActions(std::function<void()> leftClick, std::function<std::vector<TrayMenuItem>()> menuItems,
                            std::function<void(int)> onCommand) {
    leftClick_ = std::move(leftClick);
    menuItems_ = std::move(menuItems);
    onCommand_ = std::move(onCommand);
}

bool TrayIconQt::Create(const std::string& toolTip) {
    tip_ = toolTip;
    if (!PanelPresent()) {
        ShowWhenPanelAppears();
        return false;
    }
    if (panelPoll_) panelPoll_->stop();
    if (!tray_) {
        // Attached to the icon, so a panel that shows the menu itself (and never reports a
        // right click) offers it too; its lines follow the chat each time it opens.
        menu_ = std::make_unique<QMenu>();
        QObject::connect(menu_.get(), &QMenu::aboutToShow, menu_.get(), [this] { RefillMenu(); });
        RefillMenu();
        tray_ = std::make_unique<QSystemTrayIcon>(icon_);
        tray_->setContextMenu(menu_.get());
        QObject::connect(tray_.get(), &QSystemTrayIcon::activated, tray_.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             // A double click starts with a click: reacting to both would toggle twice.
                             if (reason == QSystemTrayIcon::Trigger) {
                                 if (leftClick_) leftClick_();
                             } else if (reason == QSystemTrayIcon::Context) {
                                 OpenMenu();
                             }
                         });
    }
    tray_->setToolTip(FromCp1251(toolTip));
    tray_->show();
    return true;
}

void TrayIconQt::ShowWhenPanelAppears() {
    // No notification area yet (the panel starts after the chat, or restarts): the icon
    // appears as soon as one does.
    if (!panelPoll_) {
        panelPoll_ = std::make_unique<QTimer>();
        panelPoll_->setInterval(kPanelPollMs);
        QObject::connect(panelPoll_.get(), &QTimer::timeout, panelPoll_.get(), [this] {
            if (PanelPresent()) Create(tip_);
        });
    }
    if (!panelPoll_->isActive()) panelPoll_->start();
}

void TrayIconQt::RefillMenu() {
    if (!menu_ || !menuItems_) return;
    menu_->clear();
    FillTrayMenu(*menu_, menuItems_(), onCommand_);
}

void TrayIconQt::OpenMenu() {
    // A panel that pops the attached menu up itself has done so already.
    if (!menu_ || menu_->isVisible()) return;
    RefillMenu();
    const QPoint at = QCursor::pos() - QPoint(20, 80);
    menu_->popup(QPoint(at.x(), at.y() - menu_->sizeHint().height() / 2));
}

void TrayIconQt::Remove() {
    if (panelPoll_) panelPoll_->stop();
    if (tray_) tray_->hide();
    tray_.reset();
    menu_.reset();
}

bool TrayIconQt::IsAvailable() const { return tray_ && tray_->isVisible(); }

void TrayIconQt::SetTip(const std::string& toolTip) {
    if (tray_) tray_->setToolTip(FromCp1251(toolTip));
}

void TrayIconQt::SetIcon(int iconId) {
    if (!tray_) return;
    auto it = pictures_.find(iconId);
    if (it == pictures_.end()) it = pictures_.emplace(iconId, MakeTrayIcon(icon_, iconId)).first;
    tray_->setIcon(it->second);
}

}  // namespace zc

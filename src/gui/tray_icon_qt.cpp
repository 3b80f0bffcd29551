#include "gui/tray_icon_qt.h"

#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include "base/cp1251.h"

namespace zc {
namespace {

QString FromCp1251(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

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
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    if (!tray_) {
        tray_ = std::make_unique<QSystemTrayIcon>(icon_);
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

void TrayIconQt::OpenMenu() {
    if (!menuItems_) return;
    // Built each time: the hide/show line and the checked mode follow the chat.
    const std::vector<TrayMenuItem> items = menuItems_();
    menu_ = std::make_unique<QMenu>();
    FillTrayMenu(*menu_, items, onCommand_);
    const QPoint at = QCursor::pos() - QPoint(20, 80);
    menu_->popup(QPoint(at.x(), at.y() - menu_->sizeHint().height() / 2));
}

void TrayIconQt::Remove() {
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

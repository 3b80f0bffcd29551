#include "gui/tray_icon_qt.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include "base/cp1251.h"

namespace zc {

TrayIconQt::TrayIconQt(QIcon icon) : icon_(std::move(icon)) {}

TrayIconQt::~TrayIconQt() { Remove(); }

void TrayIconQt::SetActions(std::function<void()> toggleWindow, std::function<void()> exitChat) {
    toggle_ = std::move(toggleWindow);
    exit_ = std::move(exitChat);
}

bool TrayIconQt::Create(const std::string& toolTip) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    if (!tray_) {
        menu_ = std::make_unique<QMenu>();
        QObject::connect(menu_->addAction(QObject::tr("Show/Hide")), &QAction::triggered, menu_.get(), [this] {
            if (toggle_) toggle_();
        });
        menu_->addSeparator();
        QObject::connect(menu_->addAction(QObject::tr("Exit")), &QAction::triggered, menu_.get(), [this] {
            if (exit_) exit_();
        });
        tray_ = std::make_unique<QSystemTrayIcon>(icon_);
        tray_->setContextMenu(menu_.get());
        QObject::connect(tray_.get(), &QSystemTrayIcon::activated, tray_.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             // A double click starts with a click: reacting to both would toggle twice.
                             if (reason == QSystemTrayIcon::Trigger)
                                 if (toggle_) toggle_();
                         });
    }
    tray_->setToolTip(QString::fromStdString(Cp1251ToUtf8(toolTip)));
    tray_->show();
    return true;
}

void TrayIconQt::Remove() {
    if (tray_) tray_->hide();
    tray_.reset();
    menu_.reset();
}

bool TrayIconQt::IsAvailable() const { return tray_ && tray_->isVisible(); }

}  // namespace zc

#include "app/KSystemTrayIcon.h"

#include <QAction>
#include <QMenu>

KSystemTrayIcon::KSystemTrayIcon()
    : QObject(nullptr), tray(new QSystemTrayIcon(this)), menu(new QMenu) {
    connect(menu, &QMenu::triggered, this, &KSystemTrayIcon::slotTriggered);
    connect(tray, &QSystemTrayIcon::activated, this, &KSystemTrayIcon::onActivated,
            Qt::DirectConnection);
    tray->setContextMenu(menu);
}

KSystemTrayIcon::~KSystemTrayIcon() {
    for (QAction* action : qAsConst(actions))
        action->deleteLater();
    actions.clear();
    actionCallbacks.clear();
    menu->deleteLater();
}

void KSystemTrayIcon::setIcon(QIcon icon) {
    tray->setIcon(icon);
    normalIcon = icon;
}

void KSystemTrayIcon::setToolTip(QString text) {
    tray->setToolTip(text);
}

void KSystemTrayIcon::addAction(QString text, Callback callback, QIcon icon) {
    auto* action = new QAction(text, nullptr);
    action->setIcon(icon);
    menu->addAction(action);
    actions.append(action);
    actionCallbacks.insert(action, std::move(callback));
}

void KSystemTrayIcon::show() {
    tray->show();
}

void KSystemTrayIcon::hide() {
    tray->hide();
}

void KSystemTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger)
        emit sigTrayIconClicked();
}

void KSystemTrayIcon::slotTriggered(QAction* action) {
    const auto found = actionCallbacks.constFind(action);
    if (found == actionCallbacks.cend())
        return;
    QString text = action->text();
    found.value()(text);
    tray->setIcon(normalIcon);
}

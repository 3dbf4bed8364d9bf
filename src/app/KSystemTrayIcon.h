#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class QAction;
class QMenu;

// The tray icon: icon, tool tip, a context menu whose entries each carry a callback, and a signal
// for a single click.
class KSystemTrayIcon : public QObject {
    Q_OBJECT
public:
    using Callback = std::function<void(QString&)>;

    KSystemTrayIcon();
    ~KSystemTrayIcon() override;

    void setIcon(QIcon icon);
    void setToolTip(QString text);
    void addAction(QString text, Callback callback, QIcon icon);
    void show();
    void hide();

    QSystemTrayIcon* trayIcon() const { return tray; }
    QMenu* contextMenu() const { return menu; }
    QList<QAction*> menuActions() const { return actions; }

signals:
    void sigTrayIconClicked();

private slots:
    void slotTriggered(QAction* action);

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon* tray;
    QMenu* menu;
    QList<QAction*> actions;
    QHash<QAction*, Callback> actionCallbacks;
    QIcon normalIcon;

    friend class TestSystemTrayIcon;
};

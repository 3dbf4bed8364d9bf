#pragma once

#include "platform/KDeviceMonitor.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <functional>

class QDBusPendingCallWatcher;
class QSocketNotifier;
struct udev;
struct udev_device;
struct udev_monitor;

// Arrival and removal of hidraw and evdev nodes from a libudev monitor, read in the main thread
// through a QSocketNotifier, and the session's state from logind on the system bus: the end of
// system sleep (PrepareForSleep) and whether the session is the active one of its seat (its
// Active property). Nodes of the program's own virtual devices are never announced: they are
// recognised by the identity their input device carries in its own udev events (name and
// vendor), so that also the late events of a device that is already gone are told apart. A
// device's nodes appear one after another; the notifications are held until the device has
// settled (SettleMs without a new one) and then delivered together, in order, so that whoever
// counts devices on the first of them sees every node.
class KLinuxDeviceMonitor : public KDeviceMonitor {
    Q_OBJECT
public:
    static constexpr int SettleMs = 100;

    explicit KLinuxDeviceMonitor(QObject* parent = nullptr);
    ~KLinuxDeviceMonitor() override;

    bool start() override;
    bool isSessionActive() const override { return m_sessionActive; }

    // Whether a udev event of the "input" subsystem is about one of the program's own virtual
    // input devices, judged from the event's own properties (NAME and PRODUCT). Public for tests.
    static bool isOwnInputEvent(const QByteArray& name, const QByteArray& product);

private slots:
    void onPrepareForSleep(bool sleeping);
    void onSessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                    const QStringList& invalidated);

private:
    void readEvents();
    void flush();
    enum SessionLookup { FromSessionId, FromProcess, FromUser, NotFound };
    void watchSession();
    void findSession(SessionLookup step);
    // One asynchronous call to logind; done gets the reply's first value, invalid on an error.
    void askLogind(const QString& path, const QString& interface, const QString& method,
                   const QVariantList& arguments, std::function<void(const QVariant&)> done);
    void sessionFound(const QString& path);
    void readSessionActive();
    void setSessionActive(bool active);

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_settle;
    QList<QPair<bool, QString>> m_pending;
    // devpaths of the program's own input devices (…/input/inputN), and of their event nodes.
    QSet<QByteArray> m_ownInputs;
    QSet<QByteArray> m_ownNodes;
    bool m_sessionWatched = false;
    QString m_sessionPath;
    bool m_sessionActive = true;
};

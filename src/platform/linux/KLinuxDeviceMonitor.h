#pragma once

#include "platform/KDeviceMonitor.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QTimer>

class QSocketNotifier;
struct udev;
struct udev_monitor;

// Arrival and removal of hidraw and evdev nodes from a libudev monitor, read in the main thread
// through a QSocketNotifier, and the end of system sleep from logind's PrepareForSleep signal on
// the system bus. Nodes of the program's own virtual devices are not announced. A device's
// nodes appear one after another; the notifications are held until the device has settled
// (SettleMs without a new one) and then delivered together, in order, so that whoever counts
// devices on the first of them sees every node.
class KLinuxDeviceMonitor : public KDeviceMonitor {
    Q_OBJECT
public:
    static constexpr int SettleMs = 100;

    explicit KLinuxDeviceMonitor(QObject* parent = nullptr);
    ~KLinuxDeviceMonitor() override;

    bool start() override;

private slots:
    void onPrepareForSleep(bool sleeping);

private:
    void readEvents();
    void flush();

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_settle;
    QList<QPair<bool, QString>> m_pending;
    QSet<QByteArray> m_ownNodes;
    bool m_sleepWatched = false;
};

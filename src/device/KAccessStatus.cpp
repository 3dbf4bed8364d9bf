#include "device/KAccessStatus.h"

#include "device/KDeviceWatcher.h"
#include "platform/KPlatform.h"

#include <QDebug>

#include <cerrno>

KAccessStatus* KAccessStatus::instance() {
    static KAccessStatus* status = new KAccessStatus;  // lives until process end
    return status;
}

KAccessStatus::KAccessStatus(KAccessCheck* check, KDeviceWatcher* watcher, QObject* parent)
    : QObject(parent), m_check(check ? check : KPlatform::instance()->accessCheck()) {
    KDeviceWatcher* devices = watcher ? watcher : KDeviceWatcher::instance();
    // A device that arrives brings nodes that may be refused; one that leaves takes them away.
    connect(devices, &KDeviceWatcher::sigDeviceChange, this, &KAccessStatus::recheck);
}

void KAccessStatus::recheck() {
    const KAccessCheck::Result result = m_check->check();
    const QString summary = result.summary();
    const bool changed = !m_checked || summary != m_lastSummary;
    m_checked = true;
    m_result = result;
    if (!changed)
        return;
    m_lastSummary = summary;
    if (result.ok())
        qInfo().noquote() << "[Info] access check:" << summary;
    else
        qWarning().noquote() << "access check:" << summary;
    emit sigAccessChanged();
}

QString KAccessStatus::noticeText() const {
    return noticeTextFor(m_result);
}

QString KAccessStatus::fixText() const {
    return fixTextFor(m_result);
}

QString KAccessStatus::noticeTextFor(const KAccessCheck::Result& result) {
    QStringList lines;
    for (const KAccessCheck::Item& item : result.items) {
        switch (item.what) {
            case KAccessCheck::What::Uinput:
                lines << tr("- %1 (%2): assigned functions do nothing")
                             .arg(item.nodes.join(QStringLiteral(", ")), item.reason);
                break;
            case KAccessCheck::What::Receiver:
                lines << tr(
                    "- the receiver's device nodes: its keys are not taken over, pairing "
                    "fails");
                break;
            case KAccessCheck::What::BleMouse:
                lines << tr("- the Bluetooth mouse's device nodes: its buttons are not taken over");
                break;
            case KAccessCheck::What::BleKeyboard:
                lines << tr("- the Bluetooth keyboard's device nodes: its keys are not taken over");
                break;
            case KAccessCheck::What::Rule:
                lines << tr("- the device rule %1 is not installed")
                             .arg(QLatin1String(KAccessCheck::RULE_FILE));
                break;
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QString KAccessStatus::fixTextFor(const KAccessCheck::Result& result) {
    if (result.ok())
        return QString();
    QStringList lines;
    const KAccessCheck::Item* uinput = result.find(KAccessCheck::What::Uinput);
    if (uinput && uinput->error == ENOENT)
        lines << tr("Load the uinput module: sudo modprobe uinput");
    if (result.has(KAccessCheck::What::Rule)) {
        lines << tr("Install the rule (the Debian package installs it), from the sources:")
              << QStringLiteral(
                     "sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/ && sudo udevadm "
                     "control --reload-rules && sudo udevadm trigger")
              << tr("Then unplug and replug the receiver, and log out and in again.");
        return lines.join(QLatin1Char('\n'));
    }
    QStringList nodes;
    bool devices = false;
    for (const KAccessCheck::Item& item : result.items) {
        if (item.what == KAccessCheck::What::Uinput && item.error == ENOENT)
            continue;
        devices = devices || item.what != KAccessCheck::What::Uinput;
        nodes << item.nodes;
    }
    if (devices)
        lines << tr(
            "Unplug the receiver and plug it in again (switch a Bluetooth device off and "
            "on again).");
    if (uinput && uinput->error != ENOENT)
        lines << tr("Log out and in again for access to /dev/uinput.");
    if (!nodes.isEmpty())
        lines << tr("Check the access with: getfacl %1 (your user needs rw)")
                     .arg(nodes.join(QLatin1Char(' ')));
    return lines.join(QLatin1Char('\n'));
}

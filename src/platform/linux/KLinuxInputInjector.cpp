#include "platform/linux/KLinuxInputInjector.h"

#include "platform/linux/KUinputInjector.h"
#include "platform/linux/KXTestInjector.h"

#include <QDebug>
#include <QMutexLocker>

KLinuxInputInjector::KLinuxInputInjector() : KLinuxInputInjector(Options()) {}

KLinuxInputInjector::KLinuxInputInjector(const Options& options) {
    QString uinputError;
    m_active = KUinputInjector::create(options.uinputPath, &uinputError, options.layout);
    if (m_active) {
        qInfo().noquote() << "[Info] input injection through uinput" << options.uinputPath;
        return;
    }
    QString x11Error;
    m_active = KXTestInjector::create(options.displayName, &x11Error);
    if (m_active) {
        qInfo().noquote() << "[Info] input injection through XTest (uinput unavailable:"
                          << uinputError + ")";
        return;
    }
    qWarning().noquote()
        << "input injection unavailable: uinput:" << uinputError << "- XTest:" << x11Error
        << "- functions that send keys or mouse events will do nothing. Give the user write"
           " access to /dev/uinput (udev: KERNEL==\"uinput\", TAG+=\"uaccess\") and sign in"
           " again.";
}

KLinuxInputInjector::~KLinuxInputInjector() = default;

QString KLinuxInputInjector::method() const {
    return m_active ? m_active->method() : QStringLiteral("none");
}

void KLinuxInputInjector::sendKey(quint8 vk, bool up, quintptr extraInfo) {
    if (!m_active)
        return;
    QMutexLocker lock(&m_mutex);
    m_active->sendKey(vk, up, extraInfo);
}

void KLinuxInputInjector::sendMouse(quint32 flags, qint32 data, quintptr extraInfo) {
    if (!m_active)
        return;
    QMutexLocker lock(&m_mutex);
    m_active->sendMouse(flags, data, extraInfo);
}

#include "platform/sim/KSimAccessCheck.h"

#include "platform/sim/KSimController.h"
#include "platform/sim/KSimDevices.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
#include <QMutexLocker>

#include <cerrno>
#include <cstring>

namespace {

const KAccessCheck::What kAll[] = {KAccessCheck::What::Uinput, KAccessCheck::What::Receiver,
                                   KAccessCheck::What::BleMouse, KAccessCheck::What::BleKeyboard,
                                   KAccessCheck::What::Rule};

// The nodes a device of the simulation has, named as Linux names them.
QStringList nodesOf(KAccessCheck::What what) {
    switch (what) {
        case KAccessCheck::What::Receiver:
            return {"/dev/hidraw0",      "/dev/hidraw1",      "/dev/hidraw2",
                    "/dev/input/event4", "/dev/input/event5", "/dev/input/event6"};
        case KAccessCheck::What::BleMouse:
            return {"/dev/hidraw3", "/dev/input/event7"};
        case KAccessCheck::What::BleKeyboard:
            return {"/dev/hidraw4", "/dev/input/event8"};
        default:
            return {};
    }
}

QString deviceOf(KAccessCheck::What what) {
    return what == KAccessCheck::What::Uinput || what == KAccessCheck::What::Rule
               ? QString()
               : KAccessCheck::nameOf(what);
}

}  // namespace

KSimAccessCheck::KSimAccessCheck(KSimController* controller, KSimDevices* devices, QObject* parent)
    : KAccessCheck(parent), m_controller(controller), m_devices(devices) {
    const QString wanted = qEnvironmentVariable("POINTORA_SIM_ACCESS").trimmed();
    if (!wanted.isEmpty()) {
        if (!wanted.startsWith(QLatin1String("deny:"))) {
            qWarning().noquote() << "POINTORA_SIM_ACCESS: expected deny:NAME,... not" << wanted;
        } else {
            for (const QString& name : wanted.mid(5).split(',', Qt::SkipEmptyParts)) {
                What what;
                if (fromName(name.trimmed(), &what))
                    m_denied.insert(int(what));
                else
                    qWarning().noquote()
                        << "POINTORA_SIM_ACCESS: unknown name" << name
                        << "(known: uinput, receiver, ble-mouse, ble-keyboard, rule)";
            }
        }
    }
    updateState();
    controller->registerCommand("access", [this](const QStringList& args) {
        using Reply = KSimController::Reply;
        const QString usage =
            QStringLiteral("usage: access deny|allow uinput|receiver|ble-mouse|ble-keyboard|rule");
        What what;
        if (args.size() != 2 || (args.at(0) != "deny" && args.at(0) != "allow") ||
            !fromName(args.at(1), &what))
            return Reply::failure(usage);
        setDenied(what, args.at(0) == "deny");
        return Reply::success();
    });
}

bool KSimAccessCheck::isDenied(What what) const {
    QMutexLocker lock(&m_mutex);
    return m_denied.contains(int(what));
}

void KSimAccessCheck::setDenied(What what, bool denied) {
    {
        QMutexLocker lock(&m_mutex);
        if (denied)
            m_denied.insert(int(what));
        else
            m_denied.remove(int(what));
    }
    updateState();
}

bool KSimAccessCheck::bluetoothGranted() const {
    for (What what : {What::BleMouse, What::BleKeyboard})
        if (isDenied(what) && m_devices->isPresent(nameOf(what)))
            return false;
    return true;
}

KAccessCheck::Result KSimAccessCheck::check() {
    Result result;
    QJsonArray items;
    for (What what : kAll) {
        if (!isDenied(what))
            continue;
        const QString device = deviceOf(what);
        Item item;
        item.what = what;
        if (what == What::Uinput) {
            item.nodes << QStringLiteral("/dev/uinput");
        } else if (what == What::Rule) {
            item.nodes << QStringLiteral("/etc/udev/rules.d") << QStringLiteral("/run/udev/rules.d")
                       << QStringLiteral("/usr/lib/udev/rules.d")
                       << QStringLiteral("/lib/udev/rules.d");
            item.reason = QStringLiteral("%1 is not installed").arg(QLatin1String(RULE_FILE));
        } else {
            // A device's nodes are refused only while it is there, as on Linux.
            if (!m_devices->isPresent(device))
                continue;
            item.nodes = nodesOf(what);
        }
        if (what != What::Rule) {
            item.error = EACCES;
            item.reason = QString::fromLocal8Bit(strerror(EACCES));
        }
        result.items << item;
        items << QJsonObject{{"what", nameOf(what)},
                             {"nodes", QJsonArray::fromStringList(item.nodes)},
                             {"reason", item.reason}};
    }
    {
        QMutexLocker lock(&m_mutex);
        m_lastMissing = result.names();
        ++m_checks;
    }
    m_controller->log(QJsonObject{{"kind", "access"},
                                  {"missing", QJsonArray::fromStringList(result.names())},
                                  {"items", items}});
    updateState();
    return result;
}

void KSimAccessCheck::updateState() {
    QStringList denied;
    for (What what : kAll)
        if (isDenied(what))
            denied << nameOf(what);
    QMutexLocker lock(&m_mutex);
    m_controller->setState("access",
                           QJsonObject{{"denied", QJsonArray::fromStringList(denied)},
                                       {"missing", QJsonArray::fromStringList(m_lastMissing)},
                                       {"checks", m_checks}});
}

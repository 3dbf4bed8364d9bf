#include "platform/sim/KSimDevices.h"

#include "platform/KHidReportDescriptor.h"
#include "platform/KHookCodes.h"
#include "platform/sim/KSimAccessCheck.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
#include <QMutexLocker>

namespace {

// Report descriptors of the virtual devices.
// A mouse with report ID 1: five buttons, 16-bit X and Y, wheel and horizontal wheel (AC Pan).
const char kMouseWithId[] =
    "05010902a10185010901a100050919012905150025019505750181029501750381010501160180"
    "26ff7f751095020930093181061581257f7508950109388106050c0a380295018106c0c0";
// Consumer control with report ID 3: one 16-bit usage array.
const char kConsumerId3[] = "050c0901a1018503150026ff0319002aff03751095018100c0";
// Consumer control with report ID 2.
const char kConsumerId2[] = "050c0901a1018502150026ff0319002aff03751095018100c0";
// The receiver's vendor-defined pairing interface: report 0xBA, 32 bytes each way.
const char kPairing[] = "0600ff090ea10185ba0901150026ff00750895208102090295209102c0";
// The boot keyboard and boot mouse of the HID specification.
const char kBootKeyboard[] =
    "05010906a101050719e029e715002501750195088102950175088101950575010508190129059102"
    "95017503910195067508150025650507190029658100c0";
const char kBootMouse[] =
    "05010902a1010901a100050919012903150025019503750181029501750581010501093009311581"
    "257f750895028106c0c0";
// A keyboard with report ID 1.
const char kKeyboardWithId[] =
    "05010906a1018501050719e029e715002501750195088102950175088101950675081500256505071900"
    "29658100c0";

struct InterfaceSpec {
    const char* interfaceTag;  // mi_NN
    QList<const char*> descriptors;
    bool pairing;
};

struct DeviceSpec {
    const char* name;
    quint16 vendorId;
    quint16 productId;
    quint16 version;
    const char* product;
    const char* pathPrefix;
    QList<InterfaceSpec> interfaces;
};

const QList<DeviceSpec>& deviceSpecs() {
    static const QList<DeviceSpec> specs = {
        {"receiver",
         0x24AE,
         0x2013,
         0x0100,
         "2.4G Receiver",
         "\\\\?\\hid#vid_24ae&pid_2013",
         {{"mi_00", {kMouseWithId, kConsumerId3}, false},
          {"mi_01", {kBootKeyboard}, false},
          {"mi_02", {kPairing}, true}}},
        {"ble-mouse",
         0x248A,
         0x8266,
         0x0001,
         "BT5.0 Mouse",
         "\\\\?\\hid#{00001812-0000-1000-8000-00805f9b34fb}_dev_vid&02248a_pid&8266",
         {{"", {kMouseWithId}, false}}},
        {"ble-keyboard",
         0x000E,
         0x3412,
         0x0001,
         "BT5.0 Keyboard",
         "\\\\?\\hid#{00001812-0000-1000-8000-00805f9b34fb}_dev_vid&02000e_pid&3412",
         {{"", {kKeyboardWithId, kConsumerId2}, false}}},
        {"other-mouse",
         0x046D,
         0xC077,
         0x7200,
         "USB Optical Mouse",
         "\\\\?\\hid#vid_046d&pid_c077",
         {{"", {kBootMouse}, false}}},
        {"other-keyboard",
         0x046D,
         0xC31C,
         0x6400,
         "USB Keyboard",
         "\\\\?\\hid#vid_046d&pid_c31c",
         {{"mi_00", {kBootKeyboard}, false}}},
    };
    return specs;
}

// Raw-input entries, named as the system names them.
struct RawSpec {
    const char* device;
    quintptr handle;
    KRawInputDevice::Type type;
    const char* name;
};

const RawSpec kRawDevices[] = {
    {"other-mouse", 0x1001, KRawInputDevice::Mouse,
     "\\\\?\\HID#VID_046D&PID_C077#7&2a4e6b1&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}"},
    {"other-keyboard", 0x1002, KRawInputDevice::Keyboard,
     "\\\\?\\HID#VID_046D&PID_C31C&MI_00#7&1f2d3c4&0&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}"},
    {"receiver", 0x2001, KRawInputDevice::Mouse,
     "\\\\?\\HID#VID_24AE&PID_2013&MI_00&Col01#8&3b2a1c0&0&0000#{378de44c-56ef-11d1-bc8c-"
     "00a0c91405dd}"},
    {"receiver", 0x2002, KRawInputDevice::Keyboard,
     "\\\\?\\HID#VID_24AE&PID_2013&MI_01#8&1c0d2e3&0&0000#{884b96c3-56ef-11d1-bc8c-"
     "00a0c91405dd}"},
    {"ble-mouse", 0x3001, KRawInputDevice::Mouse,
     "\\\\?\\HID#{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02248a_PID&8266_REV&0001&Col01#9&"
     "2f1e3d4c&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}"},
    {"ble-keyboard", 0x4001, KRawInputDevice::Keyboard,
     "\\\\?\\HID#{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02000e_PID&3412_REV&0001&Col01#9&"
     "1a2b3c4d&0&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}"},
};

bool alwaysPresent(const QString& device) {
    return device.startsWith(QLatin1String("other-"));
}

quintptr rawHandleOf(const QString& device, KRawInputDevice::Type type) {
    for (const RawSpec& entry : kRawDevices)
        if (device == QLatin1String(entry.device) && entry.type == type)
            return entry.handle;
    return 0;
}

QString hexBytes(const uchar* bytes, int length) {
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes), length).toHex(' '));
}

}  // namespace

// One simulated event as "press" names it, with what each path needs to know about it.
struct KSimDevices::Event {
    enum Kind { Button, Wheel, Consumer };
    QString name;
    Kind kind = Button;
    quint32 code = 0;  // the device key code the driver queues
    quint32 downMessage = 0, upMessage = 0, mouseData = 0;
    quint16 rawDown = 0, rawUp = 0;
    int delta = 0;
    quint32 usage = 0;

    static bool parse(const QString& word, Event* out, QString* error);
};

bool KSimDevices::Event::parse(const QString& word, Event* out, QString* error) {
    using namespace KHookValues;
    namespace F = KRawMouseFlags;
    struct Row {
        const char* name;
        Kind kind;
        quint32 code, down, up, data;
        quint16 rawDown, rawUp;
        int delta;
    };
    static const Row rows[] = {
        {"left", Button, KHookCodes::Left, WmLButtonDown, WmLButtonUp, 0, F::LeftDown, F::LeftUp,
         0},
        {"right", Button, KHookCodes::Right, WmRButtonDown, WmRButtonUp, 0, F::RightDown,
         F::RightUp, 0},
        {"middle", Button, KHookCodes::Middle, WmMButtonDown, WmMButtonUp, 0, F::MiddleDown,
         F::MiddleUp, 0},
        {"back", Button, KHookCodes::Back, WmXButtonDown, WmXButtonUp, XButton1 << 16,
         F::Button4Down, F::Button4Up, 0},
        {"forward", Button, KHookCodes::Forward, WmXButtonDown, WmXButtonUp, XButton2 << 16,
         F::Button5Down, F::Button5Up, 0},
        {"wheel-up", Wheel, KHookCodes::WheelUp, WmMouseWheel, 0, quint32(120) << 16, F::Wheel, 0,
         1},
        {"wheel-down", Wheel, KHookCodes::WheelDown, WmMouseWheel, 0, quint32(quint16(-120)) << 16,
         F::Wheel, 0, -1},
        {"hwheel-up", Wheel, KHookCodes::SideWheelUp, WmMouseHWheel, 0, quint32(120) << 16,
         F::HWheel, 0, 1},
        {"hwheel-down", Wheel, KHookCodes::SideWheelDown, WmMouseHWheel, 0,
         quint32(quint16(-120)) << 16, F::HWheel, 0, -1},
    };
    for (const Row& row : rows) {
        if (word == QLatin1String(row.name)) {
            out->name = word;
            out->kind = row.kind;
            out->code = row.code;
            out->downMessage = row.down;
            out->upMessage = row.up;
            out->mouseData = row.data;
            out->rawDown = row.rawDown;
            out->rawUp = row.rawUp;
            out->delta = row.delta;
            return true;
        }
    }
    if (word.startsWith(QLatin1String("consumer:"))) {
        qint64 usage = 0;
        if (!KSimController::parseNumber(word.mid(9), &usage) || usage < 1 || usage > 0xFFFF) {
            *error = QStringLiteral("consumer usage must be a number from 1 to 0xFFFF");
            return false;
        }
        out->kind = Consumer;
        out->usage = quint32(usage);
        out->code = KHookCodes::KeyboardFlag | out->usage;
        out->name = QStringLiteral("consumer:0x%1").arg(QString::number(out->usage, 16).toUpper());
        return true;
    }
    *error = QStringLiteral(
                 "unknown button '%1' (left, right, middle, back, forward, wheel-up, wheel-down, "
                 "hwheel-up, hwheel-down, consumer:USAGE)")
                 .arg(word);
    return false;
}

KSimDevices::KSimDevices(KSimController* controller, QObject* parent)
    : QObject(parent), m_controller(controller) {
    m_present = controller->attachedDevices();
    connect(controller, &KSimController::deviceAttached, this, &KSimDevices::onAttached);
    connect(controller, &KSimController::deviceDetached, this, &KSimDevices::onDetached);
    controller->registerCommand("press", [this](const QStringList& args) { return press(args); });
    controller->registerCommand("resume", [this](const QStringList& args) {
        if (!args.isEmpty())
            return KSimController::Reply::failure("resume takes no arguments");
        m_controller->log(QJsonObject{{"kind", "session"}, {"event", "resume"}});
        if (m_monitor)
            m_monitor->notifyResumed();
        return KSimController::Reply::success();
    });
    controller->registerCommand("session", [this](const QStringList& args) {
        if (args.size() != 1 ||
            (args.first() != QLatin1String("active") && args.first() != QLatin1String("inactive")))
            return KSimController::Reply::failure("usage: session active|inactive");
        const bool active = args.first() == QLatin1String("active");
        m_controller->log(QJsonObject{{"kind", "session"}, {"event", args.first()}});
        m_controller->setState("session", args.first());
        if (m_monitor)
            m_monitor->setSessionActive(active);
        return KSimController::Reply::success();
    });
    controller->setState("session", QStringLiteral("active"));
    updateState();
}

KSimDevices::~KSimDevices() = default;

QList<KSimDevices::Interface> KSimDevices::interfacesOf(const QString& device) {
    QList<Interface> result;
    for (const DeviceSpec& entry : deviceSpecs()) {
        if (device != QLatin1String(entry.name))
            continue;
        for (const InterfaceSpec& iface : entry.interfaces) {
            QList<KHID::KHidCollectionInfo> collections;
            for (const char* hex : iface.descriptors) {
                QList<KHID::KHidCollectionInfo> parsed;
                QString error;
                const QByteArray descriptor = QByteArray::fromHex(hex);
                if (!KHID::parseReportDescriptor(descriptor, &parsed, &error))
                    qWarning().noquote()
                        << "simulated descriptor of" << device << "is invalid:" << error;
                collections += parsed;
            }
            for (int i = 0; i < collections.size(); ++i) {
                Interface out;
                out.device = device;
                out.pairing = iface.pairing;
                QByteArray path = entry.pathPrefix;
                if (*iface.interfaceTag)
                    path += QByteArray("&") + iface.interfaceTag;
                if (collections.size() > 1)
                    path += QByteArray("&col") + QByteArray::number(i + 1).rightJustified(2, '0');
                path +=
                    "#sim&" + QByteArray(entry.name) + "#{4d1e55b2-f16f-11cf-88cb-001111000030}";
                out.detail.devicePath = path;
                out.detail.vendorId = entry.vendorId;
                out.detail.productId = entry.productId;
                out.detail.versionNumber = entry.version;
                out.detail.productName = QString::fromLatin1(entry.product);
                out.detail.caps = collections.at(i).caps;
                out.detail.featureValueCaps = collections.at(i).featureValueCaps;
                result << out;
            }
        }
    }
    return result;
}

QList<KSimDevices::Interface> KSimDevices::presentInterfaces() const {
    QList<Interface> result;
    for (const DeviceSpec& entry : deviceSpecs())
        if (isPresent(QLatin1String(entry.name)))
            result += interfacesOf(QLatin1String(entry.name));
    return result;
}

bool KSimDevices::findInterface(const QByteArray& path, Interface* out) const {
    for (const Interface& iface : presentInterfaces()) {
        if (iface.detail.devicePath == path) {
            if (out)
                *out = iface;
            return true;
        }
    }
    return false;
}

QList<KRawInputDevice> KSimDevices::rawInputDevices() const {
    QList<KRawInputDevice> result;
    for (const RawSpec& entry : kRawDevices) {
        if (!isPresent(QLatin1String(entry.device)))
            continue;
        KRawInputDevice device;
        device.handle = entry.handle;
        device.type = entry.type;
        device.name = entry.name;
        result << device;
    }
    return result;
}

bool KSimDevices::isPresent(const QString& device) const {
    if (alwaysPresent(device))
        return true;
    QMutexLocker lock(&m_mutex);
    return m_present.contains(device);
}

void KSimDevices::setPairingResponder(OutputResponder output, InputResponder input) {
    QMutexLocker lock(&m_pairingMutex);
    m_pairingOutput = std::move(output);
    m_pairingInput = std::move(input);
}

void KSimDevices::setPairingAccessCheck(std::function<bool()> denied) {
    QMutexLocker lock(&m_pairingMutex);
    m_pairingDenied = std::move(denied);
}

bool KSimDevices::pairingAccessDenied() {
    if (accessDenied(QStringLiteral("receiver")))
        return true;
    QMutexLocker lock(&m_pairingMutex);
    return m_pairingDenied && m_pairingDenied();
}

bool KSimDevices::accessDenied(const QString& what) const {
    KAccessCheck::What kind;
    if (!m_access || !KAccessCheck::fromName(what, &kind))
        return false;
    if (kind == KAccessCheck::What::BleMouse || kind == KAccessCheck::What::BleKeyboard)
        return !m_access->bluetoothGranted();
    return m_access->isDenied(kind);
}

bool KSimDevices::pairingOutput(const uchar* report, int length) {
    QMutexLocker lock(&m_pairingMutex);
    return m_pairingOutput ? m_pairingOutput(report, length) : true;
}

bool KSimDevices::pairingInput(uchar* report, int length) {
    QMutexLocker lock(&m_pairingMutex);
    if (m_pairingInput)
        return m_pairingInput(report, length);
    const uchar id = report[0];
    std::fill(report, report + length, uchar(0));
    report[0] = id;
    return true;
}

void KSimDevices::onAttached(const QString& device) {
    {
        QMutexLocker lock(&m_mutex);
        if (!m_present.contains(device))
            m_present << device;
    }
    announce(device, true);
}

void KSimDevices::onDetached(const QString& device) {
    {
        QMutexLocker lock(&m_mutex);
        m_present.removeAll(device);
    }
    announce(device, false);
}

void KSimDevices::announce(const QString& device, bool arrival) {
    if (!m_monitor)
        return;
    // One notification per interface, as the system sends them.
    for (const Interface& iface : interfacesOf(device))
        m_monitor->notify(arrival, QString::fromUtf8(iface.detail.devicePath));
}

void KSimDevices::updateState() {
    QJsonArray hooks;
    quint32 mouse = 0;
    quint32 keyboard = 0;
    const bool usb = m_driver && m_driver->isActive();
    if (usb) {
        hooks << QStringLiteral("usb");
        mouse = m_driver->mouseMask();
        keyboard = m_driver->keyboardMask();
    }
    if (m_hooks) {
        if (m_hooks->hasMouseHook())
            hooks << QStringLiteral("ble-mouse");
        if (m_hooks->hasKeyboardHook())
            hooks << QStringLiteral("ble-keyboard");
        if (!usb && (m_hooks->hasMouseHook() || m_hooks->hasKeyboardHook())) {
            mouse = m_hooks->mouseMask();
            keyboard = m_hooks->keyboardMask();
        }
    }
    m_controller->setState("hooks", hooks);
    m_controller->setState("masks",
                           QJsonObject{{"mouse", qint64(mouse)}, {"keyboard", qint64(keyboard)}});
}

void KSimDevices::hookChanged(const QString& hook, bool installed) {
    m_controller->log(QJsonObject{{"kind", "hook"}, {"hook", hook}, {"installed", installed}});
    updateState();
}

void KSimDevices::masksChanged(const QString& hook, quint32 mouse, quint32 keyboard) {
    m_controller->log(QJsonObject{{"kind", "mask"},
                                  {"hook", hook},
                                  {"mouse", qint64(mouse)},
                                  {"keyboard", qint64(keyboard)}});
    updateState();
}

void KSimDevices::logEvent(const char* kind, const QString& device, const QString& event,
                           int phase) {
    QJsonObject line{{"kind", kind}, {"device", device}, {"event", event}};
    if (phase >= 0)
        line.insert("down", phase == 1);
    m_controller->log(line);
}

KSimController::Reply KSimDevices::press(const QStringList& args) {
    const QString usage = QStringLiteral("usage: press BUTTON [via receiver|ble|other]");
    if (args.size() != 1 && !(args.size() == 3 && args.at(1) == QLatin1String("via")))
        return KSimController::Reply::failure(usage);
    Event event;
    QString error;
    if (!Event::parse(args.first(), &event, &error))
        return KSimController::Reply::failure(error);

    const QString ownBle = event.kind == Event::Consumer ? QStringLiteral("ble-keyboard")
                                                         : QStringLiteral("ble-mouse");
    QString via;
    if (args.size() == 3) {
        via = args.at(2);
        if (via != QLatin1String("receiver") && via != QLatin1String("ble") &&
            via != QLatin1String("other"))
            return KSimController::Reply::failure(usage);
    } else {
        via = isPresent("receiver") ? QStringLiteral("receiver")
              : isPresent(ownBle)   ? QStringLiteral("ble")
                                    : QStringLiteral("other");
    }

    if (via == QLatin1String("receiver")) {
        if (!isPresent("receiver"))
            return KSimController::Reply::failure("the receiver is not attached");
        throughDriver(event);
    } else if (via == QLatin1String("ble")) {
        if (!isPresent(ownBle))
            return KSimController::Reply::failure(QStringLiteral("%1 is not attached").arg(ownBle));
        throughHooks(event, ownBle);
    } else {
        throughHooks(event, event.kind == Event::Consumer ? QStringLiteral("other-keyboard")
                                                          : QStringLiteral("other-mouse"));
    }
    return KSimController::Reply::success();
}

void KSimDevices::throughDriver(const Event& event) {
    const QList<int> phases = event.kind == Event::Wheel ? QList<int>{-1} : QList<int>{1, 0};
    for (int phase : phases) {
        const bool taken = m_driver && m_driver->deliver(event.code, phase != 0);
        logEvent(taken ? "swallowed" : "system", QStringLiteral("receiver"), event.name, phase);
    }
}

void KSimDevices::throughHooks(const Event& event, const QString& device) {
    const bool ordinary = device.startsWith(QLatin1String("other-"));
    const QString logged = ordinary ? QStringLiteral("other") : device;
    const QList<int> phases = event.kind == Event::Wheel ? QList<int>{-1} : QList<int>{1, 0};
    for (int phase : phases) {
        if (ordinary) {
            // Only the maker's devices are ever taken over.
            logEvent("system", logged, event.name, phase);
            continue;
        }
        bool swallowed = false;
        if (accessDenied(device)) {
            // Not taken over: its node could not be opened, so the hooks never see it, and
            // neither does the raw input that comes from the same node.
            logEvent("system", logged, event.name, phase);
            continue;
        }
        if (event.kind == Event::Consumer) {
            KKeyboardHookRecord record;
            record.vkCode = KHookValues::vkForConsumerUsage(event.usage);
            record.flags = phase == 0 ? KHookValues::LlkhfUp : 0;
            swallowed = record.vkCode != 0 && m_hooks && m_hooks->keyboardEvent(record);
        } else {
            KMouseHookRecord record;
            record.message = phase == 0 ? event.upMessage : event.downMessage;
            record.mouseData = event.mouseData;
            swallowed = m_hooks && m_hooks->mouseEvent(record);
        }
        logEvent(swallowed ? "swallowed" : "system", logged, event.name, phase);
        // Raw input sees every mouse record, swallowed or not, tagged with its device.
        if (event.kind != Event::Consumer && m_rawInput)
            m_rawInput->deliver(rawHandleOf(device, KRawInputDevice::Mouse),
                                phase == 0 ? event.rawUp : event.rawDown);
    }
}

// --- HID ---

KSimHidBackend::KSimHidBackend(KSimDevices* devices, QObject* parent)
    : KHidBackend(parent), m_devices(devices) {}

QList<QByteArray> KSimHidBackend::interfacePaths() {
    QList<QByteArray> paths;
    for (const KSimDevices::Interface& iface : m_devices->presentInterfaces())
        paths << iface.detail.devicePath;
    return paths;
}

bool KSimHidBackend::queryInterface(const QByteArray& path, KHID::KHidDetail* detail) {
    KSimDevices::Interface iface;
    if (!m_devices->findInterface(path, &iface))
        return false;
    *detail = iface.detail;
    return true;
}

KHidBackend::Handle KSimHidBackend::open(const QByteArray& path, Access access) {
    bool denied = false;
    return openChecked(path, access, &denied);
}

KHidBackend::Handle KSimHidBackend::openChecked(const QByteArray& path, Access access,
                                                bool* denied) {
    Q_UNUSED(access);
    *denied = false;
    KSimDevices::Interface iface;
    if (!m_devices->findInterface(path, &iface))
        return InvalidHandle;
    if (iface.pairing && m_devices->pairingAccessDenied()) {
        *denied = true;
        m_devices->controller()->log(QJsonObject{{"kind", "hid-open"},
                                                 {"path", QString::fromUtf8(path)},
                                                 {"ok", false},
                                                 {"error", "access denied"}});
        return InvalidHandle;
    }
    QMutexLocker lock(&m_mutex);
    const Handle handle = m_next++;
    m_open.insert(handle, path);
    return handle;
}

void KSimHidBackend::close(Handle handle) {
    QMutexLocker lock(&m_mutex);
    m_open.remove(handle);
}

bool KSimHidBackend::getInputReport(Handle handle, uchar* buffer, int length) {
    QByteArray path;
    {
        QMutexLocker lock(&m_mutex);
        path = m_open.value(handle);
    }
    KSimDevices::Interface iface;
    if (path.isEmpty() || !m_devices->findInterface(path, &iface) || length < 1)
        return false;
    bool ok = true;
    if (iface.pairing) {
        ok = m_devices->pairingInput(buffer, length);
    } else {
        const uchar id = buffer[0];
        std::fill(buffer, buffer + length, uchar(0));
        buffer[0] = id;
    }
    QJsonObject line{{"kind", "hid-in"}, {"path", QString::fromUtf8(path)}, {"ok", ok}};
    if (ok)
        line.insert("bytes", hexBytes(buffer, length));
    m_devices->controller()->log(line);
    return ok;
}

bool KSimHidBackend::setOutputReport(Handle handle, const uchar* buffer, int length) {
    QByteArray path;
    {
        QMutexLocker lock(&m_mutex);
        path = m_open.value(handle);
    }
    KSimDevices::Interface iface;
    if (path.isEmpty() || !m_devices->findInterface(path, &iface) || length < 1)
        return false;
    const bool ok = iface.pairing ? m_devices->pairingOutput(buffer, length) : true;
    m_devices->controller()->log(QJsonObject{{"kind", "hid-out"},
                                             {"path", QString::fromUtf8(path)},
                                             {"bytes", hexBytes(buffer, length)},
                                             {"ok", ok}});
    return ok;
}

// --- Monitor and raw input ---

KSimDeviceMonitor::KSimDeviceMonitor(KSimDevices* devices, QObject* parent)
    : KDeviceMonitor(parent) {
    devices->setMonitor(this);
}

void KSimDeviceMonitor::setSessionActive(bool active) {
    if (active == m_sessionActive)
        return;
    m_sessionActive = active;
    emit sessionActiveChanged(active);
}

KSimRawInputBackend::KSimRawInputBackend(KSimDevices* devices, QObject* parent)
    : KRawInputBackend(parent), m_devices(devices) {
    devices->setRawInput(this);
}

bool KSimRawInputBackend::deviceList(QList<KRawInputDevice>* devices) {
    *devices = m_devices->rawInputDevices();
    return true;
}

bool KSimRawInputBackend::registerMouseInput() {
    m_registered = true;
    return true;
}

void KSimRawInputBackend::deliver(quintptr device, quint16 flags) {
    if (m_registered && device != 0)
        emit mouseInput(device, flags);
}

// --- Filter driver ---

KSimHookDriver::KSimHookDriver(KSimDevices* devices, QObject* parent)
    : KHookDriver(parent), m_devices(devices) {
    devices->setHookDriver(this);
}

bool KSimHookDriver::open() {
    if (m_devices->accessDenied(QStringLiteral("uinput"))) {
        // As on Linux: nothing is grabbed that could not be passed on.
        qWarning().noquote() << "cannot open /dev/uinput (Permission denied), needed to take "
                                "over the receiver's buttons and keys";
        m_devices->controller()->log(
            QJsonObject{{"kind", "denied"}, {"node", "/dev/uinput"}, {"by", "usb"}});
        return false;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_open = true;
    }
    return true;
}

void KSimHookDriver::close() {
    clear();
    QMutexLocker lock(&m_mutex);
    m_open = false;
}

bool KSimHookDriver::isOpen() const {
    QMutexLocker lock(&m_mutex);
    return m_open;
}

bool KSimHookDriver::clear() {
    {
        QMutexLocker lock(&m_mutex);
        if (!m_open)
            return false;
        const bool wasActive = bool(m_semaphore);
        m_semaphore.reset();
        m_queue.clear();
        m_mouseMask = m_keyboardMask = 0;
        if (!wasActive)
            return true;
    }
    m_devices->hookChanged(QStringLiteral("usb"), false);
    return true;
}

bool KSimHookDriver::setFlags(quint32 flags) {
    Q_UNUSED(flags);
    return isOpen();
}

bool KSimHookDriver::setSemaphore(std::shared_ptr<KHookSemaphore> semaphore) {
    {
        QMutexLocker lock(&m_mutex);
        if (!m_open || !semaphore)
            return false;
        m_semaphore = std::move(semaphore);
    }
    m_devices->hookChanged(QStringLiteral("usb"), true);
    return true;
}

bool KSimHookDriver::readKey(quint32* code) {
    QMutexLocker lock(&m_mutex);
    if (!m_open || m_queue.isEmpty())
        return false;
    *code = m_queue.dequeue();
    return true;
}

bool KSimHookDriver::setMouseMask(quint32 mask) {
    return setMask(&m_mouseMask, mask);
}

bool KSimHookDriver::setKeyboardMask(quint32 mask) {
    return setMask(&m_keyboardMask, mask);
}

bool KSimHookDriver::setMask(quint32* slot, quint32 mask) {
    {
        QMutexLocker lock(&m_mutex);
        if (!m_open)
            return false;
        *slot = mask;
    }
    m_devices->masksChanged(QStringLiteral("usb"), mouseMask(), keyboardMask());
    return true;
}

bool KSimHookDriver::isActive() const {
    QMutexLocker lock(&m_mutex);
    return m_open && m_semaphore;
}

quint32 KSimHookDriver::mouseMask() const {
    QMutexLocker lock(&m_mutex);
    return m_mouseMask;
}

quint32 KSimHookDriver::keyboardMask() const {
    QMutexLocker lock(&m_mutex);
    return m_keyboardMask;
}

bool KSimHookDriver::deliver(quint32 code, bool press) {
    // The receiver's event nodes could not be opened: the system has its keys.
    if (m_devices->accessDenied(QStringLiteral("receiver")))
        return false;
    std::shared_ptr<KHookSemaphore> semaphore;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_open || !m_semaphore)
            return false;
        bool keyboard = false;
        const quint32 bit = KHookCodes::maskBitForCode(code, &keyboard);
        if (bit == 0 || !((keyboard ? m_keyboardMask : m_mouseMask) & bit))
            return false;
        if (!press)
            return true;  // the release of a taken key is withheld too
        m_queue.enqueue(code);
        semaphore = m_semaphore;
    }
    semaphore->release(1);
    return true;
}

// --- Low-level hooks ---

KSimLowLevelHookBackend::KSimLowLevelHookBackend(KSimDevices* devices, QObject* parent)
    : KLowLevelHookBackend(parent), m_devices(devices) {
    devices->setLowLevelHooks(this);
}

bool KSimLowLevelHookBackend::installMouseHook(MouseProc proc) {
    if (m_devices->accessDenied(QStringLiteral("uinput"))) {
        m_devices->controller()->log(
            QJsonObject{{"kind", "denied"}, {"node", "/dev/uinput"}, {"by", "ble-mouse"}});
        return false;  // nothing can be taken over without pass-through, as on Linux
    }
    const bool was = hasMouseHook();
    m_mouseProc = std::move(proc);
    if (!was)
        m_devices->hookChanged(QStringLiteral("ble-mouse"), true);
    return true;
}

void KSimLowLevelHookBackend::removeMouseHook() {
    if (hasMouseHook()) {
        m_mouseProc = MouseProc();
        m_devices->hookChanged(QStringLiteral("ble-mouse"), false);
    }
}

bool KSimLowLevelHookBackend::installKeyboardHook(KeyboardProc proc) {
    if (m_devices->accessDenied(QStringLiteral("uinput"))) {
        m_devices->controller()->log(
            QJsonObject{{"kind", "denied"}, {"node", "/dev/uinput"}, {"by", "ble-keyboard"}});
        return false;  // nothing can be taken over without pass-through, as on Linux
    }
    const bool was = hasKeyboardHook();
    m_keyboardProc = std::move(proc);
    if (!was)
        m_devices->hookChanged(QStringLiteral("ble-keyboard"), true);
    return true;
}

void KSimLowLevelHookBackend::removeKeyboardHook() {
    if (hasKeyboardHook()) {
        m_keyboardProc = KeyboardProc();
        m_devices->hookChanged(QStringLiteral("ble-keyboard"), false);
    }
}

void KSimLowLevelHookBackend::setDevicePatterns(const QStringList& patterns) {
    Q_UNUSED(patterns);  // the simulated hooks are global, as on Windows
}

void KSimLowLevelHookBackend::setMasks(quint32 mouseMask, quint32 keyboardMask) {
    m_mouseMask = mouseMask;
    m_keyboardMask = keyboardMask;
    m_devices->masksChanged(QStringLiteral("ble"), mouseMask, keyboardMask);
}

bool KSimLowLevelHookBackend::mouseEvent(const KMouseHookRecord& record) {
    return m_mouseProc && m_mouseProc(record);
}

bool KSimLowLevelHookBackend::keyboardEvent(const KKeyboardHookRecord& record) {
    return m_keyboardProc && m_keyboardProc(record);
}

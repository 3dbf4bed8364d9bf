#include "platform/linux/KLinuxEventReader.h"

#include "platform/KDeviceRefusal.h"
#include "platform/KVirtualDeviceIdentity.h"
#include "platform/linux/KLinuxEventMap.h"
#include "platform/linux/KLinuxUdev.h"
#include "platform/linux/KUinputDevice.h"

#include <QDebug>
#include <QMutexLocker>

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr char kUinputNode[] = "/dev/uinput";
// How often a node whose keys are held is looked at again before it is grabbed.
constexpr int kGrabRetryMs = 20;

// The event types a pass-through device re-emits. LEDs and sounds are set by the system on the
// pass-through device and forwarded to the node; force feedback cannot be stood in for.
constexpr unsigned kCopiedTypes[] = {EV_KEY, EV_REL, EV_ABS, EV_MSC, EV_SW, EV_LED, EV_REP};

bool isPointerNode(libevdev* device) {
    return libevdev_has_event_code(device, EV_REL, REL_X) ||
           libevdev_has_event_code(device, EV_KEY, BTN_LEFT) ||
           libevdev_has_event_code(device, EV_ABS, ABS_X);
}

void copyCapabilities(libevdev* source, libevdev* target) {
    for (unsigned prop = 0; prop <= INPUT_PROP_MAX; ++prop)
        if (libevdev_has_property(source, prop))
            libevdev_enable_property(target, prop);
    for (unsigned type : kCopiedTypes) {
        if (!libevdev_has_event_type(source, type))
            continue;
        libevdev_enable_event_type(target, type);
        const int max = libevdev_event_type_get_max(type);
        for (int code = 0; code <= max; ++code) {
            if (!libevdev_has_event_code(source, type, unsigned(code)))
                continue;
            if (type == EV_ABS) {
                libevdev_enable_event_code(target, type, unsigned(code),
                                           libevdev_get_abs_info(source, unsigned(code)));
            } else if (type == EV_REP) {
                const int value = libevdev_get_event_value(source, type, unsigned(code));
                libevdev_enable_event_code(target, type, unsigned(code), &value);
            } else {
                libevdev_enable_event_code(target, type, unsigned(code), nullptr);
            }
        }
    }
}

}  // namespace

int KLinuxPassThrough::unsupportedReason(libevdev* source) {
    return libevdev_has_event_type(source, EV_FF) ? KDeviceRefusal::ForceFeedback : 0;
}

bool KLinuxPassThrough::create(libevdev* source, QString* error, int* openErrno) {
    if (isCreated())
        return true;
    const QByteArray what = QByteArray("pass-through ") + libevdev_get_name(source);
    const quint16 product = isPointerNode(source)
                                ? KVirtualDeviceIdentity::PRODUCT_PASSTHROUGH_POINTER
                                : KVirtualDeviceIdentity::PRODUCT_PASSTHROUGH_KEYBOARD;
    m_fd = createUinputDevice(
        QString::fromLatin1(kUinputNode), what, product,
        [source](libevdev* dev) { copyCapabilities(source, dev); }, &m_device, error, openErrno);
    if (m_fd < 0) {
        m_device = nullptr;
        return false;
    }
    m_held.reset();
    return true;
}

void KLinuxPassThrough::destroy() {
    if (m_device) {
        releaseHeld();
        libevdev_uinput_destroy(m_device);
    }
    m_device = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_held.reset();
}

void KLinuxPassThrough::releaseHeld() {
    if (!m_device || m_held.none())
        return;
    for (size_t key = 0; key < m_held.size(); ++key)
        if (m_held.test(key))
            libevdev_uinput_write_event(m_device, EV_KEY, unsigned(key), 0);
    libevdev_uinput_write_event(m_device, EV_SYN, SYN_REPORT, 0);
    m_held.reset();
}

void KLinuxPassThrough::emitFrame(const std::vector<input_event>& frame) {
    if (!m_device)
        return;
    bool written = false;
    for (const input_event& event : frame) {
        switch (event.type) {
            case EV_KEY:
                if (event.value == 2 || event.code >= KEY_CNT)
                    continue;  // the pass-through device repeats held keys itself
                m_held.set(event.code, event.value != 0);
                break;
            case EV_REL:
            case EV_ABS:
            case EV_MSC:
            case EV_SW:
                break;
            default:
                continue;  // SYN_DROPPED, and LED echoes of what the system set
        }
        libevdev_uinput_write_event(m_device, event.type, event.code, event.value);
        written = true;
    }
    if (written)
        libevdev_uinput_write_event(m_device, EV_SYN, SYN_REPORT, 0);
}

KLinuxEventReader::KLinuxEventReader(const QString& purpose, Filter filter, Refusal refusal)
    : m_purpose(purpose), m_filter(std::move(filter)), m_refusal(std::move(refusal)) {}

KLinuxEventReader::~KLinuxEventReader() {
    stop();
}

bool KLinuxEventReader::checkAccess(const QList<Node>& nodes, const QString& purpose) {
    for (const Node& node : nodes) {
        const int fd = ::open(node.devnode.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            KLinuxUdev::reportOpenFailure(node.devnode, errno, purpose);
            return false;
        }
        ::close(fd);
    }
    return true;
}

bool KLinuxEventReader::checkUinput(const QString& purpose) {
    const int fd = ::open(kUinputNode, O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        KLinuxUdev::reportOpenFailure(kUinputNode, errno, purpose);
        return false;
    }
    ::close(fd);
    return true;
}

bool KLinuxEventReader::start() {
    if (isRunning())
        return true;
    if (!checkUinput(m_purpose))
        return false;  // never grab what cannot be passed on
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0)
        return false;
    m_stopping = false;
    m_dirty = true;
    m_thread = std::thread([this] { run(); });
    return true;
}

void KLinuxEventReader::stop() {
    if (m_thread.joinable()) {
        m_stopping = true;
        wake();
        m_thread.join();  // the thread lets go of every grab before it ends
    }
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
    m_wakeFd = -1;
    QMutexLocker lock(&m_mutex);
    m_applied = m_requested;
    m_appliedChanged.wakeAll();
}

void KLinuxEventReader::setNodes(const QList<Node>& nodes, WantsGrab wantsGrab) {
    {
        QMutexLocker lock(&m_mutex);
        m_nodes = nodes;
        m_wantsGrab = std::move(wantsGrab);
        ++m_requested;
    }
    m_dirty = true;
    wake();
}

void KLinuxEventReader::sync() {
    QMutexLocker lock(&m_mutex);
    while (isRunning() && m_applied < m_requested)
        m_appliedChanged.wait(&m_mutex, 100);
}

void KLinuxEventReader::wake() {
    if (m_wakeFd >= 0) {
        const quint64 one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    }
}

void KLinuxEventReader::run() {
    while (!m_stopping) {
        if (m_dirty.exchange(false))
            reconcile();

        // Per grabbed node: its own descriptor and its pass-through device's (LED changes).
        std::vector<pollfd> fds;
        std::vector<Open*> polled;
        fds.push_back({m_wakeFd, POLLIN, 0});
        bool pending = false;
        for (auto it = m_open.begin(); it != m_open.end();) {
            Open& open = it->second;
            const Grab grab = open.grabbed ? Grab::Done : tryGrab(open);
            if (grab == Grab::Failed) {
                release(open);
                it = m_open.erase(it);
                continue;
            }
            if (grab == Grab::Wait) {
                pending = true;
            } else {
                fds.push_back({open.fd, POLLIN, 0});
                fds.push_back({open.passThrough->fd(), POLLIN, 0});
                polled.push_back(&open);
            }
            ++it;
        }
        const int rc = ::poll(fds.data(), nfds_t(fds.size()), pending ? kGrabRetryMs : -1);
        if (rc < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN) {
            quint64 count = 0;
            [[maybe_unused]] const ssize_t got = ::read(m_wakeFd, &count, sizeof count);
        }
        QList<QByteArray> gone;
        for (size_t i = 0; i < polled.size(); ++i) {
            const pollfd& node = fds[1 + 2 * i];
            if (node.revents & (POLLERR | POLLHUP | POLLNVAL))
                gone << polled[i]->node.devnode;
            else if (node.revents & POLLIN)
                readNode(*polled[i]);
            if (fds[2 + 2 * i].revents & POLLIN)
                forwardLeds(*polled[i]);
        }
        for (const QByteArray& devnode : gone) {
            auto it = m_open.find(devnode);
            if (it != m_open.end()) {
                release(it->second);  // unplugged: what its pass-through device held goes up
                m_open.erase(it);
            }
        }
    }
    for (auto& entry : m_open)
        release(entry.second);
    m_open.clear();
}

void KLinuxEventReader::reconcile() {
    QList<Node> nodes;
    WantsGrab wantsGrab;
    quint64 requested = 0;
    {
        QMutexLocker lock(&m_mutex);
        nodes = m_nodes;
        wantsGrab = m_wantsGrab;
        requested = m_requested;
    }
    // Let go of the nodes no longer wanted, then open the new ones.
    for (auto it = m_open.begin(); it != m_open.end();) {
        bool keep = false;
        for (const Node& node : nodes)
            keep = keep || node.devnode == it->first;
        if (keep && wantsGrab && wantsGrab(it->second.device)) {
            ++it;
        } else {
            release(it->second);
            it = m_open.erase(it);
        }
    }
    for (const Node& node : nodes) {
        if (m_open.count(node.devnode))
            continue;
        // Read and write: LED changes are written back to the node.
        int fd = ::open(node.devnode.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            fd = ::open(node.devnode.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            KLinuxUdev::reportOpenFailure(node.devnode, errno, m_purpose);
            continue;
        }
        libevdev* device = nullptr;
        if (libevdev_new_from_fd(fd, &device) < 0) {
            ::close(fd);
            continue;
        }
        if (!wantsGrab || !wantsGrab(device)) {
            libevdev_free(device);
            ::close(fd);
            continue;
        }
        Open open;
        open.node = node;
        open.fd = fd;
        open.device = device;
        m_open.emplace(node.devnode, std::move(open));
    }
    QMutexLocker lock(&m_mutex);
    m_applied = requested;
    m_appliedChanged.wakeAll();
}

void KLinuxEventReader::refuse(const Open& open, int reason, const QString& detail) {
    if (m_refused.contains(open.node.devnode))
        return;
    m_refused.insert(open.node.devnode);
    const QString name = QString::fromUtf8(libevdev_get_name(open.device));
    qWarning().noquote() << QStringLiteral("%1 (%2) is not taken over, needed %3: %4.")
                                .arg(QString::fromUtf8(open.node.devnode), name, m_purpose, detail);
    if (m_refusal)
        m_refusal(open.node.devnode, name, reason);
}

KLinuxEventReader::Grab KLinuxEventReader::tryGrab(Open& open) {
    // A key held while the grab begins would have its release go to the pass-through device,
    // leaving it pressed for the system: wait until the device is idle.
    unsigned char keys[KEY_MAX / 8 + 1] = {};
    if (::ioctl(open.fd, EVIOCGKEY(sizeof keys), keys) >= 0) {
        for (unsigned char byte : keys)
            if (byte)
                return Grab::Wait;
    }
    if (const int unsupported = KLinuxPassThrough::unsupportedReason(open.device)) {
        refuse(open, unsupported, QStringLiteral("its force feedback cannot be passed on"));
        return Grab::Failed;
    }
    // Nothing is grabbed without a device that passes the rest on.
    auto passThrough = std::make_unique<KLinuxPassThrough>();
    QString error;
    int openErrno = 0;
    if (!passThrough->create(open.device, &error, &openErrno)) {
        if (openErrno != 0)
            KLinuxUdev::reportOpenFailure(kUinputNode, openErrno, m_purpose);
        refuse(open, KDeviceRefusal::NoPassThrough,
               QStringLiteral("no device can pass its other events on (%1)").arg(error));
        return Grab::Failed;
    }
    if (::ioctl(open.fd, EVIOCGRAB, 1) < 0) {
        qWarning().noquote() << QStringLiteral("cannot take over %1 (%2), needed %3.")
                                    .arg(QString::fromUtf8(open.node.devnode),
                                         QString::fromLocal8Bit(strerror(errno)), m_purpose);
        return Grab::Failed;
    }
    open.grabbed = true;
    open.passThrough = std::move(passThrough);
    open.taken.reset();
    m_refused.remove(open.node.devnode);
    // Whatever was queued before the grab has reached the system already: drop it.
    input_event event;
    int rc = 0;
    do {
        rc = libevdev_next_event(open.device, LIBEVDEV_READ_FLAG_NORMAL, &event);
        while (rc == LIBEVDEV_READ_STATUS_SYNC)
            rc = libevdev_next_event(open.device, LIBEVDEV_READ_FLAG_SYNC, &event);
    } while (rc == LIBEVDEV_READ_STATUS_SUCCESS);
    open.frame.clear();
    return Grab::Done;
}

void KLinuxEventReader::release(Open& open) {
    // What the pass-through device holds goes up before the system gets the node back.
    if (open.passThrough)
        open.passThrough->releaseHeld();
    if (open.grabbed)
        ::ioctl(open.fd, EVIOCGRAB, 0);
    open.grabbed = false;
    open.passThrough.reset();
    if (open.device)
        libevdev_free(open.device);
    open.device = nullptr;
    if (open.fd >= 0)
        ::close(open.fd);
    open.fd = -1;
}

void KLinuxEventReader::processFrame(Open& open) {
    const std::vector<input_event> original = open.frame;
    m_filter(open.node, open.frame);
    open.passThrough->emitFrame(
        KLinuxEventMap::passedOn(original, open.frame, &open.taken, open.passThrough->held()));
    open.frame.clear();
}

void KLinuxEventReader::readNode(Open& open) {
    input_event event;
    for (;;) {
        int rc = libevdev_next_event(open.device, LIBEVDEV_READ_FLAG_NORMAL, &event);
        if (rc == LIBEVDEV_READ_STATUS_SYNC) {
            // Events were dropped: the half frame is lost; the device's state is brought up to
            // date with the delta libevdev computes.
            open.frame.clear();
            while ((rc = libevdev_next_event(open.device, LIBEVDEV_READ_FLAG_SYNC, &event)) ==
                   LIBEVDEV_READ_STATUS_SYNC) {
                if (event.type == EV_SYN && event.code == SYN_REPORT)
                    processFrame(open);
                else if (event.type != EV_SYN)
                    open.frame.push_back(event);
            }
            continue;
        }
        if (rc != LIBEVDEV_READ_STATUS_SUCCESS)
            return;  // -EAGAIN: all read; errors end in POLLERR/POLLHUP
        if (event.type == EV_SYN) {
            if (event.code == SYN_REPORT)
                processFrame(open);
        } else {
            open.frame.push_back(event);
        }
    }
}

void KLinuxEventReader::forwardLeds(Open& open) {
    input_event event;
    while (::read(open.passThrough->fd(), &event, sizeof event) == ssize_t(sizeof event)) {
        if (event.type == EV_LED && libevdev_has_event_code(open.device, EV_LED, event.code))
            libevdev_kernel_set_led_value(open.device, event.code,
                                          event.value ? LIBEVDEV_LED_ON : LIBEVDEV_LED_OFF);
    }
}

#include "platform/linux/KLinuxEventReader.h"

#include "platform/KVirtualDeviceIdentity.h"
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

bool isPointerEvent(const input_event& event) {
    if (event.type == EV_REL)
        return true;
    return event.type == EV_KEY && event.code >= BTN_MISC && event.code < KEY_OK;
}

libevdev_uinput* createDevice(const char* what, quint16 product,
                              const std::function<void(libevdev*)>& describe, int* fdOut,
                              const QString& purpose) {
    libevdev_uinput* created = nullptr;
    QString error;
    int openErrno = 0;
    const int fd = createUinputDevice(QString::fromLatin1(kUinputNode), what, product, describe,
                                      &created, &error, &openErrno);
    if (fd < 0) {
        if (openErrno != 0)
            KLinuxUdev::reportOpenFailure(kUinputNode, openErrno, purpose);
        else
            qWarning().noquote() << error + QStringLiteral(", needed ") + purpose;
        return nullptr;
    }
    *fdOut = fd;
    return created;
}

}  // namespace

bool KLinuxPassThrough::create(const QString& purpose) {
    if (isCreated())
        return true;
    m_pointer = createDevice(
        "pass-through pointer", KVirtualDeviceIdentity::PRODUCT_PASSTHROUGH_POINTER,
        [](libevdev* dev) {
            libevdev_enable_property(dev, INPUT_PROP_POINTER);
            libevdev_enable_event_type(dev, EV_KEY);
            for (unsigned code = BTN_MISC; code < BTN_JOYSTICK; ++code)
                libevdev_enable_event_code(dev, EV_KEY, code, nullptr);
            libevdev_enable_event_type(dev, EV_REL);
            for (unsigned code :
                 {REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES})
                libevdev_enable_event_code(dev, EV_REL, code, nullptr);
        },
        &m_pointerFd, purpose);
    if (!m_pointer)
        return false;
    m_keyboard = createDevice(
        "pass-through keyboard", KVirtualDeviceIdentity::PRODUCT_PASSTHROUGH_KEYBOARD,
        [](libevdev* dev) {
            libevdev_enable_event_type(dev, EV_KEY);
            for (unsigned code = KEY_ESC; code < BTN_MISC; ++code)
                libevdev_enable_event_code(dev, EV_KEY, code, nullptr);
            for (unsigned code = KEY_OK; code < BTN_DPAD_UP; ++code)
                libevdev_enable_event_code(dev, EV_KEY, code, nullptr);
            for (unsigned code = KEY_ALS_TOGGLE; code < BTN_TRIGGER_HAPPY; ++code)
                libevdev_enable_event_code(dev, EV_KEY, code, nullptr);
            libevdev_enable_event_type(dev, EV_LED);
            for (unsigned code = LED_NUML; code <= LED_KANA; ++code)
                libevdev_enable_event_code(dev, EV_LED, code, nullptr);
            // The system repeats held keys of this device itself.
            libevdev_enable_event_type(dev, EV_REP);
        },
        &m_keyboardFd, purpose);
    if (!m_keyboard) {
        destroy();
        return false;
    }
    return true;
}

void KLinuxPassThrough::destroy() {
    for (libevdev_uinput** device : {&m_pointer, &m_keyboard}) {
        if (*device)
            libevdev_uinput_destroy(*device);
        *device = nullptr;
    }
    for (int* fd : {&m_pointerFd, &m_keyboardFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void KLinuxPassThrough::emitFrame(const std::vector<input_event>& frame) {
    if (!isCreated())
        return;
    bool pointer = false;
    bool keyboard = false;
    for (const input_event& event : frame) {
        if (event.type == EV_SYN || event.type == EV_MSC)
            continue;
        if (event.type == EV_KEY && event.value == 2)
            continue;  // the pass-through keyboard repeats by itself
        if (isPointerEvent(event)) {
            libevdev_uinput_write_event(m_pointer, event.type, event.code, event.value);
            pointer = true;
        } else if (event.type == EV_KEY) {
            libevdev_uinput_write_event(m_keyboard, event.type, event.code, event.value);
            keyboard = true;
        }
    }
    if (pointer)
        libevdev_uinput_write_event(m_pointer, EV_SYN, SYN_REPORT, 0);
    if (keyboard)
        libevdev_uinput_write_event(m_keyboard, EV_SYN, SYN_REPORT, 0);
}

KLinuxEventReader::KLinuxEventReader(const QString& purpose, Filter filter)
    : m_purpose(purpose), m_filter(std::move(filter)) {}

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

bool KLinuxEventReader::start() {
    if (isRunning())
        return true;
    if (!m_passThrough.create(m_purpose))
        return false;  // never grab what cannot be passed on
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        m_passThrough.destroy();
        return false;
    }
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
    m_passThrough.destroy();
}

void KLinuxEventReader::setNodes(const QList<Node>& nodes, WantsGrab wantsGrab) {
    {
        QMutexLocker lock(&m_mutex);
        m_nodes = nodes;
        m_wantsGrab = std::move(wantsGrab);
    }
    m_dirty = true;
    wake();
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

        std::vector<pollfd> fds;
        std::vector<Open*> polled;
        fds.push_back({m_wakeFd, POLLIN, 0});
        fds.push_back({m_passThrough.keyboardFd(), POLLIN, 0});
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
        if (fds[1].revents & POLLIN)
            forwardLeds();
        QList<QByteArray> gone;
        for (size_t i = 0; i < polled.size(); ++i) {
            if (fds[i + 2].revents & (POLLERR | POLLHUP | POLLNVAL))
                gone << polled[i]->node.devnode;
            else if (fds[i + 2].revents & POLLIN)
                readNode(*polled[i]);
        }
        for (const QByteArray& devnode : gone) {
            auto it = m_open.find(devnode);
            if (it != m_open.end()) {
                release(it->second);
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
    {
        QMutexLocker lock(&m_mutex);
        nodes = m_nodes;
        wantsGrab = m_wantsGrab;
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
        // Read and write: the grabbed keyboards get their LEDs from the pass-through keyboard.
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
        bool take = wantsGrab && wantsGrab(device);
        if (take &&
            (libevdev_has_event_type(device, EV_ABS) || libevdev_has_event_type(device, EV_SW))) {
            // Touch surfaces, tablets and switches cannot be re-emitted by the pass-through
            // devices: such a node stays the system's.
            if (!m_refused.contains(node.devnode))
                qInfo().noquote() << QStringLiteral(
                                         "[Info] %1 (%2) is not taken over: its "
                                         "absolute axes or switches cannot be passed on")
                                         .arg(QString::fromUtf8(node.devnode),
                                              QString::fromUtf8(libevdev_get_name(device)));
            m_refused.insert(node.devnode);
            take = false;
        }
        if (!take) {
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
    if (::ioctl(open.fd, EVIOCGRAB, 1) < 0) {
        qWarning().noquote() << QStringLiteral("cannot take over %1 (%2), needed %3.")
                                    .arg(QString::fromUtf8(open.node.devnode),
                                         QString::fromLocal8Bit(strerror(errno)), m_purpose);
        return Grab::Failed;
    }
    open.grabbed = true;
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
    if (open.grabbed)
        ::ioctl(open.fd, EVIOCGRAB, 0);
    open.grabbed = false;
    if (open.device)
        libevdev_free(open.device);
    open.device = nullptr;
    if (open.fd >= 0)
        ::close(open.fd);
    open.fd = -1;
}

void KLinuxEventReader::readNode(Open& open) {
    auto process = [&] {
        m_filter(open.node, open.frame);
        m_passThrough.emitFrame(open.frame);
        open.frame.clear();
    };
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
                    process();
                else if (event.type != EV_SYN)
                    open.frame.push_back(event);
            }
            continue;
        }
        if (rc != LIBEVDEV_READ_STATUS_SUCCESS)
            return;  // -EAGAIN: all read; errors end in POLLERR/POLLHUP
        if (event.type == EV_SYN) {
            if (event.code == SYN_REPORT)
                process();
        } else {
            open.frame.push_back(event);
        }
    }
}

void KLinuxEventReader::forwardLeds() {
    input_event event;
    while (::read(m_passThrough.keyboardFd(), &event, sizeof event) == ssize_t(sizeof event)) {
        if (event.type != EV_LED)
            continue;
        for (auto& entry : m_open) {
            Open& open = entry.second;
            if (open.grabbed && libevdev_has_event_code(open.device, EV_LED, event.code))
                libevdev_kernel_set_led_value(open.device, event.code,
                                              event.value ? LIBEVDEV_LED_ON : LIBEVDEV_LED_OFF);
        }
    }
}

#include "platform/linux/KGammaControl.h"

#include "wlr-gamma-control-unstable-v1-client-protocol.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace {

using Output = KWlrGammaControl::Output;

const wl_registry_listener kRegistryListener = {
    [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
        static_cast<KWlrGammaControl*>(data)->onGlobal(registry, name, interface, version);
    },
    [](void* data, wl_registry*, uint32_t name) {
        static_cast<KWlrGammaControl*>(data)->onGlobalRemove(name);
    },
};

const zwlr_gamma_control_v1_listener kControlListener = {
    [](void* data, zwlr_gamma_control_v1*, uint32_t size) {
        static_cast<Output*>(data)->gammaSize = int(std::min<uint32_t>(size, 1u << 20));
    },
    [](void* data, zwlr_gamma_control_v1*) { static_cast<Output*>(data)->failed = true; },
};

const wl_callback_listener kSyncListener = {
    [](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; },
};

// The table as the protocol wants it: red, green and blue ramps one after the other in a
// sealed memory file. -1 on failure.
int tableFile(const KGammaTable& table) {
    const int fd = memfd_create("pointora-gamma", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    std::vector<quint16> data;
    data.reserve(size_t(table.size()) * 3);
    data.insert(data.end(), table.red.begin(), table.red.end());
    data.insert(data.end(), table.green.begin(), table.green.end());
    data.insert(data.end(), table.blue.begin(), table.blue.end());
    const size_t bytes = data.size() * sizeof(quint16);
    const char* p = reinterpret_cast<const char*>(data.data());
    size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::write(fd, p + done, bytes - done);
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        done += size_t(n);
    }
    ::lseek(fd, 0, SEEK_SET);
    fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return fd;
}

}  // namespace

KWlrGammaControl::KWlrGammaControl(const QString& socketName, int timeoutMs)
    : m_socketName(socketName), m_timeoutMs(timeoutMs) {}

KWlrGammaControl::~KWlrGammaControl() {
    restoreOnDestruction();
    disconnectDisplay();
}

void KWlrGammaControl::onGlobal(wl_registry* registry, quint32 name, const char* interface,
                                quint32) {
    if (strcmp(interface, zwlr_gamma_control_manager_v1_interface.name) == 0 && !m_manager) {
        m_manager = static_cast<zwlr_gamma_control_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_gamma_control_manager_v1_interface, 1));
    } else if (strcmp(interface, wl_output_interface.name) == 0) {
        auto* output = new Output;
        output->name = name;
        output->owner = this;
        output->output =
            static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
        m_outputs << output;
    }
}

void KWlrGammaControl::onGlobalRemove(quint32 name) {
    for (int i = 0; i < m_outputs.size(); ++i) {
        Output* output = m_outputs.at(i);
        if (output->name != name)
            continue;
        destroyControl(output);
        wl_output_destroy(output->output);
        delete output;
        m_outputs.removeAt(i);
        return;
    }
}

void KWlrGammaControl::destroyControl(Output* output) {
    if (output->control)
        zwlr_gamma_control_v1_destroy(output->control);
    output->control = nullptr;
    output->gammaSize = -1;
    output->failed = false;
}

bool KWlrGammaControl::connectDisplay() {
    const QByteArray name = m_socketName.toLocal8Bit();
    m_display = wl_display_connect(name.isEmpty() ? nullptr : name.constData());
    if (!m_display) {
        setUnavailableReason(
            QStringLiteral("no Wayland compositor reachable at %1")
                .arg(QString::fromLocal8Bit(name.isEmpty() ? qgetenv("WAYLAND_DISPLAY") : name)));
        return false;
    }
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &kRegistryListener, this);
    if (!roundtrip()) {
        setUnavailableReason(QStringLiteral("the Wayland compositor does not answer"));
        disconnectDisplay();
        return false;
    }
    // Later events (outputs coming and going, failed controls) are read as they arrive.
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { dispatchIncoming(); });
    return true;
}

void KWlrGammaControl::disconnectDisplay() {
    if (!m_display)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    for (Output* output : qAsConst(m_outputs)) {
        destroyControl(output);
        wl_output_destroy(output->output);
        delete output;
    }
    m_outputs.clear();
    if (m_manager)
        zwlr_gamma_control_manager_v1_destroy(m_manager);
    m_manager = nullptr;
    if (m_registry)
        wl_registry_destroy(m_registry);
    m_registry = nullptr;
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
    m_display = nullptr;
}

bool KWlrGammaControl::roundtrip() {
    bool done = false;
    wl_callback* callback = wl_display_sync(m_display);
    wl_callback_add_listener(callback, &kSyncListener, &done);
    const QDeadlineTimer deadline(m_timeoutMs);
    const int fd = wl_display_get_fd(m_display);
    while (!done) {
        if (wl_display_dispatch_pending(m_display) < 0)
            break;
        if (done)
            break;
        if (wl_display_prepare_read(m_display) != 0)
            continue;
        wl_display_flush(m_display);
        pollfd readable{fd, POLLIN, 0};
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0 || ::poll(&readable, 1, int(remaining)) <= 0) {
            wl_display_cancel_read(m_display);
            break;
        }
        if (wl_display_read_events(m_display) < 0)
            break;
    }
    // Without an answer the callback may still come; destroying it makes it ignored.
    wl_callback_destroy(callback);
    return done && wl_display_get_error(m_display) == 0;
}

void KWlrGammaControl::dispatchIncoming() {
    if (!m_display)
        return;
    if (wl_display_prepare_read(m_display) == 0) {
        if (wl_display_read_events(m_display) < 0) {
            qWarning() << "desktop: the Wayland connection for gamma control broke";
            disconnectDisplay();
            return;
        }
    }
    wl_display_dispatch_pending(m_display);
    if (wl_display_get_error(m_display) != 0) {
        qWarning() << "desktop: the Wayland connection for gamma control broke";
        disconnectDisplay();
    }
}

KGammaControl::Result KWlrGammaControl::applyCurve(const KDesktopBackend::GammaRamp& curve) {
    if (m_display && wl_display_get_error(m_display) != 0)
        disconnectDisplay();
    if (!m_display) {
        if (!connectDisplay())
            return Result::Unavailable;
    } else if (!roundtrip()) {
        // Outputs announced since the last press are known after this.
        return Result::Failed;
    }
    if (!m_manager) {
        setUnavailableReason(QStringLiteral("the Wayland compositor offers no wlr gamma control"));
        return Result::Unavailable;
    }
    // A control per output; one that failed earlier (another client had the output) is tried
    // again.
    bool created = false;
    for (Output* output : qAsConst(m_outputs)) {
        if (output->failed)
            destroyControl(output);
        if (!output->control) {
            output->control =
                zwlr_gamma_control_manager_v1_get_gamma_control(m_manager, output->output);
            zwlr_gamma_control_v1_add_listener(output->control, &kControlListener, output);
            created = true;
        }
    }
    if (created && !roundtrip())
        return Result::Failed;
    int sent = 0;
    for (Output* output : qAsConst(m_outputs)) {
        if (!output->control || output->failed || output->gammaSize <= 1)
            continue;
        const int fd = tableFile(KGamma::compose(curve, KGammaTable::identity(output->gammaSize)));
        if (fd < 0) {
            qWarning() << "desktop: no memory file for the gamma table:" << strerror(errno);
            return Result::Failed;
        }
        zwlr_gamma_control_v1_set_gamma(output->control, fd);
        ::close(fd);
        ++sent;
    }
    if (sent == 0) {
        setUnavailableReason(
            m_outputs.isEmpty()
                ? QStringLiteral("the Wayland compositor has no output")
                : QStringLiteral("no output of the Wayland compositor takes gamma tables"));
        return Result::Unavailable;
    }
    // A refused table comes back as "failed" on its control.
    if (!roundtrip())
        return Result::Failed;
    int applied = 0;
    for (Output* output : qAsConst(m_outputs))
        if (output->control && !output->failed && output->gammaSize > 1)
            ++applied;
    if (applied == 0) {
        setUnavailableReason(QStringLiteral("the Wayland compositor refused every gamma table"));
        return Result::Unavailable;
    }
    return Result::Applied;
}

void KWlrGammaControl::restoreTables() {
    if (!m_display)
        return;
    // The compositor puts the outputs' own tables back when their controls go.
    for (Output* output : qAsConst(m_outputs))
        destroyControl(output);
    roundtrip();
}

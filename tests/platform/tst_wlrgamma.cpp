// The wlr gamma-control route against a compositor whose outputs have gamma tables: a small
// Wayland server on its own thread speaks the protocol as wlroots does (gamma_size on creation,
// failed for outputs without tables and for a second client on a held output, the table read
// from the sent file, the output's own table back when its control goes).
#include "common/TestEnv.h"
#include "platform/linux/KGammaControl.h"
#include "simulation/KWinSimulator.h"

#include "wlr-gamma-control-unstable-v1-server-protocol.h"

#include <QMutex>
#include <QtTest>

#include <wayland-server.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <list>
#include <thread>

using Result = KGammaControl::Result;

namespace {

class FakeWlrCompositor {
public:
    struct Output {
        int gammaSize = 0;
        wl_resource* holder = nullptr;  // the control with exclusive access
        KGammaTable table;              // what the output shows
        int restores = 0;
    };

    explicit FakeWlrCompositor(const QString& socketPath, const QList<int>& gammaSizes)
        : m_sizes(gammaSizes) {
        m_display = wl_display_create();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socketPath);
        strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd, 8) != 0 || wl_display_add_socket_fd(m_display, fd) != 0) {
            ::close(fd);
            return;
        }
        m_outputs.reserve(16);
        for (int size : m_sizes)
            addOutput(size);
        wl_global_create(m_display, &zwlr_gamma_control_manager_v1_interface, 1, this,
                         &FakeWlrCompositor::bindManager);
        m_ok = true;
        m_thread = std::thread([this] {
            wl_event_loop* loop = wl_display_get_event_loop(m_display);
            while (!m_stop) {
                if (m_addOutput.exchange(0) > 0) {
                    QMutexLocker lock(&m_mutex);
                    addOutput(256);
                }
                wl_event_loop_dispatch(loop, 20);
                wl_display_flush_clients(m_display);
            }
        });
    }
    ~FakeWlrCompositor() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        wl_display_destroy_clients(m_display);
        wl_display_destroy(m_display);
    }
    bool isUp() const { return m_ok; }
    void plugOutput() { m_addOutput = 1; }
    Output output(int i) {
        QMutexLocker lock(&m_mutex);
        return i < int(m_outputs.size()) ? m_outputs[size_t(i)] : Output();
    }
    int outputCount() {
        QMutexLocker lock(&m_mutex);
        return int(m_outputs.size());
    }

private:
    void addOutput(int gammaSize) {
        Output output;
        output.gammaSize = gammaSize;
        output.table = KGammaTable::identity(gammaSize);
        m_outputs.push_back(output);
        m_outputIndex.push_back(int(m_outputs.size()) - 1);
        wl_global_create(m_display, &wl_output_interface, 1, &m_outputIndex.back(),
                         [](wl_client* client, void* data, uint32_t version, uint32_t id) {
                             wl_resource* r =
                                 wl_resource_create(client, &wl_output_interface, int(version), id);
                             wl_resource_set_implementation(r, nullptr, data, nullptr);
                         });
    }

    static void bindManager(wl_client* client, void* data, uint32_t version, uint32_t id) {
        static const struct zwlr_gamma_control_manager_v1_interface implementation = {
            &FakeWlrCompositor::getControl,
            [](wl_client*, wl_resource* r) { wl_resource_destroy(r); },
        };
        wl_resource* r =
            wl_resource_create(client, &zwlr_gamma_control_manager_v1_interface, int(version), id);
        wl_resource_set_implementation(r, &implementation, data, nullptr);
    }

    struct Control {
        FakeWlrCompositor* compositor;
        int output;
    };

    static void getControl(wl_client* client, wl_resource* manager, uint32_t id,
                           wl_resource* outputResource) {
        static const struct zwlr_gamma_control_v1_interface implementation = {
            &FakeWlrCompositor::setGamma,
            [](wl_client*, wl_resource* r) { wl_resource_destroy(r); },
        };
        auto* self = static_cast<FakeWlrCompositor*>(wl_resource_get_user_data(manager));
        const int index = *static_cast<int*>(wl_resource_get_user_data(outputResource));
        wl_resource* r = wl_resource_create(client, &zwlr_gamma_control_v1_interface,
                                            wl_resource_get_version(manager), id);
        auto* control = new Control{self, index};
        wl_resource_set_implementation(r, &implementation, control, [](wl_resource* r) {
            auto* c = static_cast<Control*>(wl_resource_get_user_data(r));
            QMutexLocker lock(&c->compositor->m_mutex);
            Output& o = c->compositor->m_outputs[size_t(c->output)];
            if (o.holder == r) {
                o.holder = nullptr;
                o.table = KGammaTable::identity(o.gammaSize);
                ++o.restores;
            }
            delete c;
        });
        QMutexLocker lock(&self->m_mutex);
        Output& o = self->m_outputs[size_t(index)];
        if (o.gammaSize == 0 || o.holder) {
            zwlr_gamma_control_v1_send_failed(r);
            return;
        }
        o.holder = r;
        zwlr_gamma_control_v1_send_gamma_size(r, uint32_t(o.gammaSize));
    }

    static void setGamma(wl_client*, wl_resource* r, int32_t fd) {
        auto* c = static_cast<Control*>(wl_resource_get_user_data(r));
        QMutexLocker lock(&c->compositor->m_mutex);
        Output& o = c->compositor->m_outputs[size_t(c->output)];
        const size_t n = size_t(o.gammaSize);
        std::vector<quint16> data(n * 3);
        struct stat info {};
        if (o.holder != r || ::fstat(fd, &info) != 0 || size_t(info.st_size) != n * 6 ||
            ::pread(fd, data.data(), n * 6, 0) != ssize_t(n * 6)) {
            ::close(fd);
            wl_resource_post_error(r, ZWLR_GAMMA_CONTROL_V1_ERROR_INVALID_GAMMA, "bad table");
            return;
        }
        ::close(fd);
        o.table.red.assign(data.begin(), data.begin() + long(n));
        o.table.green.assign(data.begin() + long(n), data.begin() + long(2 * n));
        o.table.blue.assign(data.begin() + long(2 * n), data.end());
    }

    QList<int> m_sizes;
    wl_display* m_display = nullptr;
    std::vector<Output> m_outputs;
    std::list<int> m_outputIndex;  // stable addresses for the output globals
    QMutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_addOutput{0};
    bool m_ok = false;
};

}  // namespace

class TestWlrGamma : public QObject {
    Q_OBJECT
private slots:
    void setExclusiveAndRestored() {
        TestEnv env;
        FakeWlrCompositor compositor(env.path("run/wayland-fake"), {256, 1024, 0});
        QVERIFY(compositor.isUp());
        const auto curve = KWinSimulator::gammaRamp(200);
        {
            KWlrGammaControl control(env.path("run/wayland-fake"), 2000);
            QCOMPARE(control.apply(curve), Result::Applied);
            QCOMPARE(compositor.output(0).table,
                     KGamma::compose(curve, KGammaTable::identity(256)));
            QCOMPARE(compositor.output(1).table,
                     KGamma::compose(curve, KGammaTable::identity(1024)));
            QCOMPARE(compositor.output(2).table, KGammaTable());

            // A second press replaces the table (the control stays held).
            const auto darker = KWinSimulator::gammaRamp(40);
            QCOMPARE(control.apply(darker), Result::Applied);
            QCOMPARE(compositor.output(1).table,
                     KGamma::compose(darker, KGammaTable::identity(1024)));
            QCOMPARE(compositor.output(1).restores, 0);

            // Held outputs are exclusive: another client gets nothing, and says so.
            KWlrGammaControl other(env.path("run/wayland-fake"), 2000);
            QCOMPARE(other.apply(curve), Result::Unavailable);
            QVERIFY(!other.available());

            control.restore();
            QCOMPARE(compositor.output(0).restores, 1);
            QCOMPARE(compositor.output(1).table, KGammaTable::identity(1024));
            QCOMPARE(other.apply(curve), Result::Applied);
            QVERIFY(other.available());

            // An output plugged in later gets the curve at the next press.
            compositor.plugOutput();
            QTRY_COMPARE(compositor.outputCount(), 4);
            QCOMPARE(other.apply(curve), Result::Applied);
            QCOMPARE(compositor.output(3).table,
                     KGamma::compose(curve, KGammaTable::identity(256)));
        }
        // Both controls are gone: every output shows its own table.
        for (int i = 0; i < 4; ++i)
            if (compositor.output(i).gammaSize > 0)
                QCOMPARE(compositor.output(i).table,
                         KGammaTable::identity(compositor.output(i).gammaSize));
    }

    void noOutputWithATable() {
        TestEnv env;
        FakeWlrCompositor compositor(env.path("run/wayland-fake"), {0, 0});
        QVERIFY(compositor.isUp());
        KWlrGammaControl control(env.path("run/wayland-fake"), 2000);
        QCOMPARE(control.apply(KWinSimulator::gammaRamp(200)), Result::Unavailable);
        QVERIFY(!control.available());
    }
};

QTEST_GUILESS_MAIN(TestWlrGamma)
#include "tst_wlrgamma.moc"

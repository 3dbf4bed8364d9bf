#pragma once

#include "platform/KInputInjector.h"
#include "platform/linux/KXkbLayout.h"

#include <QMutex>

#include <memory>

// The Linux input injector: a uinput virtual device when the uinput node can be opened, XTest
// when only an X server is reachable (in a Wayland session only Xwayland's programs receive
// those), and nothing (said once in the log) when neither works.
// The choice is made once, at construction. Safe to call from any thread.
class KLinuxInputInjector : public KInputInjector {
public:
    struct Options {
        QString uinputPath = QStringLiteral("/dev/uinput");
        QString displayName;  // empty: $DISPLAY
        // The session's layout for uinput (XTest reads the X server's own); null: US positions.
        std::shared_ptr<KXkbLayoutSlot> layout;
        // A Wayland session: XTest then reaches only the X11 programs under Xwayland.
        bool waylandSession = false;
    };
    // The process's session.
    static Options defaultOptions();

    KLinuxInputInjector();
    explicit KLinuxInputInjector(const Options& options);
    ~KLinuxInputInjector() override;

    void sendKey(quint8 vk, bool up, quintptr extraInfo) override;
    void sendMouse(quint32 flags, qint32 data, quintptr extraInfo) override;
    QString method() const override;
    Reach reach() const override { return m_reach; }

private:
    QMutex m_mutex;
    std::unique_ptr<KInputInjector> m_active;
    Reach m_reach = Reach::Nobody;
};

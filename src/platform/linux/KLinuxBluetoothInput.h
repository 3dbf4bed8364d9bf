#pragma once

#include "platform/KLowLevelHookBackend.h"
#include "platform/KRawInputBackend.h"
#include "platform/linux/KLinuxEventReader.h"

#include <QMutex>
#include <QSet>
#include <QTimer>

#include <atomic>

class KDeviceMonitor;

// Raw input on Linux: every evdev node is a raw-input device; Bluetooth ones are named in the
// form the Bluetooth patterns expect. Mouse records come from the nodes the low-level hooks have
// taken over (raw input of other devices is of no use to the program).
class KLinuxRawInputBackend : public KRawInputBackend {
    Q_OBJECT
public:
    using KRawInputBackend::KRawInputBackend;

    bool deviceList(QList<KRawInputDevice>* devices) override;
    bool registerMouseInput() override;
    bool isRegistered() const { return m_registered; }

private:
    std::atomic_bool m_registered{false};
};

// Low-level hooks on Linux: there are no global hooks, so the recognised Bluetooth devices are
// taken over one by one (each with its pass-through device) while a hook is installed and the
// masks select a key the device has; each of their events becomes a hook record for the
// installed procedure and a raw-input record. No other device is ever touched. The procedures
// run on the reader's thread. Changes (procedures, masks, devices) are looked at once per turn of
// the event loop, so a hook removed and installed again at once keeps its devices.
class KLinuxLowLevelHookBackend : public KLowLevelHookBackend {
    Q_OBJECT
public:
    KLinuxLowLevelHookBackend(KLinuxRawInputBackend* rawInput, KDeviceMonitor* monitor,
                              QObject* parent = nullptr);
    ~KLinuxLowLevelHookBackend() override;

    bool installMouseHook(MouseProc proc) override;
    void removeMouseHook() override;
    bool installKeyboardHook(KeyboardProc proc) override;
    void removeKeyboardHook() override;
    void setDevicePatterns(const QStringList& patterns) override;
    void setMasks(quint32 mouseMask, quint32 keyboardMask) override;

private:
    // Installs (or, with an empty one, removes) a procedure and takes the devices over again.
    template <typename Proc>
    bool replaceProc(Proc* slot, Proc proc);
    void updateGrabs();
    void scheduleUpdate() { m_update.start(); }
    void filter(const KLinuxEventReader::Node& node, std::vector<input_event>& frame);

    KLinuxRawInputBackend* m_rawInput;
    KLinuxEventReader m_reader;
    QTimer m_update;
    QStringList m_patterns;
    std::atomic<quint32> m_mouseMask{0};
    std::atomic<quint32> m_keyboardMask{0};
    QMutex m_procMutex;  // held while a procedure runs; guards the two below
    MouseProc m_mouseProc;
    KeyboardProc m_keyboardProc;
};

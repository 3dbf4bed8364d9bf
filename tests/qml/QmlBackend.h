#pragma once

// The back-end objects the interface's screens use, published on a QML engine under the names the
// application manager gives them. Real objects where they exist (UIManager, KTranslator, KLocator,
// KMsgManager, KConfigCommon, KFuncCommon); test doubles for the rest (BackendDoubles.h). The
// object "TestBackend" lets QML tests drive and inspect what the doubles stand in for.
// Call after the QApplication exists and the configuration location is private to the run.

#include "BackendDoubles.h"
#include "simulation/KFuncCommon.h"

#include <QObject>

class QQmlEngine;
class QTranslator;
class UIManager;

class QmlBackend : public QObject {
    Q_OBJECT
public:
    explicit QmlBackend(QObject* parent = nullptr);
    ~QmlBackend() override;

    // Registers the "k.tools" 1.0 types the screens create.
    static void registerTypes();
    void publish(QQmlEngine* engine);

    // --- for tests and the screenshot harness ---
    Q_INVOKABLE void setDevices(int usb, int bleMs, int bleKb);
    Q_INVOKABLE void finishPairing(bool status, const QString& msg);
    Q_INVOKABLE int pairRequests() const { return m_pair.requests; }
    Q_INVOKABLE int lastPairType() const { return m_pair.lastType; }
    Q_INVOKABLE int pointerSpeed() const { return m_sensitivity.speed; }
    Q_INVOKABLE bool autoRunEntry() const { return m_winSimulator.autoRun; }
    Q_INVOKABLE void setAutoRunEntry(bool on) { m_winSimulator.autoRun = on; }
    Q_INVOKABLE QStringList passwordRequests() const { return NetUpdatePwdDouble::requests; }
    Q_INVOKABLE void finishPasswordRequest(int code, const QString& msg);
    Q_INVOKABLE void returnVersion(const QString& version, const QString& downloadUrl);
    Q_INVOKABLE void logIn(const QString& nickName, const QString& token);
    // Default assignments and pictures, Chinese, receiver attached, no requests recorded.
    Q_INVOKABLE void reset();

private:
    UIManager* m_ui = nullptr;
    QTranslator* m_translator = nullptr;
    KFuncCommon m_funcCommon;
    DeviceWatcherDouble m_deviceWatcher;
    PairDouble m_pair;
    MouseSensitivityDouble m_sensitivity;
    WinSimulatorDouble m_winSimulator;
    UpdaterDouble m_updater;
};

#pragma once

// The back-end objects the interface's screens use, published on a QML engine under the names the
// application manager gives them: the real objects on the simulated platform, and a test double
// for the pairing controller (BackendDoubles.h). The cloud service is a scripted HTTP server on
// loopback. The object "TestBackend" lets QML tests and the screenshot harness drive the
// simulated system and see what reached it.
// Create after the QApplication exists, with POINTORA_PLATFORM=sim and a private configuration
// location.

#include "BackendDoubles.h"
#include "net/KUpdater.h"
#include "net/ScriptedServer.h"
#include "simulation/KFuncCommon.h"
#include "simulation/KMouseSensitivity.h"

#include <QObject>
#include <QStringList>

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
    // True once the online check has found the scripted service.
    bool isOnline() const;

    // --- for tests and the screenshot harness ---
    // Attaches or detaches the simulated receiver, Bluetooth mouse and Bluetooth keyboard.
    Q_INVOKABLE void setDevices(bool receiver, bool bleMouse, bool bleKeyboard);
    Q_INVOKABLE void finishPairing(bool status, const QString& msg);
    Q_INVOKABLE int pairRequests() const { return m_pair.requests; }
    Q_INVOKABLE int lastPairType() const { return m_pair.lastType; }
    // The simulated system's pointer speed and autorun entry.
    Q_INVOKABLE int pointerSpeed() const;
    Q_INVOKABLE bool autoRunEntry() const;
    Q_INVOKABLE void setAutoRunEntry(bool on);
    // Password changes the service received, as "password|rePassword".
    Q_INVOKABLE QStringList passwordRequests() const;
    // The service's answer to the next request: the envelope's code and message.
    Q_INVOKABLE void answerNextRequest(int code, const QString& msg);
    // The next request waits until releaseHeld answers it with this envelope; how many waited.
    Q_INVOKABLE void holdNextRequest();
    Q_INVOKABLE int releaseHeld(int code, const QString& msg);
    // Requests the service received since the last reset.
    Q_INVOKABLE int requestCount() const { return m_service.requests().size() - m_requestsBefore; }
    // The service offers this version; the update check asks for it.
    Q_INVOKABLE void offerVersion(const QString& version, const QString& downloadUrl);
    Q_INVOKABLE void logIn(const QString& nickName, const QString& token);
    // Default assignments and pictures, Chinese, only the receiver attached, no requests.
    Q_INVOKABLE void reset();

private:
    ScriptedServer m_service;
    UIManager* m_ui = nullptr;
    QTranslator* m_translator = nullptr;
    KFuncCommon m_funcCommon;
    KMouseSensitivity m_sensitivity;
    KUpdater m_updater;
    PairDouble m_pair;
    int m_requestsBefore = 0;
};

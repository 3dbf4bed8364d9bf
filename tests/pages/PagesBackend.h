#pragma once

// The back end of the window, pages and dialogs for QML tests and the screenshot harness: the
// application manager with its wiring (device hook to device simulator, configuration changes to
// both) and the hook started, every object it publishes, real, on the simulated platform, and a
// running pointora-cloud on a free loopback port with its data in a temporary folder. Published as
// the context properties of the program plus "PagesBackend", through which tests drive the
// simulated system and look at the service.
// Create after the QApplication exists, with POINTORA_PLATFORM=sim, a private configuration
// location and, for simLog(), POINTORA_SIM_LOG.

#include <QHash>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariantList>

class AppManager;
class QQmlEngine;
class UIManager;

class PagesBackend : public QObject {
    Q_OBJECT
public:
    explicit PagesBackend(QObject* parent = nullptr);
    ~PagesBackend() override;

    void publish(QQmlEngine* engine);
    // Empty when the service is up and the program sees it online; otherwise what went wrong.
    QString startError() const { return m_error; }
    UIManager* uiManager() const;

    // --- for tests and the screenshot harness ---
    // Attaches or detaches the simulated receiver, Bluetooth mouse and Bluetooth keyboard.
    Q_INVOKABLE void setDevices(bool receiver, bool bleMouse, bool bleKeyboard);
    // One command of the simulation's socket ("press forward"); its answer line.
    Q_INVOKABLE QString simCommand(const QString& line);
    // The events of the simulation's log (POINTORA_SIM_LOG), oldest first.
    Q_INVOKABLE QVariantList simLog() const;
    // How many requests to the service path (for example "/v1/user/login") it has answered.
    Q_INVOKABLE int requestCount(const QString& path) const;
    // The verification code of the last recovery mail to address ("" when none).
    Q_INVOKABLE QString outboxCode(const QString& address) const;
    // Registers an account directly with the service; returns the service's code.
    Q_INVOKABLE int createAccount(const QString& nickName, const QString& email,
                                  const QString& password);
    // Logs in directly (storing nickname and token as the program does); returns the code.
    Q_INVOKABLE int logIn(const QString& email, const QString& password);
    // Stores an account as a login would (a token the service may not know).
    Q_INVOKABLE void setAccount(const QString& nickName, const QString& token);
    // Restarts the service so that its update check answers this version and address.
    Q_INVOKABLE bool setLatestVersion(const QString& version, const QString& downloadUrl);
    // The receiver's driver reports that it cannot take a node over (KDeviceRefusal::Reason).
    Q_INVOKABLE void refuseDevice(const QString& node, const QString& name, int reason);
    // A folder in place of DeviceFunction.ini (blocked, so that every write to it fails, for root
    // too) or the folder gone again.
    Q_INVOKABLE bool blockFunctionSettings(bool blocked);
    // Logged out, Chinese, default assignments, only the receiver attached.
    Q_INVOKABLE void reset();

private:
    bool startService(const QStringList& extra);
    void stopService();
    void readServiceLog();

    QTemporaryDir m_data;
    QProcess m_service;
    QString m_error;
    QByteArray m_logBuffer;
    QHash<QString, int> m_requests;
    AppManager* m_app = nullptr;
};

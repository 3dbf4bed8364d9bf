#pragma once

// TEST DOUBLES. Stand-ins with the QML-facing interface (invokable names, signals) of back-end
// objects that other parts of the tree do not provide yet: the device watcher, the pairing
// controller, the pointer sensitivity, the window and system actions, the update checker and the
// password-change request. QmlBackend publishes them under the real objects' names; each is to be
// replaced by the real object when it lands.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class DeviceWatcherDouble : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    Q_INVOKABLE void startWatch() { watching = true; }
    Q_INVOKABLE void stopWatch() { watching = false; }
    Q_INVOKABLE QVariantMap getDeviceConnect(bool refresh = true);

    // Which devices are attached; announces the change like a device broadcast.
    void setDevices(int usb, int bleMs, int bleKb);

    bool watching = false;

signals:
    void sigDeviceChange(bool status, QString devicePath);

private:
    int usbCount = 1;
    int bleMouseCount = 0;
    int bleKeyboardCount = 0;
};

class PairDouble : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Records the request; the test reports the result with sigPairResult.
    Q_INVOKABLE void startPair(int type = 1);

    int requests = 0;
    int lastType = 0;

signals:
    void sigPairResult(bool status, QString msg);
};

class MouseSensitivityDouble : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    Q_INVOKABLE int getSensitivity() { return speed; }
    Q_INVOKABLE bool setSensitivity(int value);

    int speed = 10;
    int calls = 0;
};

class WinSimulatorDouble : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    Q_INVOKABLE bool isAutoRun() { return autoRun; }
    Q_INVOKABLE bool setAutoRun(bool flag) {
        autoRun = flag;
        return true;
    }
    Q_INVOKABLE bool restartApplication() {
        ++restarts;
        return false;
    }

    bool autoRun = false;
    int restarts = 0;
};

class UpdaterDouble : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    Q_INVOKABLE void getSoftwareVersion() { ++requests; }

    int requests = 0;

signals:
    void sigReturnVersion(QString version, QString downloadUrl);
    void sigRequestFinished(int code, QString msg);
};

// Registered as the QML type "KNetUpdatePwd" of "k.tools" 1.0.
class NetUpdatePwdDouble : public QObject {
    Q_OBJECT
public:
    explicit NetUpdatePwdDouble(QObject* parent = nullptr);
    ~NetUpdatePwdDouble() override;

    Q_INVOKABLE void updatePwd(QString currentPwd, QString newPwd);

    // Every request sent by any instance, as "current|new", and the newest instance.
    static QStringList requests;
    static NetUpdatePwdDouble* latest;

signals:
    void sigRequestFinished(int code, QString msg);
};

#include "BackendDoubles.h"

QVariantMap DeviceWatcherDouble::getDeviceConnect(bool) {
    return {{"usb", usbCount},
            {"ble", bleMouseCount + bleKeyboardCount},
            {"bleMs", bleMouseCount},
            {"bleKb", bleKeyboardCount}};
}

void DeviceWatcherDouble::setDevices(int usb, int bleMs, int bleKb) {
    usbCount = usb;
    bleMouseCount = bleMs;
    bleKeyboardCount = bleKb;
    emit sigDeviceChange(true, QString());
}

void PairDouble::startPair(int type) {
    ++requests;
    lastType = type;
}

bool MouseSensitivityDouble::setSensitivity(int value) {
    ++calls;
    if (value < 1 || value > 20)
        return false;
    speed = value;
    return true;
}

QStringList NetUpdatePwdDouble::requests;
NetUpdatePwdDouble* NetUpdatePwdDouble::latest = nullptr;

NetUpdatePwdDouble::NetUpdatePwdDouble(QObject* parent) : QObject(parent) {
    latest = this;
}

NetUpdatePwdDouble::~NetUpdatePwdDouble() {
    if (latest == this)
        latest = nullptr;
}

void NetUpdatePwdDouble::updatePwd(QString currentPwd, QString newPwd) {
    requests.append(currentPwd + "|" + newPwd);
}

#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>

#include <functional>

class KRawInputBackend;

struct RawDeviceEntry {
    quintptr handle = 0;
    QByteArray name;
};

// Receives the raw mouse records and reports the button presses of recognised Bluetooth mice
// whose key the mouse mask selects.
class KRawInputWidget : public QObject {
    Q_OBJECT
public:
    KRawInputWidget(std::function<void(quint32)> callback,
                    const QMap<quintptr, RawDeviceEntry>* bleMice, QObject* parent = nullptr);

    bool active = false;
    quint32 mouseMask = 0;

public slots:
    void onMouseInput(quintptr device, quint16 buttonFlags);

private:
    const QMap<quintptr, RawDeviceEntry>* bleMice;
    std::function<void(quint32)> callback;
};

// Tells the Bluetooth hook which mouse presses really come from a recognised Bluetooth mouse:
// keeps the handles of those mice and reports their masked button presses to the callback.
class KRawInput : public QObject {
    Q_OBJECT
public:
    // A null backend means the platform's.
    explicit KRawInput(std::function<void(quint32)> callback, KRawInputBackend* backend = nullptr,
                       QObject* parent = nullptr);

    bool start(bool refresh);
    bool stop();
    bool isActive() const { return widget->active; }
    void setMouseMask(const quint32& mask) { widget->mouseMask = mask; }
    void refreshDevices();
    const QMap<quintptr, RawDeviceEntry>& bluetoothMice() const { return bleMice; }

    // The device key code of a raw record's button flags: exactly one press of the right,
    // middle, fourth or fifth button; 0 for anything else.
    static quint32 codeForButtonFlags(quint16 buttonFlags);

private:
    KRawInputBackend* m_backend;
    QMap<quintptr, RawDeviceEntry> bleMice;
    KRawInputWidget* widget;
};

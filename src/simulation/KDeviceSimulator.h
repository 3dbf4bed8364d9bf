#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class KConfigCommon;
class KSessionBackend;
class KWinSimulator;

// Turns a device key event into the function assigned to that button or key: the device key
// code gives the key type, the cached assignments give the key value, and dispatch performs
// that function. Lives in the main thread; its slots are connected with automatic connections.
class KDeviceSimulator : public QObject {
    Q_OBJECT
public:
    // The process-wide object, created on first call (on the process-wide store, window actions
    // and session).
    static KDeviceSimulator* instance();

    KDeviceSimulator(KConfigCommon* store, KWinSimulator* winSimulator, KSessionBackend* session,
                     QObject* parent = nullptr);

    // Performs the function of one key value; path serves the key values 60 to 63. Key values
    // without a function (0, unassigned ones, 101) do nothing.
    void dispatch(int keyValue, const QString& path);

public slots:
    // A device key code from the device hook.
    void onKeyDown(ulong key);
    // Any change of an assignment: reloads all of them (the arguments are not used).
    void onConfigChange(int keyType, int value);

private:
    KConfigCommon* store;
    QMap<int, int> keyValueCache;
    KWinSimulator* m_winSimulator;
    KSessionBackend* m_session;
};

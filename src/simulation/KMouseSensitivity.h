#pragma once

#include <QObject>

class KDesktopBackend;

// The system-wide pointer speed, 1 (slowest) to 20 (fastest), 10 being the default. Not kept in
// the program's own files. Main thread only.
class KMouseSensitivity : public QObject {
    Q_OBJECT
public:
    // desktop: the display whose pointer speed is meant; null means the platform's.
    explicit KMouseSensitivity(KDesktopBackend* desktop = nullptr, QObject* parent = nullptr);

    // The current speed; 10 when the system does not tell.
    Q_INVOKABLE int getSensitivity();
    // True when the system took the speed; values outside 1..20 are refused without a call.
    Q_INVOKABLE bool setSensitivity(int value);

private:
    KDesktopBackend* desktop();

    KDesktopBackend* m_desktop;
};

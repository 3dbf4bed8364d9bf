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
    // Why the speed cannot be set, "" when it can: the session keeps it to the desktop, or the
    // last setSensitivity failed. The slider shows it.
    Q_INVOKABLE QString notice();

signals:
    void sigSensitivityNotice(const QString& text);

private:
    KDesktopBackend* desktop();

    void setNotice(const QString& text);

    KDesktopBackend* m_desktop;
    QString m_notice;
};

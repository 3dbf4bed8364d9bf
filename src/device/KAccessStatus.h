#pragma once

#include "platform/KAccessCheck.h"

#include <QObject>
#include <QStringList>

class KDeviceWatcher;

// The permissions self-test as the interface shows it: runs the platform's access check at
// start, on request ("Check again") and whenever the program's devices arrive or leave, logs
// what is missing once per change ("access check: missing ..."), and words what is missing and
// how to fix it for the main page's notice.
class KAccessStatus : public QObject {
    Q_OBJECT
public:
    static KAccessStatus* instance();
    // Null parts mean the platform's check and the process-wide watcher.
    explicit KAccessStatus(KAccessCheck* check = nullptr, KDeviceWatcher* watcher = nullptr,
                           QObject* parent = nullptr);

    // Runs the check now; sigAccessChanged follows when its outcome differs from the last one.
    Q_INVOKABLE void recheck();
    // Nothing is missing (also before the first check).
    Q_INVOKABLE bool isComplete() const { return m_result.ok(); }
    // The names of what is missing ("uinput", "receiver", "ble-mouse", "ble-keyboard", "rule").
    Q_INVOKABLE QStringList missing() const { return m_result.names(); }
    // What is missing and what it costs, one line each (translated); empty when nothing is. The
    // nodes themselves are named in the log and in the fix's getfacl command.
    Q_INVOKABLE QString noticeText() const;
    // What to do about it (translated); empty when nothing is missing.
    Q_INVOKABLE QString fixText() const;

    const KAccessCheck::Result& result() const { return m_result; }
    // The texts for a given outcome.
    static QString noticeTextFor(const KAccessCheck::Result& result);
    static QString fixTextFor(const KAccessCheck::Result& result);

signals:
    void sigAccessChanged();

private:
    KAccessCheck* m_check;
    KAccessCheck::Result m_result;
    QString m_lastSummary;
    bool m_checked = false;
};

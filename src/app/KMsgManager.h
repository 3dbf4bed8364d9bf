#pragma once

#include <QObject>

// Process-wide hub through which a back-end module asks the interface for a dialog.
class KMsgManager : public QObject {
    Q_OBJECT
public:
    static KMsgManager* instance();

signals:
    void sigWin7DriverFixDialog();

private:
    KMsgManager() = default;
};

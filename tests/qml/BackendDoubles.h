#pragma once

// TEST DOUBLE. A stand-in with the QML-facing interface (invokable name, signal) of the pairing
// controller, which the tree does not provide yet; QmlBackend publishes it as "MCPairMutiThread".
// To be replaced by the real object when it lands.

#include <QObject>
#include <QString>

class PairDouble : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Records the request; the test reports the result with sigPairResult.
    Q_INVOKABLE void startPair(int type = 1) {
        ++requests;
        lastType = type;
    }

    int requests = 0;
    int lastType = 0;

signals:
    void sigPairResult(bool status, QString msg);
};

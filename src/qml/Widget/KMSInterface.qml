import QtQuick 2.15

// The common base of the device views (mouse and keyboard).
Rectangle {
    signal sigSelectKey(string key)

    color: "transparent"
}

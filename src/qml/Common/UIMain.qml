import QtQuick 2.15
import QtQuick.Window 2.15

// Root document: the main window, shown at start and on request from the back end.
Window {
    id: mainWindow
    objectName: "mainWindow"
    width: 960
    height: 640
    visible: true
    color: "#f7f8fb"
    title: qsTr("Pointora")

    Connections {
        target: UIManager
        function onSigSetWindowStatus(status) {
            if (status) {
                mainWindow.show()
                mainWindow.raise()
                mainWindow.requestActivate()
            } else {
                mainWindow.hide()
            }
        }
    }

    Rectangle {
        id: topBar
        anchors { left: parent.left; right: parent.right; top: parent.top }
        height: 56
        color: "#23262d"
        Text {
            anchors { left: parent.left; leftMargin: 24; verticalCenter: parent.verticalCenter }
            text: "Pointora " + KConfigCommon.getAppVersion()
            color: "#ffffff"
            font.pixelSize: 18
        }
    }
}

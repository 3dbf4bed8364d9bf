import QtQuick 2.15

// The red tip line of the account dialogs: showText(txt) shows txt for five seconds. The line
// keeps its place while hidden, so the form does not jump.
Item {
    id: mLine

    property alias mTip: mTip
    // Shown instead of an empty failure message (a transport failure carries none).
    property string mFailedStr: qsTr("Request failed, please check the network and try again")

    function showText(txt) {
        mTip.text = txt
        mTip.visible = true
        mTimer.restart()
    }

    function showFailure(msg) {
        showText(msg !== "" ? msg : mFailedStr)
    }

    function hide() {
        mTimer.stop()
        mTip.visible = false
    }

    implicitHeight: Math.max(KLocator.getStringHeight("Tips", 9, Qt.application.font.family),
                             mTip.visible ? mTip.implicitHeight : 0)

    Text {
        id: mTip
        objectName: "tip"
        width: parent.width
        text: qsTr("Tips")
        visible: false
        font.family: Qt.application.font.family
        font.pointSize: 9
        color: "#f25c5c"
        wrapMode: Text.Wrap
    }

    Timer {
        id: mTimer
        interval: 5 * 1000
        onTriggered: mTip.visible = false
    }
}

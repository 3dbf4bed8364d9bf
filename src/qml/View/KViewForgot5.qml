import QtQuick 2.15
import "qrc:/Widget"

// Password recovery: help when no verification mail arrives.
Column {
    id: mView

    // Takes the focus when the view is shown.
    property Item mInitialFocusItem: mSureBtn

    signal sigClose()

    spacing: KLocator.getScaleLength(10)

    Repeater {
        model: [qsTr("1. The email address is not correct"),
            qsTr("2. Verification mail has not been sent out due to delay and other reasons"),
            qsTr("3. The verification mail is judged by the receiving mailbox server as spam and automatically transferred it to the trash can."),
            qsTr("If the verification mail is not found in any of the above ways, you can click on the re-send button on the verification interface to send again or re-register it if using another email address")]
        Text {
            width: mView.width
            text: modelData
            font.family: Qt.application.font.family
            font.pointSize: 9
            color: index < 3 ? "#343434" : "#959daf"
            wrapMode: Text.Wrap
            lineHeight: 1.15
        }
    }
    Item {
        width: 1
        height: KLocator.getScaleLength(6)
    }
    KSureBtn {
        id: mSureBtn
        objectName: "sureButton"
        width: mView.width
        onClicked: mView.sigClose()
    }
}

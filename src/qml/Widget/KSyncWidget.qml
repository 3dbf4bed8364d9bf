import QtQuick 2.15
import QtQuick.Controls 2.15

// The popup under the synchronisation button: download from or upload to the cloud.
Popup {
    id: mSyncWidget

    property string mDownStr: qsTr("Download cloud settings")
    property string mUpStr: qsTr("Upload to the current configuration settings")
    readonly property bool mHovered: mArea.containsMouse
    property bool mBusy: false
    // Height of the arrow at the top of the background picture.
    readonly property int mArrowHeight: KLocator.getScaleLength(8)

    // Opened from the keyboard: the focus is inside until it closes.
    property bool mKeyboardOpened: false

    signal sigExited()
    signal sigClickedDown()
    signal sigClickedUp()

    function openWithFocus() {
        mKeyboardOpened = true
        focus = true
        open()
        mDownBtn.forceActiveFocus(Qt.TabFocusReason)
    }

    padding: 0
    // Kept inside the window even when the button sits near its edge.
    margins: 0
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent

    enter: Transition {
        NumberAnimation {
            property: "opacity"
            from: 0
            to: 1
            duration: 50
        }
    }

    background: BorderImage {
        source: "qrc:/shared_tip.png"
        border.left: 40
        border.right: 12
        border.top: 16
        border.bottom: 12
    }

    contentItem: MouseArea {
        id: mArea
        hoverEnabled: true
        onExited: mSyncWidget.sigExited()

        Column {
            anchors.fill: parent
            anchors.topMargin: mSyncWidget.mArrowHeight
            anchors.leftMargin: KLocator.getScaleLength(12)
            anchors.rightMargin: KLocator.getScaleLength(12)

            KTxtBtn {
                id: mDownBtn
                objectName: "syncDown"
                enabled: !mSyncWidget.mBusy
                width: parent.width
                height: (parent.height - 1) / 2
                mText: mSyncWidget.mDownStr
                mColor: "#959daf"
                mColorHovered: "#4c84ff"
                onClicked: mSyncWidget.sigClickedDown()
                KeyNavigation.down: mUpBtn
                KeyNavigation.tab: mUpBtn
            }
            Rectangle {
                width: parent.width
                height: 1
                color: "#2e323b"
            }
            KTxtBtn {
                id: mUpBtn
                objectName: "syncUp"
                enabled: !mSyncWidget.mBusy
                width: parent.width
                height: (parent.height - 1) / 2
                mText: mSyncWidget.mUpStr
                mColor: "#959daf"
                mColorHovered: "#4c84ff"
                onClicked: mSyncWidget.sigClickedUp()
                KeyNavigation.up: mDownBtn
                KeyNavigation.tab: mDownBtn
            }
        }
    }
}

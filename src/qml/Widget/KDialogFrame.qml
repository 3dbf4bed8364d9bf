import QtQuick 2.15
import QtQuick.Controls 2.15

// The common shape of the dialogs: a modal popup centred in the window holding a white panel with
// a title, a close button at the top right and a line under the title. The dialog's own items go
// below the line, one under the other (mBodyWidth wide).
Popup {
    id: mDialog

    property string mTitleStr: ""
    property int mPanelWidth: KLocator.getScaleLength(400)
    // Room before the title, for a button in front of it.
    property int mTitleIndent: 0
    readonly property int mBodyWidth: mPanelWidth - 2 * mBody.leftPadding
    property alias mTitle: mTitle
    property alias mCloseBtn: mCloseBtn
    property alias mLine: mLine
    property alias mHeader: mHeader
    property alias mBody: mBody
    default property alias mBodyData: mBody.data

    modal: true
    dim: true
    padding: 0
    closePolicy: Popup.CloseOnEscape
    anchors.centerIn: Overlay.overlay
    implicitWidth: mPanelWidth
    implicitHeight: mColumn.implicitHeight

    enter: Transition {
        NumberAnimation {
            property: "opacity"
            from: 0
            to: 1
            duration: 120
        }
    }

    background: Rectangle {
        radius: 8
        color: "#ffffff"
    }

    contentItem: Column {
        id: mColumn

        Item {
            id: mHeader
            width: mDialog.mPanelWidth
            height: KLocator.getScaleLength(56)

            Text {
                id: mTitle
                objectName: "title"
                anchors.left: parent.left
                anchors.leftMargin: KLocator.getScaleLength(24) + mDialog.mTitleIndent
                anchors.right: mCloseBtn.left
                anchors.rightMargin: KLocator.getScaleLength(8)
                anchors.verticalCenter: parent.verticalCenter
                text: mDialog.mTitleStr
                font.family: Qt.application.font.family
                font.pointSize: 13
                color: "#343434"
                elide: Text.ElideRight
            }
            KImgBtn {
                id: mCloseBtn
                objectName: "closeButton"
                anchors.right: parent.right
                anchors.rightMargin: KLocator.getScaleLength(16)
                anchors.verticalCenter: parent.verticalCenter
                width: KLocator.getScaleLength(24)
                height: KLocator.getScaleLength(24)
                mImgPath: "qrc:/close_gray.png"
                mImgPathHovered: "qrc:/close_gray_pre.png"
                onClicked: mDialog.close()
            }
        }
        Rectangle {
            id: mLine
            width: mDialog.mPanelWidth
            height: 1
            color: "#eaedf0"
        }
        Column {
            id: mBody
            width: mDialog.mPanelWidth
            leftPadding: KLocator.getScaleLength(32)
            rightPadding: KLocator.getScaleLength(32)
            topPadding: KLocator.getScaleLength(24)
            bottomPadding: KLocator.getScaleLength(28)
            spacing: KLocator.getScaleLength(14)
        }
    }
}

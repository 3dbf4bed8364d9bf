import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15

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
    // Takes the focus when the dialog opens (the first field or the default button); the dialogs
    // that change their content move it with focusInitialItem().
    property Item mInitialFocusItem: null
    // Had the focus before the dialog opened, and has it back when it closes.
    property Item mReturnFocusItem: null
    // From aboutToShow until opened: the dialog is not visible yet, but may take the focus.
    property bool mShowing: false

    // Gives the focus to mInitialFocusItem, or to the close button when there is none.
    function focusInitialItem() {
        // While the dialog is being shown its items do not count as visible yet.
        var item = mInitialFocusItem && mInitialFocusItem.enabled
                && (mShowing || mInitialFocusItem.visible) ? mInitialFocusItem : mCloseBtn
        item.forceActiveFocus(Qt.TabFocusReason)
    }

    // The item that had the focus when the dialog opened; when that was inside another dialog
    // (one dialog leading to the next), the item that dialog gives it back to.
    function focusOrigin() {
        var window = mHeader.Window.window
        var item = window ? window.activeFocusItem : null
        for (var up = item; up; up = up.parent) {
            if (up.mOwnerDialog !== undefined)
                return up.mOwnerDialog === mDialog ? mReturnFocusItem
                                                   : up.mOwnerDialog.mReturnFocusItem
        }
        return item
    }

    modal: true
    dim: true
    // Modal for the keyboard as well: the focus moves in when the dialog opens, Tab cycles
    // inside it, and nothing behind it receives keys until it closes.
    focus: true
    onAboutToShow: {
        mReturnFocusItem = focusOrigin()
        mShowing = true
        focusInitialItem()
    }
    onOpened: mShowing = false
    onClosed: {
        mShowing = false
        var item = mReturnFocusItem
        mReturnFocusItem = null
        if (item && item.visible && item.enabled)
            item.forceActiveFocus(Qt.TabFocusReason)
    }
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

        // Marks the dialog's items (see focusOrigin).
        readonly property var mOwnerDialog: mDialog

        Item {
            id: mHeader
            width: mDialog.mPanelWidth
            height: KLocator.getScaleLength(56)

            KElideText {
                id: mTitle
                objectName: "title"
                anchors.left: parent.left
                anchors.leftMargin: KLocator.getScaleLength(24) + mDialog.mTitleIndent
                anchors.right: mCloseBtn.left
                anchors.rightMargin: KLocator.getScaleLength(8)
                anchors.verticalCenter: parent.verticalCenter
                mFullText: mDialog.mTitleStr
                font.pointSize: 13
                color: "#343434"
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
                mAccessibleName: qsTr("Close")
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

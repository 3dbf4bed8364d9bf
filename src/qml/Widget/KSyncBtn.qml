import QtQuick 2.15

// The synchronisation button of the header: pointing at it opens the popup with the download and
// upload entries; leaving both closes it again. A click (or Enter/Space) opens it to stay until an
// entry is chosen, Escape or a press elsewhere. While mBusy (an upload or download waits for its
// answer) the icon turns and the entries cannot be chosen.
Rectangle {
    id: mSyncBtn

    property string mBtnText: ""
    property int mTipWidget: KConfigCommon.getLanguage() === "en" ? KLocator.getScaleLength(340)
                                                                  : KLocator.getScaleLength(170)
    property int mTipHeight: KLocator.getScaleLength(96)
    property alias mBtn: mBtn
    property alias mSyncWidget: mSyncWidget
    property bool mBusy: false
    // Opened by a click: pointing away does not close it.
    property bool mPinned: false

    signal sigClicked()
    signal sigSyncClicked(bool isUp)

    function setSyncWidgetStatus(status) {
        if (status)
            mSyncWidget.open()
        else
            mSyncWidget.close()
    }

    function syncBtnClicked(isUp) {
        if (mBusy)
            return
        setSyncWidgetStatus(false)
        sigSyncClicked(isUp)
    }

    onMBusyChanged: mBtn.setAnimation(mBusy)

    color: "transparent"
    implicitWidth: mBtn.implicitWidth
    implicitHeight: mBtn.implicitHeight

    KImgTxtBtnSync {
        id: mBtn
        anchors.fill: parent
        mIconPath: "qrc:/sync.png"
        mIconPathHovered: "qrc:/sync_pre.png"
        mText: mSyncBtn.mBtnText
        onClicked: {
            mSyncBtn.mPinned = true
            // From the keyboard (a click does not take the focus) the popup opens with the focus
            // on its first entry, and gives it back when it closes; opened by a click it takes
            // the focus itself, so that Escape closes it.
            if (activeFocus) {
                mSyncWidget.openWithFocus()
            } else {
                mSyncBtn.setSyncWidgetStatus(true)
                mSyncWidget.forceActiveFocus()
            }
            mSyncBtn.sigClicked()
        }
        onHoveredChanged: {
            if (hovered)
                mSyncBtn.setSyncWidgetStatus(true)
            else
                mCloseTimer.restart()
        }
    }

    // Moving from the button into the popup crosses a gap of no pixels but two items: close only
    // when the pointer has settled outside both.
    Timer {
        id: mCloseTimer
        interval: 150
        onTriggered: {
            if (!mSyncBtn.mPinned && !mBtn.hovered && !mSyncWidget.mHovered)
                mSyncBtn.setSyncWidgetStatus(false)
        }
    }

    KSyncWidget {
        id: mSyncWidget
        x: mBtn.mIconWidth / 2 - KLocator.getScaleLength(28)
        y: mSyncBtn.height
        width: mSyncBtn.mTipWidget
        height: mSyncBtn.mTipHeight
        mBusy: mSyncBtn.mBusy
        onSigExited: mCloseTimer.restart()
        onSigClickedDown: mSyncBtn.syncBtnClicked(false)
        onSigClickedUp: mSyncBtn.syncBtnClicked(true)
        onClosed: {
            mSyncBtn.mPinned = false
            if (mKeyboardOpened)
                mBtn.forceActiveFocus(Qt.TabFocusReason)
            mKeyboardOpened = false
            focus = false
        }
    }
}

import QtQuick 2.15

// The synchronisation button of the header: pointing at it opens the popup with the download and
// upload entries; leaving both closes it again.
Rectangle {
    id: mSyncBtn

    property string mBtnText: ""
    property int mTipWidget: KConfigCommon.getLanguage() === "en" ? KLocator.getScaleLength(340)
                                                                  : KLocator.getScaleLength(170)
    property int mTipHeight: KLocator.getScaleLength(96)
    property alias mBtn: mBtn
    property alias mSyncWidget: mSyncWidget

    signal sigClicked()
    signal sigSyncClicked(bool isUp)

    function setSyncWidgetStatus(status) {
        if (status)
            mSyncWidget.open()
        else
            mSyncWidget.close()
    }

    function syncBtnClicked(isUp) {
        setSyncWidgetStatus(false)
        sigSyncClicked(isUp)
    }

    color: "transparent"
    implicitWidth: mBtn.implicitWidth
    implicitHeight: mBtn.implicitHeight

    KImgTxtBtn {
        id: mBtn
        anchors.fill: parent
        mIconPath: "qrc:/sync.png"
        mIconPathHovered: "qrc:/sync_pre.png"
        mText: mSyncBtn.mBtnText
        onClicked: {
            mSyncBtn.sigClicked()
            // From the keyboard (a click does not take the focus) the popup opens with the focus
            // on its first entry, and gives it back when it closes.
            if (activeFocus)
                mSyncWidget.openWithFocus()
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
            if (!mBtn.hovered && !mSyncWidget.mHovered)
                mSyncBtn.setSyncWidgetStatus(false)
        }
    }

    KSyncWidget {
        id: mSyncWidget
        x: mBtn.mIconWidth / 2 - KLocator.getScaleLength(28)
        y: mSyncBtn.height
        width: mSyncBtn.mTipWidget
        height: mSyncBtn.mTipHeight
        onSigExited: mCloseTimer.restart()
        onSigClickedDown: mSyncBtn.syncBtnClicked(false)
        onSigClickedUp: mSyncBtn.syncBtnClicked(true)
        onClosed: {
            if (mKeyboardOpened)
                mBtn.forceActiveFocus(Qt.TabFocusReason)
            mKeyboardOpened = false
            focus = false
        }
    }
}

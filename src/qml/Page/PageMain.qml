import QtQuick 2.15
import k.tools 1.0
import "qrc:/Widget"
import "qrc:/Context"
import "qrc:/Dialog"

// The main page: the header bar, the screen chosen in it, a tip line for results, the dialogs and
// the cloud synchronisation of the assignments.
Rectangle {
    id: mPage

    property string mMainStr: "ContextMain"
    property string mProfileStr: "ContextProfile"
    property string mAboutStr: "ContextAbout"
    property string mPairStr: "ContextPair"
    property var mContexts: ({})
    property string mCurrentContext: ""
    property alias mTop2: mTop2
    property alias mTipWidget: mTipWidget
    property alias mTipText: mTipText
    property alias mTipTimer: mTipTimer
    property alias mMain: mMain
    property alias mPair: mPair
    property alias mProfile: mProfile
    property alias mAbout: mAbout
    property alias mDialogUpgrade: mDialogUpgrade
    property alias mDialogDriverFix: mDialogDriverFix
    property alias mDialogReDefault: mDialogReDefault
    property alias mDialogLogin: mDialogLogin
    property alias mDialogRegister: mDialogRegister
    property alias mDialogForgot: mDialogForgot
    property alias mUploadConfig: mUploadConfig
    property alias mDownloadConfig: mDownloadConfig

    signal sigHide()
    signal sigClose()

    // Re-reads the back end and shows the function-assignment screen.
    function refreshView() {
        mTop2.refreshView()
        showContext(mMainStr)
    }

    // A device came or went while this page is shown: the header follows, and the user stays on
    // the screen they are on, unless it needs what went (pairing needs the receiver).
    function refreshDevices() {
        mTop2.refreshView()
        var usb = Number(KDeviceWatcher.getDeviceConnect()["usb"] || 0)
        if (mCurrentContext === "" || (mCurrentContext === mPairStr && usb === 0)) {
            showContext(mMainStr)
            return
        }
        if (mCurrentContext === mMainStr)
            mMain.refreshView()
    }

    function showContext(contextName) {
        mTimer.mContextName = contextName
        mTimer.restart()
    }

    function showTip(text) {
        mTipText.text = text
        mTipWidget.visible = true
        mTipTimer.restart()
    }

    // The service no longer knows the session (the stored one is already cleared): the header
    // shows the signed-out state, and the profile screen is left.
    function signedOut(message) {
        mTop2.refreshView()
        if (mCurrentContext === mProfileStr)
            showContext(mMainStr)
        showTip(message)
    }

    function openDialog(dialog) {
        if (dialog.refreshView)
            dialog.refreshView()
        dialog.open()
    }

    function handleLoginClicked() {
        if (!KConfigCommon.isLogin())
            openDialog(mDialogLogin)
        else
            showContext(mProfileStr)
    }

    function handleSyncClicked(isUp) {
        console.log("onSigSyncClicked isUp", isUp)
        if (!KConfigCommon.isLogin()) {
            openDialog(mDialogLogin)
            return
        }
        if (mUploadConfig.busy || mDownloadConfig.busy)
            return
        if (isUp)
            mUploadConfig.uploadCurrentConfig()
        else
            mDownloadConfig.downloadConfig()
    }

    color: "#f7f8fb"

    Component.onCompleted: {
        mContexts[mMainStr] = mMain
        mContexts[mProfileStr] = mProfile
        mContexts[mAboutStr] = mAbout
        mContexts[mPairStr] = mPair
    }

    // The switch runs outside the handler that asked for it.
    Timer {
        id: mTimer

        property string mContextName: ""

        interval: 5
        onTriggered: {
            var context = mPage.mContexts[mContextName]
            if (!context) {
                console.log("error: not found context " + mContextName)
                return
            }
            for (var name in mPage.mContexts)
                mPage.mContexts[name].visible = name === mContextName
            mPage.mCurrentContext = mContextName
            console.log("切换内容: " + mContextName)
            if (context.refreshView)
                context.refreshView()
        }
    }

    KWindowBar {
        id: mTopWidget
        objectName: "topBar"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        z: 1
        onSigHide: mPage.sigHide()
        onSigClose: mPage.sigClose()

        PageMainHead {
            id: mTop2
            objectName: "pageMainHead"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.rightMargin: mTopWidget.mButtonsRoom + KLocator.getScaleLength(12)
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            mCurrentContext: mPage.mCurrentContext
            mSyncBusy: mUploadConfig.busy || mDownloadConfig.busy
            onSigLoginClicked: mPage.handleLoginClicked()
            onSigSyncClicked: mPage.handleSyncClicked(isUp)
            onSigAboutClicked: mPage.showContext(mPage.mAboutStr)
            onSigPairWClicked: mPage.showContext(mPage.mPairStr)
            onSigFunctionClicked: mPage.showContext(mPage.mMainStr)
            onSigDefaultClicked: mPage.openDialog(mDialogReDefault)
        }
    }

    Item {
        id: mContext
        objectName: "contextArea"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: mTopWidget.bottom
        anchors.bottom: parent.bottom

        ContextPair {
            id: mPair
            anchors.fill: parent
            visible: false
        }
        ContextAbout {
            id: mAbout
            anchors.fill: parent
            visible: false
            onSigBack: mPage.showContext(mPage.mMainStr)
        }
        ContextProfile {
            id: mProfile
            anchors.fill: parent
            visible: false
            onSigLogout: {
                mTop2.refreshView()
                mPage.showContext(mPage.mMainStr)
            }
            onSigUpdatePasswordSuccess: mPage.showTip(qsTr("Successful to modify password"))
            onSigSignedOut: mPage.signedOut(message)
        }
        ContextMain {
            id: mMain
            anchors.fill: parent
            visible: false
        }
    }

    // Results of the header's actions, shown for two seconds above the bottom of the window.
    Rectangle {
        id: mTipWidget
        objectName: "tipWidget"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: KLocator.getScaleLength(84)
        z: 2
        visible: false
        width: mTipRow.width + KLocator.getScaleLength(48)
        height: KLocator.getScaleLength(42)
        radius: height / 2
        color: "#23262d"
        opacity: 0.94

        Row {
            id: mTipRow
            anchors.centerIn: parent
            Text {
                text: qsTr("tips: ")
                font.family: Qt.application.font.family
                font.pointSize: 10
                color: "#959daf"
            }
            Text {
                id: mTipText
                objectName: "tipText"
                font.family: Qt.application.font.family
                font.pointSize: 10
                color: "#4c84ff"
            }
        }
    }

    // What the program lacks to use the devices (node permissions, the device rule) and the
    // exact fix; "Check again" runs the check once more. Shown while anything is missing, at the
    // bottom of the device area, over the language and autorun row rather than the device
    // picture; closed, it stays away until the outcome of a check changes.
    Rectangle {
        id: mAccessNotice
        objectName: "accessNotice"
        property string text: KAccessStatus.noticeText()
        property string fix: KAccessStatus.fixText()
        property bool dismissed: false
        anchors.right: parent.right
        anchors.rightMargin: KLocator.getScaleLength(16)
        anchors.bottom: parent.bottom
        anchors.bottomMargin: KLocator.getScaleLength(12)
        z: 2
        visible: text !== "" && !dismissed
        width: Math.min(parent.width - KLocator.getScaleLength(332),
                        Math.max(mAccessTitle.implicitWidth + mAccessCheck.width,
                                 mAccessText.implicitWidth, mAccessFix.implicitWidth)
                        + KLocator.getScaleLength(72))
        height: mAccessHead.height + mAccessText.paintedHeight + mAccessFix.paintedHeight
                + KLocator.getScaleLength(32)
        radius: KLocator.getScaleLength(10)
        color: "#23262d"
        opacity: 0.94

        function refresh() {
            text = KAccessStatus.noticeText()
            fix = KAccessStatus.fixText()
            dismissed = false
        }

        // The title and "Check again" share the first row.
        Item {
            id: mAccessHead
            anchors.left: parent.left
            anchors.leftMargin: KLocator.getScaleLength(20)
            anchors.right: mAccessClose.left
            anchors.rightMargin: KLocator.getScaleLength(12)
            anchors.top: parent.top
            anchors.topMargin: KLocator.getScaleLength(10)
            height: Math.max(mAccessTitle.paintedHeight, mAccessCheck.height)

            Text {
                id: mAccessTitle
                anchors.left: parent.left
                anchors.right: mAccessCheck.left
                anchors.rightMargin: KLocator.getScaleLength(10)
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Pointora lacks access to what it needs:")
                elide: Text.ElideRight
                font.family: Qt.application.font.family
                font.pointSize: 10
                font.bold: true
                color: "#ffb648"
            }
            KSureBtn {
                id: mAccessCheck
                objectName: "accessNoticeCheck"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                mFontSize: 9
                implicitHeight: KLocator.getScaleLength(28)
                mSureStr: qsTr("Check again")
                onClicked: {
                    KAccessStatus.recheck()
                    mAccessNotice.refresh()
                }
            }
        }
        Text {
            id: mAccessText
            objectName: "accessNoticeText"
            anchors.left: mAccessHead.left
            anchors.right: mAccessHead.right
            anchors.top: mAccessHead.bottom
            anchors.topMargin: KLocator.getScaleLength(4)
            text: mAccessNotice.text
            wrapMode: Text.Wrap
            font.family: Qt.application.font.family
            font.pointSize: 10
            color: "#ffb648"
        }
        TextEdit {
            id: mAccessFix
            objectName: "accessNoticeFix"
            anchors.left: mAccessHead.left
            anchors.right: parent.right
            anchors.rightMargin: KLocator.getScaleLength(20)
            anchors.top: mAccessText.bottom
            anchors.topMargin: KLocator.getScaleLength(6)
            text: mAccessNotice.fix
            // The commands can be selected and copied.
            readOnly: true
            selectByMouse: true
            wrapMode: Text.Wrap
            font.family: Qt.application.font.family
            font.pointSize: 10
            color: "#ffffff"
            selectionColor: "#4c84ff"
        }
        KNoticeClose {
            id: mAccessClose
            objectName: "accessNoticeClose"
            anchors.right: parent.right
            anchors.rightMargin: KLocator.getScaleLength(16)
            anchors.top: parent.top
            anchors.topMargin: KLocator.getScaleLength(8)
            onSigActivated: mAccessNotice.dismissed = true
        }
    }

    Connections {
        target: KAccessStatus
        function onSigAccessChanged() {
            mAccessNotice.refresh()
        }
    }

    // A device of the program's that stays the system's, and why; shown until it is closed.
    Rectangle {
        id: mDeviceNotice
        objectName: "deviceNotice"
        property string text: KDeviceHook.deviceNotice()
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: mAccessNotice.visible ? mAccessNotice.top : parent.bottom
        anchors.bottomMargin: mAccessNotice.visible ? KLocator.getScaleLength(10)
                                                    : KLocator.getScaleLength(140)
        z: 2
        visible: text !== ""
        width: Math.min(parent.width - KLocator.getScaleLength(80),
                        mNoticeText.implicitWidth + KLocator.getScaleLength(80))
        height: mNoticeText.paintedHeight + KLocator.getScaleLength(24)
        radius: KLocator.getScaleLength(10)
        color: "#23262d"
        opacity: 0.94

        Text {
            id: mNoticeText
            objectName: "deviceNoticeText"
            anchors.left: parent.left
            anchors.leftMargin: KLocator.getScaleLength(20)
            anchors.right: mNoticeClose.left
            anchors.rightMargin: KLocator.getScaleLength(10)
            anchors.verticalCenter: parent.verticalCenter
            text: mDeviceNotice.text
            wrapMode: Text.Wrap
            font.family: Qt.application.font.family
            font.pointSize: 10
            color: "#ffb648"
        }
        KNoticeClose {
            id: mNoticeClose
            objectName: "deviceNoticeClose"
            anchors.right: parent.right
            anchors.rightMargin: KLocator.getScaleLength(16)
            anchors.verticalCenter: parent.verticalCenter
            onSigActivated: {
                KDeviceHook.dismissDeviceNotice()
                mDeviceNotice.text = ""
            }
        }
    }

    Connections {
        target: KDeviceHook
        function onSigDeviceNotice(text) {
            mDeviceNotice.text = text
        }
    }

    // A function that cannot work in this session (for example maximize on a Wayland desktop
    // without a window interface), and why; shown above the device notice until it is closed.
    Rectangle {
        id: mFunctionNotice
        objectName: "functionNotice"
        property string text: KWinSimulator.functionNotice()
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: mDeviceNotice.visible ? mDeviceNotice.top : parent.bottom
        anchors.bottomMargin: mDeviceNotice.visible ? KLocator.getScaleLength(10)
                                                    : KLocator.getScaleLength(140)
        z: 2
        visible: text !== ""
        width: Math.min(parent.width - KLocator.getScaleLength(80),
                        mFunctionNoticeText.implicitWidth + KLocator.getScaleLength(80))
        height: mFunctionNoticeText.paintedHeight + KLocator.getScaleLength(24)
        radius: KLocator.getScaleLength(10)
        color: "#23262d"
        opacity: 0.94

        Text {
            id: mFunctionNoticeText
            objectName: "functionNoticeText"
            anchors.left: parent.left
            anchors.leftMargin: KLocator.getScaleLength(20)
            anchors.right: mFunctionNoticeClose.left
            anchors.rightMargin: KLocator.getScaleLength(10)
            anchors.verticalCenter: parent.verticalCenter
            text: mFunctionNotice.text
            wrapMode: Text.Wrap
            font.family: Qt.application.font.family
            font.pointSize: 10
            color: "#ffb648"
        }
        KNoticeClose {
            id: mFunctionNoticeClose
            objectName: "functionNoticeClose"
            anchors.right: parent.right
            anchors.rightMargin: KLocator.getScaleLength(16)
            anchors.verticalCenter: parent.verticalCenter
            onSigActivated: {
                KWinSimulator.dismissFunctionNotice()
                mFunctionNotice.text = ""
            }
        }
    }

    Connections {
        target: KWinSimulator
        function onFunctionUnavailable(keyValue, tip) {
            mFunctionNotice.text = tip
        }
    }

    // The settings files could not be written or read, or a damaged one was kept aside; shown
    // above the other notices until it is closed or the file is written again.
    Rectangle {
        id: mSettingsNotice
        objectName: "settingsNotice"
        property string text: KConfigCommon.saveNotice()
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: mFunctionNotice.visible ? mFunctionNotice.top
                                                : mDeviceNotice.visible ? mDeviceNotice.top
                                                                        : parent.bottom
        anchors.bottomMargin: mFunctionNotice.visible || mDeviceNotice.visible
                              ? KLocator.getScaleLength(10) : KLocator.getScaleLength(140)
        z: 2
        visible: text !== ""
        width: Math.min(parent.width - KLocator.getScaleLength(80),
                        mSettingsNoticeText.implicitWidth + KLocator.getScaleLength(80))
        height: mSettingsNoticeText.paintedHeight + KLocator.getScaleLength(24)
        radius: KLocator.getScaleLength(10)
        color: "#23262d"
        opacity: 0.94

        Text {
            id: mSettingsNoticeText
            objectName: "settingsNoticeText"
            anchors.left: parent.left
            anchors.leftMargin: KLocator.getScaleLength(20)
            anchors.right: mSettingsNoticeClose.left
            anchors.rightMargin: KLocator.getScaleLength(10)
            anchors.verticalCenter: parent.verticalCenter
            text: mSettingsNotice.text
            wrapMode: Text.Wrap
            font.family: Qt.application.font.family
            font.pointSize: 10
            color: "#ffb648"
        }
        KNoticeClose {
            id: mSettingsNoticeClose
            objectName: "settingsNoticeClose"
            anchors.right: parent.right
            anchors.rightMargin: KLocator.getScaleLength(16)
            anchors.verticalCenter: parent.verticalCenter
            onSigActivated: {
                KConfigCommon.dismissSaveNotice()
                mSettingsNotice.text = ""
            }
        }
    }

    Connections {
        target: KConfigCommon
        function onSigSaveFailed(message) {
            mSettingsNotice.text = message
        }
        function onSigSaveNoticeCleared() {
            mSettingsNotice.text = ""
        }
    }

    Timer {
        id: mTipTimer
        interval: 2 * 1000
        onTriggered: mTipWidget.visible = false
    }

    KNetUploadConfig {
        id: mUploadConfig
        onSigRequestFinished: {
            if (code === 0)
                mPage.showTip(qsTr("Succeeded to upload configuration"))
            else if (code === mUploadConfig.codeNotLoggedIn)
                mPage.signedOut(msg)
            else
                mPage.showTip(msg !== ""
                              ? qsTr("Failed to upload configuration: %1").arg(msg)
                              : qsTr("Failed to upload configuration"))
        }
    }

    KNetDownloadConfig {
        id: mDownloadConfig
        // The message says what was done: downloaded, how many entries were skipped, or that
        // the cloud holds nothing yet.
        onSigRequestFinished: {
            if (code === 0) {
                mPage.refreshView()
                if (mDownloadConfig.nothingStored || mDownloadConfig.skippedCount > 0)
                    mPage.showTip(msg)
                else
                    mPage.showTip(qsTr("Succeeded to download configuration"))
            } else if (code === mDownloadConfig.codeNotLoggedIn) {
                mPage.signedOut(msg)
            } else {
                mPage.showTip(msg !== ""
                              ? qsTr("Failed to download configuration: %1").arg(msg)
                              : qsTr("Failed to download configuration"))
            }
        }
    }

    // A newer version than the own one is offered; anything else (older, equal, empty or
    // malformed) is not.
    Connections {
        target: KUpdater
        function onSigReturnVersion(version, downloadUrl) {
            if (!KUpdater.isNewerVersion(version, KConfigCommon.getAppVersion()))
                return
            // Put off by the user: the about screen still offers it.
            if (version === KConfigCommon.getDeclinedVersion())
                return
            if (downloadUrl !== "")
                mDialogUpgrade.mDownloadLink = downloadUrl
            mDialogUpgrade.mVersion = version
            mDialogUpgrade.open()
        }
    }

    Connections {
        target: KMsgManager
        function onSigWin7DriverFixDialog() {
            mDialogDriverFix.open()
        }
    }

    KDialogUpdate {
        id: mDialogUpgrade
    }
    KDialogDriverFix {
        id: mDialogDriverFix
    }
    KDialogReDefault {
        id: mDialogReDefault
        onSigReDefault: {
            KConfigCommon.resetFunctionConfig()
            mPage.refreshView()
            mPage.showTip(qsTr("Recovered successfully"))
        }
    }
    KDialogLogin {
        id: mDialogLogin
        onSigRegisterBtnClicked: {
            close()
            mPage.openDialog(mDialogRegister)
        }
        onSigForgotBtnClicked: {
            close()
            mPage.openDialog(mDialogForgot)
        }
        onSigLoginSuccessful: {
            mTop2.refreshView()
            mPage.showTip(KConfigCommon.getNickName() + qsTr(" Welcome back"))
        }
    }
    KDialogRegister {
        id: mDialogRegister
        onSigLoginBtnClicked: {
            close()
            mPage.openDialog(mDialogLogin)
        }
        onSigRegisterSuccessful: {
            mTop2.refreshView()
            mPage.showTip(qsTr("Successful register"))
        }
    }
    KDialogForgot {
        id: mDialogForgot
        onSigResetPwdSuccess: {
            mTop2.refreshView()
            mPage.showTip(qsTr("Successful to modify password"))
        }
    }
}

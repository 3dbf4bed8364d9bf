import QtQuick 2.15
import "qrc:/Widget"

// The header of the main page: the account, synchronisation and about on the left; pairing,
// function configuration and restoring the defaults on the right.
Item {
    id: mContent

    property string mNickNameStr: qsTr("Sign in")
    property string mSyncStr: qsTr("Synchronization")
    property string mAboutStr: qsTr("About")
    property bool mIsLogin: false
    // An upload or download waits for its answer.
    property bool mSyncBusy: false
    // The screen shown below, whose button is marked.
    property string mCurrentContext: ""
    property alias mHeadImg: mHeadImg
    property alias mNickName: mNickName
    property alias mSycnBtn: mSycnBtn
    property alias mAboutBtn: mAboutBtn
    property alias mPairBtn: mPairBtn
    property alias mFunctionBtn: mFunctionBtn
    property alias mDefaultBtn: mDefaultBtn
    // The room the nickname may take: a longer one ends in "…" before the buttons on the right.
    readonly property int mNickNameRoom: mRight.x - mLeft.x - KLocator.getScaleLength(24)
                                         - mHeadImg.width - mSycnBtn.width - mAboutBtn.width
                                         - 2 - 5 * mLeft.spacing

    signal sigLoginClicked()
    signal sigAboutClicked()
    signal sigSyncClicked(bool isUp)
    signal sigDefaultClicked()
    signal sigFunctionClicked()
    signal sigPairWClicked()

    function refreshView() {
        mIsLogin = KConfigCommon.isLogin()
        mNickNameStr = mIsLogin ? KConfigCommon.getNickName() : qsTr("Sign in")
        mHeadImg.setStatus(mIsLogin)
        var map = KDeviceWatcher.getDeviceConnect()
        mPairBtn.enabled = Number(map["usb"] || 0) !== 0
    }

    Row {
        id: mLeft
        anchors.left: parent.left
        anchors.leftMargin: KLocator.getScaleLength(20)
        anchors.verticalCenter: parent.verticalCenter
        spacing: KLocator.getScaleLength(10)

        KImgSwitch {
            id: mHeadImg
            objectName: "headImage"
            anchors.verticalCenter: parent.verticalCenter
            width: KLocator.getScaleLength(32)
            height: KLocator.getScaleLength(32)
            mIconPath: "qrc:/headImg_login.png"
            mIconPathSelected: "qrc:/headImg_login_pre.png"
            mAccessibleName: qsTr("Account")
            onSigOnClicked: {
                setStatus(mContent.mIsLogin)
                mContent.sigLoginClicked()
            }
        }
        KTxtBtn {
            id: mNickName
            objectName: "nickName"
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(0, Math.min(implicitWidth, mContent.mNickNameRoom))
            mText: mContent.mNickNameStr
            mColor: "#ffffff"
            mColorHovered: "#4c84ff"
            onClicked: mContent.sigLoginClicked()
        }
        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 1
            height: KLocator.getScaleLength(16)
            color: "#4d525d"
        }
        KSyncBtn {
            id: mSycnBtn
            objectName: "syncButton"
            anchors.verticalCenter: parent.verticalCenter
            mBtnText: mContent.mSyncStr
            mBusy: mContent.mSyncBusy
            onSigSyncClicked: mContent.sigSyncClicked(isUp)
        }
        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 1
            height: KLocator.getScaleLength(16)
            color: "#4d525d"
        }
        KImgTxtBtn {
            id: mAboutBtn
            objectName: "aboutButton"
            readonly property bool mCurrent: mContent.mCurrentContext === "ContextAbout"
            anchors.verticalCenter: parent.verticalCenter
            mIconPath: mCurrent ? "qrc:/about_pre.png" : "qrc:/about.png"
            mIconPathHovered: "qrc:/about_pre.png"
            mText: mContent.mAboutStr
            mColor: mCurrent ? "#4c84ff" : "#959daf"
            onClicked: mContent.sigAboutClicked()
        }
    }

    Row {
        id: mRight
        anchors.right: parent.right
        anchors.rightMargin: KLocator.getScaleLength(16)
        anchors.verticalCenter: parent.verticalCenter
        spacing: KLocator.getScaleLength(22)

        KImgTxtBtn {
            id: mPairBtn
            objectName: "pairButton"
            readonly property bool mCurrent: mContent.mCurrentContext === "ContextPair"
            anchors.verticalCenter: parent.verticalCenter
            mIconPath: mCurrent ? "qrc:/pair_pre.png" : "qrc:/pair.png"
            mIconPathHovered: "qrc:/pair_pre.png"
            mText: qsTr("2.4MatchCode")
            mColor: mCurrent ? "#4c84ff" : "#959daf"
            opacity: enabled ? 1 : 0.35
            onClicked: mContent.sigPairWClicked()
        }
        KImgTxtBtn {
            id: mFunctionBtn
            objectName: "functionButton"
            readonly property bool mCurrent: mContent.mCurrentContext === "ContextMain"
            anchors.verticalCenter: parent.verticalCenter
            mIconPath: mCurrent ? "qrc:/device_pre.png" : "qrc:/device.png"
            mIconPathHovered: "qrc:/device_pre.png"
            mText: qsTr("Configuration")
            mColor: mCurrent ? "#4c84ff" : "#959daf"
            onClicked: mContent.sigFunctionClicked()
        }
        KImgTxtBtn {
            id: mDefaultBtn
            objectName: "defaultButton"
            anchors.verticalCenter: parent.verticalCenter
            mIconPath: "qrc:/default.png"
            mIconPathHovered: "qrc:/default_pre.png"
            mText: qsTr("Restore")
            onClicked: mContent.sigDefaultClicked()
        }
    }
}

import QtQuick 2.15
import k.tools 1.0
import "qrc:/Widget"

// The account screen: change the password, or log out.
Rectangle {
    id: mContext

    property alias mNetUpdatePwd: mNetUpdatePwd
    property alias mTip: mTip

    signal sigLogout()
    signal sigUpdatePasswordSuccess()
    signal sigSignedOut(string message)

    function showText(txt) {
        mTip.text = txt
        mTip.visible = true
        mTimer.restart()
    }

    function clearFields() {
        mRightOldEdit.text = ""
        mRightNewEdit.text = ""
        mRightReNewEdit.text = ""
    }

    function refreshView() {
        clearFields()
        mTip.visible = false
    }

    // The checks run in this order; only input that passes them all is sent.
    function save() {
        if (mNetUpdatePwd.busy)
            return
        var oldPwd = mRightOldEdit.text
        var newPwd = mRightNewEdit.text
        var reNewPwd = mRightReNewEdit.text
        if (oldPwd.length < 6) {
            showText(qsTr("请正确输入旧密码"))
            return
        }
        if (newPwd.length < 6 || reNewPwd.length < 6) {
            showText(qsTr("密码长度应大于6位"))
            return
        }
        if (newPwd !== reNewPwd) {
            showText(qsTr("The two passwords input are inconsistent"))
            return
        }
        mNetUpdatePwd.updatePwd(oldPwd, newPwd)
    }

    color: "#f7f8fb"
    onVisibleChanged: {
        if (visible)
            refreshView()
    }

    KNetUpdatePwd {
        id: mNetUpdatePwd
        objectName: "netUpdatePwd"
        onSigRequestFinished: {
            if (code === 0) {
                mContext.clearFields()
                mContext.sigUpdatePasswordSuccess()
            } else if (code === mNetUpdatePwd.codeNotLoggedIn) {
                // The session has ended (the stored one is already cleared).
                mContext.clearFields()
                mContext.sigSignedOut(msg)
            } else {
                mContext.showText(msg)
            }
        }
    }

    Timer {
        id: mTimer
        interval: 5 * 1000
        onTriggered: mTip.visible = false
    }

    Rectangle {
        id: mLeft
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: KLocator.getScaleLength(300)
        color: "#ffffff"

        Column {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.topMargin: KLocator.getScaleLength(16)

            Rectangle {
                width: parent.width
                height: KLocator.getScaleLength(48)
                color: "#f3f6ff"

                Rectangle {
                    width: KLocator.getScaleLength(3)
                    height: parent.height
                    color: "#4c84ff"
                }
                KTxtBtn {
                    id: mChangePwdBtn
                    objectName: "changePwdButton"
                    anchors.fill: parent
                    leftPadding: KLocator.getScaleLength(28)
                    mIsTxtCenter: false
                    fontSize: 11
                    mText: qsTr("Modify password")
                    mColor: "#4c84ff"
                    onClicked: mContext.refreshView()
                }
            }
            Rectangle {
                width: parent.width
                height: KLocator.getScaleLength(48)
                color: mLogoutBtn.hovered ? "#f7f8fb" : "#ffffff"

                KTxtBtn {
                    id: mLogoutBtn
                    objectName: "logoutButton"
                    anchors.fill: parent
                    leftPadding: KLocator.getScaleLength(28)
                    mIsTxtCenter: false
                    fontSize: 11
                    mText: qsTr("Logout")
                    onClicked: {
                        KConfigCommon.clearUserInfo()
                        mContext.sigLogout()
                    }
                }
            }
        }
    }

    Item {
        id: mRight
        anchors.left: mLeft.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom

        Column {
            id: mForm
            x: KLocator.getScaleLength(80)
            y: KLocator.getScaleLength(56)
            spacing: KLocator.getScaleLength(22)

            Text {
                text: qsTr("Modify password")
                font.family: Qt.application.font.family
                font.pointSize: 14
                color: "#343434"
            }
            Grid {
                columns: 2
                columnSpacing: KLocator.getScaleLength(16)
                rowSpacing: KLocator.getScaleLength(18)
                verticalItemAlignment: Grid.AlignVCenter
                horizontalItemAlignment: Grid.AlignRight

                Text {
                    text: qsTr("Password:")
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#959daf"
                }
                KPWDTextField {
                    id: mRightOldEdit
                    objectName: "oldPassword"
                    onSigInputRefused: mContext.showText(reason)
                    width: KLocator.getScaleLength(300)
                    maximumLength: 16
                    echoMode: TextInput.Password
                    placeholderText: qsTr("Please enter the password ")
                    validator: KPasswordValidator {}
                }
                Text {
                    text: qsTr("New password:")
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#959daf"
                }
                KPWDTextField {
                    id: mRightNewEdit
                    objectName: "newPassword"
                    onSigInputRefused: mContext.showText(reason)
                    width: KLocator.getScaleLength(300)
                    maximumLength: 16
                    echoMode: TextInput.Password
                    placeholderText: qsTr("Please enter the new password ")
                    // The login field takes only these characters: a password outside them
                    // could never be entered there.
                    validator: KPasswordValidator {}
                }
                Text {
                    text: qsTr("Repeating password:")
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#959daf"
                }
                KPWDTextField {
                    id: mRightReNewEdit
                    objectName: "repeatPassword"
                    onSigInputRefused: mContext.showText(reason)
                    width: KLocator.getScaleLength(300)
                    maximumLength: 16
                    echoMode: TextInput.Password
                    placeholderText: qsTr("Repeating password")
                    validator: KPasswordValidator {}
                    onAccepted: mContext.save()
                }
            }
            Text {
                id: mTip
                objectName: "tip"
                text: qsTr("Tip")
                font.family: Qt.application.font.family
                font.pointSize: 9
                color: "#f25c5c"
                visible: false
            }
        }
        KSureBtn {
            id: mSureBtn
            objectName: "saveButton"
            anchors.top: mForm.bottom
            anchors.topMargin: KLocator.getScaleLength(mTip.visible ? 12 : 30)
            anchors.right: mForm.right
            width: KLocator.getScaleLength(160)
            mSureStr: qsTr("Save")
            mBusy: mNetUpdatePwd.busy
            onClicked: mContext.save()
        }
    }
}

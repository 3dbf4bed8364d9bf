import QtQuick 2.15
import QtQuick.Controls 2.15
import k.tools 1.0
import "qrc:/Widget"

// Logging in with e-mail and password. Only the lengths are checked before the request; the
// service's answer either closes the dialog (success) or shows its message.
KDialogFrame {
    id: mDialog

    property alias mLogin: mLogin
    property alias mUserNameField: mUserNameField
    property alias mPwdField: mPwdField
    property alias mTip: mTipLine.mTip

    signal sigRegisterBtnClicked()
    signal sigForgotBtnClicked()
    signal sigLoginSuccessful()

    function showText(txt) {
        mTipLine.showText(txt)
    }

    // Prepares the dialog for a new entry.
    function refreshView() {
        mUserNameField.text = ""
        mPwdField.text = ""
        mTipLine.hide()
    }

    function closeView() {
        close()
    }

    function login() {
        if (mLogin.busy)
            return
        var email = mUserNameField.text
        var password = mPwdField.text
        if (email.length < 6 || password.length < 6) {
            showText(qsTr("Mailbox format error or Password must be 6 characters or more"))
            return
        }
        mLogin.login(email, password)
    }

    objectName: "dialogLogin"
    mTitleStr: qsTr("LogIn")
    mInitialFocusItem: mUserNameField

    KNetLogin {
        id: mLogin
        onSigRequestFinished: {
            if (code === 0) {
                mDialog.sigLoginSuccessful()
                mDialog.closeView()
            } else {
                mTipLine.showFailure(msg)
            }
        }
    }

    Item {
        width: mDialog.mBodyWidth
        height: mRegisterBtn.height

        KTxtBtn {
            id: mRegisterBtn
            objectName: "registerButton"
            anchors.right: parent.right
            mText: qsTr("Register")
            mColor: "#888c9e"
            mColorHovered: "#4c84ff"
            onClicked: mDialog.sigRegisterBtnClicked()
        }
    }
    KPWDTextField {
        id: mUserNameField
        objectName: "userNameField"
        onSigInputRefused: mTipLine.showText(reason)
        width: mDialog.mBodyWidth
        maximumLength: 30
        placeholderText: qsTr("EMail")
        validator: KEmailValidator {}
        KeyNavigation.tab: mPwdField
    }
    KPWDTextField {
        id: mPwdField
        objectName: "passwordField"
        onSigInputRefused: mTipLine.showText(reason)
        width: mDialog.mBodyWidth
        maximumLength: 20
        echoMode: TextInput.Password
        placeholderText: qsTr("Password")
        validator: KPasswordValidator {}
        // Enter acts like the confirm button, also while the password is not yet a full match
        // of its pattern (when the field's accepted signal stays silent).
        Keys.onReturnPressed: mDialog.login()
        Keys.onEnterPressed: mDialog.login()
    }
    KTipLine {
        id: mTipLine
        width: mDialog.mBodyWidth
    }
    KSureBtn {
        mBusy: mLogin.busy
        id: mSureBtn
        objectName: "sureButton"
        width: mDialog.mBodyWidth
        onClicked: mDialog.login()
    }
    KTxtBtn {
        objectName: "forgotButton"
        anchors.horizontalCenter: parent.horizontalCenter
        mText: qsTr("Forget password")
        mColor: "#888c9e"
        mColorHovered: "#4c84ff"
        onClicked: mDialog.sigForgotBtnClicked()
    }
}

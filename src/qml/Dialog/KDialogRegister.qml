import QtQuick 2.15
import QtQuick.Controls 2.15
import k.tools 1.0
import "qrc:/Widget"

// Creating an account: nickname, e-mail and the password twice. The checks run in their order and
// stop at the first that fails; only input that passes them all is sent.
KDialogFrame {
    id: mDialog

    property alias mRegister: mRegister
    property alias mNickNameField: mNickNameField
    property alias mEmailField: mEmailField
    property alias mPwdField: mPwdField
    property alias mRePwdField: mRePwdField
    property alias mTip: mTipLine.mTip

    signal sigLoginBtnClicked()
    signal sigRegisterSuccessful()

    function showText(txt) {
        mTipLine.showText(txt)
    }

    function refreshView() {
        mNickNameField.text = ""
        mEmailField.text = ""
        mPwdField.text = ""
        mRePwdField.text = ""
        mTipLine.hide()
    }

    function closeView() {
        close()
    }

    function registerUser() {
        if (mRegister.busy)
            return
        var nickName = mNickNameField.text
        var email = mEmailField.text
        var password = mPwdField.text
        var rePassword = mRePwdField.text
        if (nickName.length <= 2) {
            showText(qsTr("NiceName error"))
            return
        }
        if (email.length < 6) {
            showText(qsTr("Mailbox format error"))
            return
        }
        if (password.length < 6) {
            showText(qsTr("Must be 6 characters or more"))
            return
        }
        if (rePassword !== password) {
            showText(qsTr("The two passwords input are inconsistent"))
            return
        }
        mRegister.registerUser(nickName, email, password, rePassword)
    }

    objectName: "dialogRegister"
    mTitleStr: qsTr("Register")
    mInitialFocusItem: mNickNameField

    KNetRegister {
        id: mRegister
        onSigRequestFinished: {
            if (code === 0) {
                mDialog.sigRegisterSuccessful()
                mDialog.closeView()
            } else {
                mTipLine.showFailure(msg)
            }
        }
    }

    Item {
        width: mDialog.mBodyWidth
        height: mLoginBtn.height

        KTxtBtn {
            id: mLoginBtn
            objectName: "loginButton"
            anchors.right: parent.right
            mText: qsTr("Login")
            mColor: "#888c9e"
            mColorHovered: "#4c84ff"
            onClicked: mDialog.sigLoginBtnClicked()
        }
    }
    KPWDTextField {
        id: mNickNameField
        objectName: "nickNameField"
        onSigInputRefused: mTipLine.showText(reason)
        width: mDialog.mBodyWidth
        maximumLength: 16
        placeholderText: qsTr("NiceName")
        // Any name the service keeps (spaces and every script), without control characters.
        validator: RegularExpressionValidator {
            regularExpression: /^[^\x00-\x1f\x7f]*$/
        }
        KeyNavigation.tab: mEmailField
    }
    KPWDTextField {
        id: mEmailField
        objectName: "emailField"
        onSigInputRefused: mTipLine.showText(reason)
        width: mDialog.mBodyWidth
        maximumLength: 30
        placeholderText: qsTr("Email account")
        validator: KEmailValidator {}
        KeyNavigation.tab: mPwdField
    }
    KPWDTextField {
        id: mPwdField
        objectName: "passwordField"
        onSigInputRefused: mTipLine.showText(reason)
        width: mDialog.mBodyWidth
        maximumLength: 16
        echoMode: TextInput.Password
        placeholderText: qsTr("Login password")
        validator: KPasswordValidator {}
        KeyNavigation.tab: mRePwdField
    }
    KPWDTextField {
        id: mRePwdField
        objectName: "rePasswordField"
        onSigInputRefused: mTipLine.showText(reason)
        width: mDialog.mBodyWidth
        maximumLength: 16
        echoMode: TextInput.Password
        placeholderText: qsTr("Repeating password")
        validator: KPasswordValidator {}
    }
    KTipLine {
        id: mTipLine
        width: mDialog.mBodyWidth
    }
    KSureBtn {
        mBusy: mRegister.busy
        objectName: "sureButton"
        width: mDialog.mBodyWidth
        onClicked: mDialog.registerUser()
    }
}

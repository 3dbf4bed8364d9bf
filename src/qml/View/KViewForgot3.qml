import QtQuick 2.15
import QtQuick.Controls 2.15
import k.tools 1.0
import "qrc:/Widget"

// Password recovery, step three: the new password, twice, sent with the e-mail address and the
// verified code.
Column {
    id: mView

    property string mEmail: ""
    property string mCode: ""
    property alias mNewPwd: mNewPwd
    property alias mPwdField: mPwdField
    property alias mRePwdField: mRePwdField
    property alias mTip: mTipLine.mTip

    // Takes the focus when the view is shown.
    property Item mInitialFocusItem: mPwdField

    signal sigChangeResult(bool status)

    function showText(txt) {
        mTipLine.showText(txt)
    }

    function refreshView() {
        mPwdField.text = ""
        mRePwdField.text = ""
        mTipLine.hide()
    }

    function setNewPwd() {
        if (mNewPwd.busy)
            return
        var password = mPwdField.text
        if (password.length < 6) {
            showText(qsTr("Must be 6 characters or more"))
            return
        }
        if (mRePwdField.text !== password) {
            showText(qsTr("The two passwords input are inconsistent"))
            return
        }
        mNewPwd.setNewPwd(mEmail, mCode, password)
    }

    spacing: KLocator.getScaleLength(14)

    KNetForgotNewPwd {
        id: mNewPwd
        onSigRequestFinished: {
            if (code === 0)
                mView.sigChangeResult(true)
            else
                mTipLine.showFailure(msg)
        }
    }

    KPWDTextField {
        id: mPwdField
        objectName: "passwordField"
        onSigInputRefused: mTipLine.showText(reason)
        width: mView.width
        maximumLength: 16
        echoMode: TextInput.Password
        placeholderText: qsTr("New password")
        validator: KPasswordValidator {}
        KeyNavigation.tab: mRePwdField
    }
    KPWDTextField {
        id: mRePwdField
        objectName: "rePasswordField"
        onSigInputRefused: mTipLine.showText(reason)
        width: mView.width
        maximumLength: 16
        echoMode: TextInput.Password
        placeholderText: qsTr("Repeating password")
        validator: KPasswordValidator {}
    }
    KTipLine {
        id: mTipLine
        width: mView.width
    }
    KSureBtn {
        mBusy: mNewPwd.busy
        objectName: "sureButton"
        width: mView.width
        onClicked: mView.setNewPwd()
    }
}

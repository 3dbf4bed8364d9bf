import QtQuick 2.15
import QtQuick.Controls 2.15
import k.tools 1.0
import "qrc:/Widget"

// Password recovery, step one: the registered e-mail address, to which the service sends a code.
Column {
    id: mView

    property alias mSendEmail: mSendEmail
    property alias mEmailField: mEmailField
    property alias mTip: mTipLine.mTip
    // The address of the request in flight, reported on success.
    property string mSentEmail: ""

    // Takes the focus when the view is shown.
    property Item mInitialFocusItem: mEmailField

    signal sigSendSuccess(string email)

    function showText(txt) {
        mTipLine.showText(txt)
    }

    function refreshView() {
        mEmailField.text = ""
        mTipLine.hide()
    }

    function send() {
        if (mSendEmail.busy)
            return
        var email = mEmailField.text
        if (email.length < 6) {
            showText(qsTr("Mailbox error"))
            return
        }
        mSentEmail = email
        mSendEmail.sendEmail(email)
    }

    spacing: KLocator.getScaleLength(14)

    KNetForgotSendEmail {
        id: mSendEmail
        onSigRequestFinished: {
            if (code === 0)
                mView.sigSendSuccess(mView.mSentEmail)
            else
                mTipLine.showFailure(msg)
        }
    }

    KPWDTextField {
        id: mEmailField
        objectName: "emailField"
        onSigInputRefused: mTipLine.showText(reason)
        width: mView.width
        // As long as the address that registration and login take.
        maximumLength: 30
        placeholderText: qsTr("Email account")
        validator: KEmailValidator {}
    }
    Text {
        width: mView.width
        text: qsTr("In order to protect the account security, we will send a verification code to the mailbox.")
        font.family: Qt.application.font.family
        font.pointSize: 9
        color: "#959daf"
        wrapMode: Text.Wrap
        lineHeight: 1.2
    }
    KTipLine {
        id: mTipLine
        width: mView.width
    }
    KSureBtn {
        mBusy: mSendEmail.busy
        objectName: "sureButton"
        width: mView.width
        onClicked: mView.send()
    }
}

import QtQuick 2.15
import QtQuick.Controls 2.15
import k.tools 1.0
import "qrc:/Widget"

// Password recovery, step two: the code from the mail, with a countdown of the seconds since it
// was sent.
Column {
    id: mView

    property string mEmail: ""
    property int mSec: 60
    // Milliseconds per countdown step (tests shorten it).
    property int mTickInterval: 1000
    property alias mVerify: mVerify
    property alias mVerifyField: mVerifyField
    property alias mSecTxt: mSecTxt
    property alias mTimer2: mTimer2
    property alias mTip: mTipLine.mTip
    property string mSecStr: qsTr("s")

    // Takes the focus when the view is shown.
    property Item mInitialFocusItem: mVerifyField

    signal sigVerifySuccess(string email, string code)

    function showText(txt) {
        mTipLine.showText(txt)
    }

    function refreshView() {
        mTimer2.stop()
        mSec = 60
        mSecTxt.text = mSec + mSecStr
        mVerifyField.text = ""
        mTipLine.hide()
    }

    // Counts down from 60; the first step shows at once.
    function startTimer() {
        mSec = 60
        mTimer2.restart()
    }

    function verify() {
        if (mVerify.busy)
            return
        var code = mVerifyField.text
        if (code.length !== 4) {
            showText(qsTr("Please enter the correct verification code"))
            return
        }
        if (mEmail.length < 6) {
            showText(qsTr("Mailbox error"))
            return
        }
        mVerify.mCode = code
        mVerify.verify(mEmail, code)
    }

    spacing: KLocator.getScaleLength(14)

    KNetForgotVerifyCode {
        id: mVerify

        // The code of the request in flight, reported on success.
        property string mCode: ""

        onSigRequestFinished: {
            if (code === 0)
                mView.sigVerifySuccess(mView.mEmail, mCode)
            else
                mTipLine.showFailure(msg)
        }
    }

    Timer {
        id: mTimer2
        interval: mView.mTickInterval
        repeat: true
        triggeredOnStart: true
        onTriggered: {
            mSecTxt.text = mView.mSec + mView.mSecStr
            if (mView.mSec <= 0)
                stop()
            else
                mView.mSec -= 1
        }
    }

    Text {
        width: mView.width
        // The middle of a long address gives way to "…".
        text: KLocator.elidedTextMiddle(mView.mEmail, font.pointSize, font.family, width)
        font.family: Qt.application.font.family
        font.pointSize: 10
        color: "#343434"
    }
    KPWDTextField {
        id: mVerifyField
        objectName: "verifyField"
        onSigInputRefused: mTipLine.showText(reason)
        width: mView.width
        rightPadding: KLocator.getScaleLength(16) + mSecTxt.width
        maximumLength: 6
        placeholderText: qsTr("Please enter the verification code")
        validator: KEmailValidator {}

        Text {
            id: mSecTxt
            objectName: "secText"
            anchors.right: parent.right
            anchors.rightMargin: KLocator.getScaleLength(12)
            anchors.verticalCenter: parent.verticalCenter
            text: "60" + mView.mSecStr
            font.family: Qt.application.font.family
            font.pointSize: 10
            color: "#4c84ff"
        }
    }
    KTipLine {
        id: mTipLine
        width: mView.width
    }
    KSureBtn {
        mBusy: mVerify.busy
        objectName: "sureButton"
        width: mView.width
        onClicked: mView.verify()
    }
}

import QtQuick 2.15
import QtQuick.Controls 2.15
import "qrc:/Widget"
import "qrc:/View"

// Password recovery in three views: the e-mail address, the code from the mail, the new password.
KDialogFrame {
    id: mDialog

    property int mPage: 1
    property alias mView1: mView1
    property alias mView2: mView2
    property alias mView3: mView3
    property alias mView5: mView5
    property alias mBackBtn: mBackBtn

    signal sigResetPwdSuccess()

    // Starts again at the first view.
    function refreshView() {
        mView1.refreshView()
        mView2.refreshView()
        mView3.refreshView()
        loadPage(1)
    }

    function closeView() {
        close()
    }

    function loadPage(page) {
        mPage = page
        mView1.visible = false
        mView2.visible = false
        mView3.visible = false
        mView4.visible = false
        mView5.visible = false
        switch (page) {
        case 1:
            mTitleStr = qsTr("Forget password")
            mView1.visible = true
            break
        case 2:
            mTitleStr = qsTr("Verification")
            mView2.visible = true
            mView2.startTimer()
            break
        case 3:
            mTitleStr = qsTr("Reset password")
            mView3.visible = true
            break
        case 4:
            mTitleStr = qsTr("successfully")
            break
        case 5:
            mTitleStr = qsTr("failed")
            mView5.visible = true
            break
        }
        focusView()
    }

    // The focus follows the view shown: its first field, or its button.
    function focusView() {
        var views = { 1: mView1, 2: mView2, 3: mView3, 5: mView5 }
        mInitialFocusItem = views[mPage] ? views[mPage].mInitialFocusItem : null
        if (visible || mShowing)
            focusInitialItem()
    }

    objectName: "dialogForgot"
    mTitleStr: qsTr("Forget password")
    mInitialFocusItem: mView1.mInitialFocusItem
    mTitleIndent: mBackBtn.visible ? mBackBtn.width + KLocator.getScaleLength(8) : 0
    onAboutToShow: refreshView()

    // Shown from the second view on; it leads nowhere.
    KTxtBtn {
        id: mBackBtn
        objectName: "backButton"
        parent: mDialog.mHeader
        x: KLocator.getScaleLength(20)
        anchors.verticalCenter: parent.verticalCenter
        visible: mDialog.mPage !== 1
        fontSize: 13
        mText: "<"
        mAccessibleName: qsTr("Back")
        mColor: "#959daf"
        mColorHovered: "#4c84ff"
    }

    Item {
        id: mStackView
        width: mDialog.mBodyWidth
        height: mView1.visible ? mView1.implicitHeight
                               : mView2.visible ? mView2.implicitHeight
                                                : mView3.visible ? mView3.implicitHeight
                                                                 : mView5.visible ? mView5.implicitHeight
                                                                                  : 0

        KViewForgot1 {
            id: mView1
            objectName: "viewForgot1"
            width: parent.width
            onSigSendSuccess: {
                mView2.mEmail = email
                mView2.refreshView()
                mDialog.loadPage(2)
            }
        }
        KViewForgot2 {
            id: mView2
            objectName: "viewForgot2"
            width: parent.width
            visible: false
            onSigVerifySuccess: {
                mView3.mEmail = email
                mView3.mCode = code
                mView3.refreshView()
                mDialog.loadPage(3)
            }
        }
        KViewForgot3 {
            id: mView3
            objectName: "viewForgot3"
            width: parent.width
            visible: false
            onSigChangeResult: {
                if (!status)
                    return
                console.log("显示 密码修改成功")
                mDialog.sigResetPwdSuccess()
                mDialog.closeView()
            }
        }
        KViewForgot4 {
            id: mView4
            visible: false
        }
        KViewForgot5 {
            id: mView5
            objectName: "viewForgot5"
            width: parent.width
            visible: false
            onSigClose: mDialog.closeView()
        }
    }
}

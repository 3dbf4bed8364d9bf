import QtQuick 2.15

// Puts the program's window (mWindow, the root document) into each state worth a screenshot,
// through the same functions and back end a person reaches (see screens_pages.cpp).
QtObject {
    id: mHarness

    property var mWindow: null
    // Runs mAction a moment later: device notifications closer together than the device
    // watcher's debounce count as one change.
    property Timer mLater: Timer {
        property var mAction: null
        interval: 150
        onTriggered: mAction()
    }
    property var mLanguageTips: null
    // The screenshots, in order; prepare(name) sets each one up.
    property var mShots: ["welcome", "unpair", "main", "main_bluetooth", "main_logged_in",
        "sync_popup", "tip", "login", "login_tip", "register", "register_tip", "forgot_email",
        "forgot_code", "forgot_password", "forgot_failed", "update", "driver_fix", "restore",
        "language_tips", "profile", "about", "pair", "device_notice", "access_notice",
        "access_notice_rule_installed"]

    function page() {
        return mWindow.mPageMain
    }

    function closeDialogs() {
        var p = page()
        var dialogs = [p.mDialogUpgrade, p.mDialogDriverFix, p.mDialogReDefault, p.mDialogLogin,
                       p.mDialogRegister, p.mDialogForgot]
        if (mLanguageTips)
            dialogs.push(mLanguageTips)
        for (var i = 0; i < dialogs.length; ++i)
            dialogs[i].close()
        p.mTop2.mSycnBtn.setSyncWidgetStatus(false)
        p.mTipWidget.visible = false
    }

    function openDialog(dialog) {
        page().openDialog(dialog)
    }

    // Returns how many milliseconds the window needs to settle.
    function prepare(name) {
        closeDialogs()
        var p = page()
        switch (name) {
        case "welcome":
            mWindow.showPage("Welcome")
            return 300
        case "unpair":
            PagesBackend.setDevices(false, false, false)
            return 500
        case "main":
            PagesBackend.setDevices(true, false, false)
            return 800
        case "main_bluetooth":
            PagesBackend.setDevices(true, true, false)
            mLater.mAction = function () { PagesBackend.setDevices(false, true, false) }
            mLater.start()
            return 900
        case "main_logged_in":
            PagesBackend.setDevices(true, false, false)
            PagesBackend.createAccount("Tolva", "tolva@example.com", "abc123!")
            PagesBackend.logIn("tolva@example.com", "abc123!")
            p.refreshView()
            return 800
        case "sync_popup":
            p.mTop2.mSycnBtn.setSyncWidgetStatus(true)
            return 400
        case "tip":
            p.mDialogLogin.sigLoginSuccessful()
            return 300
        case "login":
            KConfigCommon.clearUserInfo()
            p.refreshView()
            openDialog(p.mDialogLogin)
            p.mDialogLogin.mUserNameField.text = "tolva@example.com"
            p.mDialogLogin.mPwdField.text = "abc123!"
            return 500
        case "login_tip":
            openDialog(p.mDialogLogin)
            p.mDialogLogin.mUserNameField.text = "tolva"
            p.mDialogLogin.login()
            return 500
        case "register":
            openDialog(p.mDialogRegister)
            p.mDialogRegister.mNickNameField.text = "Tolva"
            p.mDialogRegister.mEmailField.text = "tolva@example.com"
            p.mDialogRegister.mPwdField.text = "abc123!"
            p.mDialogRegister.mRePwdField.text = "abc123!"
            return 500
        case "register_tip":
            openDialog(p.mDialogRegister)
            p.mDialogRegister.mNickNameField.text = "Tolva"
            p.mDialogRegister.mEmailField.text = "tolva@example.com"
            p.mDialogRegister.mPwdField.text = "abc123!"
            p.mDialogRegister.mRePwdField.text = "abc123?"
            p.mDialogRegister.registerUser()
            return 500
        case "forgot_email":
            openDialog(p.mDialogForgot)
            p.mDialogForgot.mView1.mEmailField.text = "tolva@example.com"
            return 500
        case "forgot_code":
            openDialog(p.mDialogForgot)
            p.mDialogForgot.mView2.mEmail = "tolva@example.com"
            p.mDialogForgot.loadPage(2)
            p.mDialogForgot.mView2.mVerifyField.text = "4821"
            return 2600
        case "forgot_password":
            openDialog(p.mDialogForgot)
            p.mDialogForgot.loadPage(3)
            p.mDialogForgot.mView3.mPwdField.text = "new456@"
            p.mDialogForgot.mView3.mRePwdField.text = "new456#"
            p.mDialogForgot.mView3.setNewPwd()
            return 500
        case "forgot_failed":
            openDialog(p.mDialogForgot)
            p.mDialogForgot.loadPage(5)
            return 500
        case "update":
            PagesBackend.setLatestVersion("1.1.0", "https://tolva.example/download/pointora-1.1.0")
            KUpdater.getSoftwareVersion()
            return 800
        case "driver_fix":
            KMsgManager.sigWin7DriverFixDialog()
            return 500
        case "restore":
            p.mTop2.sigDefaultClicked()
            return 500
        case "language_tips":
            if (!mLanguageTips) {
                var component = Qt.createComponent("qrc:/Dialog/KDialogLanguageTips.qml")
                mLanguageTips = component.createObject(p)
            }
            mLanguageTips.open()
            return 500
        case "profile":
            PagesBackend.logIn("tolva@example.com", "abc123!")
            p.mTop2.refreshView()
            p.mTop2.sigLoginClicked()
            return 500
        case "about":
            p.mTop2.sigAboutClicked()
            return 500
        case "pair":
            p.mTop2.sigPairWClicked()
            return 500
        case "device_notice":
            p.mTop2.sigFunctionClicked()
            PagesBackend.refuseDevice("/dev/input/event7", "USB Game Pad", 1)
            return 500
        case "access_notice":
            PagesBackend.simCommand("access deny rule")
            PagesBackend.simCommand("access deny uinput")
            PagesBackend.simCommand("access deny receiver")
            KAccessStatus.recheck()
            return 500
        case "access_notice_rule_installed":
            PagesBackend.simCommand("access allow rule")
            KAccessStatus.recheck()
            return 500
        }
        return 0
    }
}

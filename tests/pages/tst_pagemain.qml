import QtQuick 2.15
import QtTest 1.2
import "qrc:/Page"

// The main page with its header, tip line and dialogs, against the running service: login from
// the header, synchronisation, restoring the defaults, the update offer and the screen switching.
Item {
    id: root

    width: 960
    height: 640

    Component {
        id: pageComponent
        PageMain {
            anchors.fill: parent
        }
    }

    SignalSpy {
        id: versionSpy
        target: KUpdater
        signalName: "sigReturnVersion"
    }

    TestCase {
        name: "PageMain"
        when: windowShown

        property var page: null

        function typeText(field, text) {
            field.forceActiveFocus()
            for (var i = 0; i < text.length; ++i)
                keyClick(text[i])
        }

        function head(name) {
            var item = findChild(page.mTop2, name)
            verify(item, name)
            return item
        }

        function dialogField(dialog, name) {
            var item = findChild(dialog.contentItem, name)
            verify(item, name)
            return item
        }

        function shownContext() {
            var names = ["mMain", "mPair", "mProfile", "mAbout"]
            var shown = []
            for (var i = 0; i < names.length; ++i) {
                if (page[names[i]].visible)
                    shown.push(names[i])
            }
            return shown.join(",")
        }

        // Points at the synchronisation button and clicks the popup's entry.
        function sync(isUp) {
            var button = head("syncButton")
            mouseMove(button, button.width / 2, button.height / 2)
            tryVerify(function () { return button.mSyncWidget.opened })
            var entry = findChild(button.mSyncWidget.contentItem, isUp ? "syncUp" : "syncDown")
            mouseMove(entry, entry.width / 2, entry.height / 2)
            mouseClick(entry)
        }

        function expectTip(text) {
            tryCompare(page.mTipText, "text", text, 5000)
            verify(page.mTipWidget.visible)
        }

        function init() {
            PagesBackend.reset()
            page = createTemporaryObject(pageComponent, root)
            verify(page)
            page.refreshView()
            tryCompare(page, "mCurrentContext", "ContextMain")
        }

        // A device that stays the system's is named with the reason until the notice is closed;
        // a page made afterwards does not show it again.
        function test_deviceNotice() {
            var notice = findChild(page, "deviceNotice")
            verify(notice)
            verify(!notice.visible)
            PagesBackend.refuseDevice("/dev/input/event7", "Game Pad", 1)
            tryVerify(function () { return notice.visible }, 5000)
            var text = findChild(page, "deviceNoticeText").text
            verify(text.indexOf("/dev/input/event7") >= 0, text)
            verify(text.indexOf("Game Pad") >= 0, text)
            verify(text.indexOf("力反馈") >= 0, text)  // in the interface's language
            mouseClick(findChild(page, "deviceNoticeClose"))
            verify(!notice.visible)
            var again = createTemporaryObject(pageComponent, root)
            verify(!findChild(again, "deviceNotice").visible)
        }

        // What the program lacks is named with the exact fix while it lacks it: the command
        // that installs the rule when the rule is missing, the replug and getfacl advice when
        // only a node is refused; "Check again" hides it once everything is granted.
        function test_accessNotice() {
            var notice = findChild(page, "accessNotice")
            verify(notice)
            verify(!notice.visible)
            compare(PagesBackend.simCommand("access deny rule"), "ok")
            compare(PagesBackend.simCommand("access deny receiver"), "ok")
            var check = findChild(page, "accessNoticeCheck")
            verify(check)
            // The notice is hidden, so the check is run as the button would.
            KAccessStatus.recheck()
            tryVerify(function () { return notice.visible }, 5000)
            var text = findChild(page, "accessNoticeText").text
            var fix = findChild(page, "accessNoticeFix").text
            verify(text.indexOf("70-pointora.rules") >= 0, text)
            verify(text.split("\n").length === 2, text)  // the receiver and the rule
            verify(text.indexOf("/dev/uinput") < 0, text)
            verify(fix.indexOf("sudo cp packaging/udev/70-pointora.rules /etc/udev/rules.d/ && "
                               + "sudo udevadm control --reload-rules && sudo udevadm trigger")
                   >= 0, fix)
            verify(fix.indexOf("Debian") >= 0 || fix.indexOf("软件包") >= 0, fix)

            // The rule is installed, the receiver's nodes are still refused.
            compare(PagesBackend.simCommand("access allow rule"), "ok")
            mouseClick(check)
            tryVerify(function () {
                return findChild(page, "accessNoticeText").text.indexOf("70-pointora.rules") < 0
            }, 5000)
            verify(notice.visible)
            fix = findChild(page, "accessNoticeFix").text
            verify(fix.indexOf("sudo cp") < 0, fix)
            verify(fix.indexOf("getfacl /dev/hidraw0") >= 0, fix)

            compare(PagesBackend.simCommand("access allow receiver"), "ok")
            mouseClick(check)
            tryVerify(function () { return !notice.visible }, 5000)
            verify(KAccessStatus.isComplete())
        }

        // A device that arrives is checked at once: a refused Bluetooth mouse brings the notice,
        // its leaving takes it away again.
        function test_accessNoticeFollowsTheDevices() {
            var notice = findChild(page, "accessNotice")
            KDeviceWatcher.startWatch()  // as the window does after its welcome page
            compare(PagesBackend.simCommand("access deny ble-mouse"), "ok")
            KAccessStatus.recheck()
            verify(!notice.visible)  // denied, but not there
            PagesBackend.setDevices(true, true, false)
            tryVerify(function () { return notice.visible }, 5000)
            var fix = findChild(page, "accessNoticeFix").text
            verify(fix.indexOf("getfacl /dev/hidraw3 /dev/input/event7") >= 0, fix)
            PagesBackend.setDevices(true, false, false)
            tryVerify(function () { return !notice.visible }, 5000)
        }

        // The access notice keeps below the other notices and clear of the left column.
        function test_accessNoticeLeavesRoom() {
            compare(PagesBackend.simCommand("access deny uinput"), "ok")
            KAccessStatus.recheck()
            var notice = findChild(page, "accessNotice")
            tryVerify(function () { return notice.visible }, 5000)
            PagesBackend.refuseDevice("/dev/input/event7", "Game Pad", 2)
            var device = findChild(page, "deviceNotice")
            tryVerify(function () { return device.visible }, 5000)
            verify(device.y + device.height <= notice.y, "the notices overlap")
            verify(notice.x >= KLocator.getScaleLength(300), "the notice covers the menu")
            verify(notice.y + notice.height <= page.height, "the notice leaves the page")
            mouseClick(findChild(page, "accessNoticeClose"))
            verify(!notice.visible)
        }

        // A function that cannot work in this session shows its tip, whichever function it is,
        // above the device notice, until closed; a page made afterwards does not show it again.
        function test_functionNotice() {
            var notice = findChild(page, "functionNotice")
            verify(notice)
            verify(!notice.visible)
            KWinSimulator.functionUnavailable(13, "Brightness cannot be set here.")
            tryVerify(function () { return notice.visible }, 5000)
            compare(findChild(page, "functionNoticeText").text, "Brightness cannot be set here.")
            PagesBackend.refuseDevice("/dev/input/event7", "Game Pad", 1)
            var device = findChild(page, "deviceNotice")
            tryVerify(function () { return device.visible }, 5000)
            verify(notice.y + notice.height <= device.y, "the two notices overlap")
            mouseClick(findChild(page, "functionNoticeClose"))
            verify(!notice.visible)
            verify(device.visible)
            compare(KWinSimulator.functionNotice(), "")
            var again = createTemporaryObject(pageComponent, root)
            verify(!findChild(again, "functionNotice").visible)
        }

        // A settings file that cannot be written: the notice names it, above the function
        // notice, once per failure; closed, it stays closed while the same failure goes on; the
        // next write that goes through takes it away, and a new failure shows it again.
        function test_settingsNotice() {
            var notice = findChild(page, "settingsNotice")
            verify(notice)
            verify(!notice.visible)
            verify(PagesBackend.blockFunctionSettings(true))
            KConfigCommon.setKeyValueWithKeyType(8, 42)
            tryVerify(function () { return notice.visible }, 5000)
            var text = findChild(page, "settingsNoticeText").text
            verify(text.indexOf("DeviceFunction.ini") >= 0, text)
            compare(KConfigCommon.getValueByKeyType(8), 42)
            KWinSimulator.functionUnavailable(13, "Brightness cannot be set here.")
            var tip = findChild(page, "functionNotice")
            tryVerify(function () { return tip.visible }, 5000)
            verify(notice.y + notice.height <= tip.y, "the two notices overlap")

            mouseClick(findChild(page, "settingsNoticeClose"))
            verify(!notice.visible)
            KConfigCommon.setKeyValueWithKeyType(9, 29)
            wait(50)
            verify(!notice.visible, "the same failure came back after closing")
            verify(!findChild(createTemporaryObject(pageComponent, root), "settingsNotice").visible)

            verify(PagesBackend.blockFunctionSettings(false))
            KConfigCommon.setKeyValueWithKeyType(1, 21)
            compare(KConfigCommon.saveNotice(), "")
            verify(PagesBackend.blockFunctionSettings(true))
            KConfigCommon.setKeyValueWithKeyType(1, 22)
            tryVerify(function () { return notice.visible }, 5000)
            verify(PagesBackend.blockFunctionSettings(false))
            KConfigCommon.setKeyValueWithKeyType(1, 0)
            tryVerify(function () { return !notice.visible }, 5000)
        }

        function test_syncWhileLoggedOutOpensLogin_data() {
            return [{ tag: "upload", isUp: true }, { tag: "download", isUp: false }]
        }

        function test_syncWhileLoggedOutOpensLogin(data) {
            var saves = PagesBackend.requestCount("/v1/driver/config2/save")
            var gets = PagesBackend.requestCount("/v1/driver/config2/get")
            sync(data.isUp)
            tryCompare(page.mDialogLogin, "opened", true)
            wait(100)
            compare(PagesBackend.requestCount("/v1/driver/config2/save"), saves)
            compare(PagesBackend.requestCount("/v1/driver/config2/get"), gets)
            verify(!page.mTipWidget.visible)
        }

        function test_loginFromTheHeader() {
            compare(PagesBackend.createAccount("Header", "header@example.com", "abc123!"), 0)
            compare(head("nickName").mText, "未登录")
            mouseClick(head("headImage"))
            var dialog = page.mDialogLogin
            tryCompare(dialog, "opened", true)
            typeText(dialogField(dialog, "userNameField"), "header@example.com")
            typeText(dialogField(dialog, "passwordField"), "abc123!")
            mouseClick(dialogField(dialog, "sureButton"))
            tryCompare(dialog, "visible", false, 5000)
            compare(head("nickName").mText, "Header")
            verify(head("headImage").mIsSelected)
            expectTip("Header 登录成功")
            // Logged in, the account leads to the profile screen, whose logout leads back.
            mouseClick(head("nickName"))
            tryCompare(page, "mCurrentContext", "ContextProfile")
            compare(shownContext(), "mProfile")
            verify(!dialog.opened)
            mouseClick(findChild(page.mProfile, "logoutButton"))
            tryCompare(page, "mCurrentContext", "ContextMain")
            compare(head("nickName").mText, "未登录")
            verify(!KConfigCommon.isLogin())
        }

        function test_uploadAndDownload() {
            compare(PagesBackend.createAccount("Syncer", "syncer@example.com", "abc123!"), 0)
            compare(PagesBackend.logIn("syncer@example.com", "abc123!"), 0)
            page.refreshView()
            KConfigCommon.setKeyValueWithKeyType(8, 42)
            KConfigCommon.setKeyValueWithKeyType(20, 61)
            var saves = PagesBackend.requestCount("/v1/driver/config2/save")
            sync(true)
            expectTip("上传成功")
            compare(PagesBackend.requestCount("/v1/driver/config2/save"), saves + 1)

            KConfigCommon.resetFunctionConfig()
            KConfigCommon.setKeyValueWithKeyType(2, 5)
            page.mTipWidget.visible = false
            sync(false)
            expectTip("下载成功")
            compare(KConfigCommon.getValueByKeyType(8), 42)
            compare(KConfigCommon.getValueByKeyType(20), 61)
            compare(KConfigCommon.getValueByKeyType(2), 0)
            // The screen shows what came down.
            tryCompare(findChild(page.mMain, "key2"), "mKeyName", "无")
        }

        function test_syncWithAnEndedSession_data() {
            return [{ tag: "upload", isUp: true }, { tag: "download", isUp: false }]
        }

        // A stale session: the service no longer knows it. The stored session ends, the header
        // shows the signed-out state and the tip says why (not a mere failure), nothing changes.
        function test_syncWithAnEndedSession(data) {
            PagesBackend.setAccount("Stale", "0123456789abcdef")
            page.refreshView()
            tryCompare(head("nickName"), "mText", "Stale")
            KConfigCommon.setKeyValueWithKeyType(3, 10)
            sync(data.isUp)
            tryVerify(function () { return page.mTipWidget.visible }, 5000)
            verify(page.mTipText.text !== "")
            verify(page.mTipText.text !== "上传失败" && page.mTipText.text !== "下载失败")
            verify(!KConfigCommon.isLogin())
            compare(KConfigCommon.getToken(), "")
            tryCompare(head("nickName"), "mText", "未登录")
            compare(KConfigCommon.getValueByKeyType(3), 10)
        }

        function test_restoreDefaults() {
            KConfigCommon.setKeyValueWithKeyType(2, 42)
            KConfigCommon.setKeyValueWithKeyType(27, 15)
            page.refreshView()
            mouseClick(head("defaultButton"))
            var dialog = page.mDialogReDefault
            tryCompare(dialog, "opened", true)
            // Closing the question changes nothing.
            mouseClick(dialogField(dialog, "closeButton"))
            tryCompare(dialog, "visible", false)
            compare(KConfigCommon.getValueByKeyType(2), 42)
            mouseClick(head("defaultButton"))
            tryCompare(dialog, "opened", true)
            mouseClick(dialogField(dialog, "sureButton"))
            tryCompare(dialog, "visible", false)
            compare(KConfigCommon.getValueByKeyType(2), 0)
            compare(KConfigCommon.getValueByKeyType(27), 0)
            expectTip("恢复成功")
            tryCompare(findChild(page.mMain, "key2"), "mKeyName", "无")
        }

        function test_updateOffer_data() {
            // The last row offers nothing: the service keeps answering so for the later tests.
            return [
                { tag: "newer", version: "1.0.3", offered: true },
                { tag: "much newer", version: "1.0.10", offered: true },
                // Addresses that are not web addresses are never offered for opening.
                { tag: "file address", version: "1.0.3", offered: true, url: "file:///etc/passwd" },
                { tag: "smb address", version: "1.0.3", offered: true, url: "smb://host/p.exe" },
                { tag: "equal", version: "1.0.2", offered: false },
                { tag: "older", version: "0.9.9", offered: false },
                { tag: "empty", version: "", offered: false },
                { tag: "not a version", version: "new", offered: false }
            ]
        }

        function test_updateOffer(data) {
            compare(KConfigCommon.getAppVersion(), "1.0.2")
            var url = data.url ? data.url : "http://127.0.0.1/pointora-" + data.version + ".deb"
            verify(PagesBackend.setLatestVersion(data.version, url))
            versionSpy.clear()
            KUpdater.getSoftwareVersion()
            versionSpy.wait(5000)
            compare(versionSpy.signalArguments[0][0], data.version)
            compare(versionSpy.signalArguments[0][1], data.url ? "" : url)
            wait(100)
            compare(page.mDialogUpgrade.visible, data.offered)
            if (data.offered) {
                var link = page.mDialogUpgrade.mDownloadLink
                verify(KUpdater.isDownloadAddress(link))
                if (!data.url)
                    compare(link, url)
                page.mDialogUpgrade.close()
                tryCompare(page.mDialogUpgrade, "visible", false)
            }
        }

        // "Later" (or closing) puts the offered version off: it is not offered at the next
        // check, a newer one is; following the link puts nothing off.
        function test_laterPutsTheVersionOff() {
            var offers = [
                { version: "1.0.5", offered: true, action: "later" },
                { version: "1.0.5", offered: false },
                { version: "1.0.6", offered: true, action: "link" },
                { version: "1.0.6", offered: true, action: "close" },
                { version: "1.0.6", offered: false }
            ]
            var dialog = page.mDialogUpgrade
            for (var i = 0; i < offers.length; ++i) {
                var offer = offers[i]
                verify(PagesBackend.setLatestVersion(offer.version, "http://127.0.0.1:9/p.deb"))
                versionSpy.clear()
                KUpdater.getSoftwareVersion()
                versionSpy.wait(5000)
                wait(100)
                compare(dialog.visible, offer.offered, "offer " + i)
                if (!offer.offered)
                    continue
                if (offer.action === "later") {
                    mouseClick(dialogField(dialog, "laterButton"))
                } else if (offer.action === "link") {
                    dialog.mFollowed = true  // what the link does, without opening a browser
                    dialog.close()
                } else {
                    mouseClick(dialogField(dialog, "closeButton"))
                }
                tryCompare(dialog, "visible", false)
            }
            compare(KConfigCommon.getDeclinedVersion(), "1.0.6")
            verify(PagesBackend.setLatestVersion("0.9.9", ""))
        }

        function test_driverFixDialog() {
            KMsgManager.sigWin7DriverFixDialog()
            tryCompare(page.mDialogDriverFix, "opened", true)
            verify(page.mDialogDriverFix.mDownloadLink.indexOf("https://") === 0)
        }

        function test_pairingButtonNeedsTheReceiver_data() {
            return [
                { tag: "receiver", receiver: true, bleMouse: false, enabled: true },
                { tag: "Bluetooth mouse alone", receiver: false, bleMouse: true, enabled: false },
                { tag: "both", receiver: true, bleMouse: true, enabled: true }
            ]
        }

        function test_pairingButtonNeedsTheReceiver(data) {
            PagesBackend.setDevices(data.receiver, data.bleMouse, false)
            page.refreshView()
            compare(head("pairButton").enabled, data.enabled)
        }

        function test_headerSwitchesScreens() {
            mouseClick(head("aboutButton"))
            tryCompare(page, "mCurrentContext", "ContextAbout")
            compare(shownContext(), "mAbout")
            mouseClick(findChild(page.mAbout, "backButton"))
            tryCompare(page, "mCurrentContext", "ContextMain")
            mouseClick(head("pairButton"))
            tryCompare(page, "mCurrentContext", "ContextPair")
            compare(shownContext(), "mPair")
            mouseClick(head("functionButton"))
            tryCompare(page, "mCurrentContext", "ContextMain")
            compare(shownContext(), "mMain")
            // An unknown name keeps the screen.
            page.showContext("ContextNowhere")
            wait(50)
            compare(shownContext(), "mMain")
        }

        function test_dialogsLeadToEachOther() {
            mouseClick(head("nickName"))
            tryCompare(page.mDialogLogin, "opened", true)
            mouseClick(dialogField(page.mDialogLogin, "registerButton"))
            tryCompare(page.mDialogRegister, "opened", true)
            tryCompare(page.mDialogLogin, "visible", false)
            mouseClick(dialogField(page.mDialogRegister, "loginButton"))
            tryCompare(page.mDialogLogin, "opened", true)
            tryCompare(page.mDialogRegister, "visible", false)
            mouseClick(dialogField(page.mDialogLogin, "forgotButton"))
            tryCompare(page.mDialogForgot, "opened", true)
            tryCompare(page.mDialogLogin, "visible", false)
        }

        function test_registrationTip() {
            mouseClick(head("nickName"))
            tryCompare(page.mDialogLogin, "opened", true)
            mouseClick(dialogField(page.mDialogLogin, "registerButton"))
            var dialog = page.mDialogRegister
            tryCompare(dialog, "opened", true)
            typeText(dialogField(dialog, "nickNameField"), "Fresh")
            typeText(dialogField(dialog, "emailField"), "fresh@example.com")
            typeText(dialogField(dialog, "passwordField"), "abc123!")
            typeText(dialogField(dialog, "rePasswordField"), "abc123!")
            mouseClick(dialogField(dialog, "sureButton"))
            tryCompare(dialog, "visible", false, 5000)
            expectTip("注册成功")
        }

        function test_languageChangeOffersARestart() {
            mouseClick(findChild(page.mMain, "languageEn"))
            compare(KConfigCommon.getLanguage(), "en")
            var tips = page.mMain.mLanguageTips
            verify(tips)
            tryCompare(tips, "opened", true)
            compare(tips.mTitle.text, "语言已更换，请重启驱动")
            verify(findChild(tips.contentItem, "restartLink").visible)
            mouseClick(findChild(tips.contentItem, "closeButton"))
            tryCompare(tips, "visible", false)
        }

        function test_tipHides() {
            page.mTipTimer.interval = 50
            page.showTip("x")
            verify(page.mTipWidget.visible)
            tryCompare(page.mTipWidget, "visible", false, 1000)
        }
    }
}

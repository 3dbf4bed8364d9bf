import QtQuick 2.15
import QtTest 1.2

// A person's session with the whole interface (the program's root document) against the running
// service on the simulated platform: register, log in, give the forward button "Show desktop",
// upload, restore the defaults, download, and find the assignment back, in the screen and in
// what the button does.
Item {
    id: root

    width: 100
    height: 100

    TestCase {
        name: "Session"
        when: windowShown

        property var win: null
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

        function expectTip(text) {
            tryCompare(page.mTipText, "text", text, 5000)
            verify(page.mTipWidget.visible)
        }

        function sync(isUp) {
            var button = head("syncButton")
            mouseMove(button, button.width / 2, button.height / 2)
            tryVerify(function () { return button.mSyncWidget.opened })
            var entry = findChild(button.mSyncWidget.contentItem, isUp ? "syncUp" : "syncDown")
            mouseMove(entry, entry.width / 2, entry.height / 2)
            mouseClick(entry)
        }

        // Whether pressing the forward button now injects Win+D (tagged as the program's own).
        function forwardShowsDesktop() {
            var before = PagesBackend.simLog().length
            compare(PagesBackend.simCommand("press forward via receiver"), "ok")
            var injected = []
            tryVerify(function () {
                var events = PagesBackend.simLog()
                injected = []
                for (var i = before; i < events.length; ++i) {
                    if (events[i].kind === "key" && events[i].tag === 9591)
                        injected.push(events[i].vk + (events[i].up ? "u" : "d"))
                    if (events[i].kind === "system" && events[i].event === "forward"
                            && !events[i].down)
                        return true
                }
                return injected.length >= 4
            }, 3000)
            return injected.join(" ") === "91d 68d 68u 91u"
        }

        function test_session() {
            PagesBackend.reset()
            var component = Qt.createComponent("qrc:/Common/UIMain.qml")
            compare(component.status, Component.Ready, component.errorString())
            win = createTemporaryObject(component, root)
            tryCompare(win, "mCurrentPage", "Main", 3000)
            page = win.mPageMain
            tryCompare(page, "mCurrentContext", "ContextMain")
            verify(!forwardShowsDesktop())

            // Register from the header's account button, through the login dialog.
            mouseClick(head("nickName"))
            tryCompare(page.mDialogLogin, "opened", true)
            mouseClick(dialogField(page.mDialogLogin, "registerButton"))
            var register = page.mDialogRegister
            tryCompare(register, "opened", true)
            typeText(dialogField(register, "nickNameField"), "Session")
            typeText(dialogField(register, "emailField"), "session@example.com")
            typeText(dialogField(register, "passwordField"), "abc123!")
            typeText(dialogField(register, "rePasswordField"), "abc123!")
            mouseClick(dialogField(register, "sureButton"))
            tryCompare(register, "visible", false, 5000)
            expectTip("注册成功")

            // Log in.
            mouseClick(head("headImage"))
            var login = page.mDialogLogin
            tryCompare(login, "opened", true)
            typeText(dialogField(login, "userNameField"), "session@example.com")
            typeText(dialogField(login, "passwordField"), "abc123!")
            keyClick(Qt.Key_Return)
            tryCompare(login, "visible", false, 5000)
            compare(head("nickName").mText, "Session")
            expectTip("Session 登录成功")

            // Choose the forward button and give it "Show desktop" from the Windows functions.
            var forward = findChild(page.mMain, "key8")
            verify(forward.visible)
            mouseClick(forward)
            compare(KConfigCommon.getCurentKeyType(), 8)
            mouseClick(findChild(page.mMain, "groupTitle3"))
            var radio = findChild(page.mMain, "radio42")
            var list = findChild(page.mMain, "menuList")
            function inView() {
                var at = radio.mapToItem(list, 0, 0)
                return radio.height > 0 && at.y >= 0 && at.y + radio.height <= list.height
            }
            wait(350)
            // Scroll down to it with the wheel.
            for (var turns = 0; turns < 30 && !inView(); ++turns) {
                mouseWheel(list, list.width / 2, list.height / 2, 0, -120)
                wait(30)
            }
            tryVerify(function () { return !list.moving && inView() }, 3000)
            mouseClick(radio)
            compare(KConfigCommon.getValueByKeyType(8), 42)
            compare(forward.mKeyName, "显示桌面")
            verify(forwardShowsDesktop())

            // Upload, then restore the defaults: the button does its own thing again.
            sync(true)
            expectTip("上传成功")
            mouseClick(head("defaultButton"))
            tryCompare(page.mDialogReDefault, "opened", true)
            mouseClick(dialogField(page.mDialogReDefault, "sureButton"))
            expectTip("恢复成功")
            compare(KConfigCommon.getValueByKeyType(8), 0)
            tryCompare(forward, "mKeyName", "无")
            verify(!forwardShowsDesktop())

            // Download: the assignment is back, on the screen and on the button.
            sync(false)
            expectTip("下载成功")
            compare(KConfigCommon.getValueByKeyType(8), 42)
            tryCompare(forward, "mKeyName", "显示桌面")
            verify(forwardShowsDesktop())
            win.hide()
        }
    }
}

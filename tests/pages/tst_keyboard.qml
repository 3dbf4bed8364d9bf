import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import "qrc:/Page"

// The main page with the keyboard alone: Tab reaches the header, the keys of the mouse and of
// the keyboard pictures, and Space, Enter or Return presses them; a dialog takes the focus when it
// opens, keeps it while open (nothing behind it hears the keys) and gives it back when it closes.
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

    TestCase {
        name: "Keyboard"
        when: windowShown

        property var page: null

        function init() {
            PagesBackend.reset()
            page = createTemporaryObject(pageComponent, root)
            verify(page)
            page.refreshView()
            tryCompare(page, "mCurrentContext", "ContextMain")
            // The mouse view announces its first key once it has been built.
            tryVerify(function () { return item("key2") && item("key2").mIsSelect }, 3000)
            wait(450)
        }

        function item(name) {
            return findChild(page, name)
        }

        function focused() {
            return root.Window.window.activeFocusItem
        }

        function isInside(child, ancestor) {
            for (var up = child; up; up = up.parent) {
                if (up === ancestor)
                    return true
            }
            return false
        }

        // Presses Tab until the item has the focus; false when a whole round did not reach it.
        function tabTo(target) {
            var first = null
            for (var i = 0; i < 200; ++i) {
                keyClick(Qt.Key_Tab)
                if (focused() === target)
                    return true
                if (i > 0 && focused() === first)
                    return false
                if (i === 0)
                    first = focused()
            }
            return false
        }

        function focusRing(control) {
            var ring = findChild(control, "focusRing")
            return ring !== null && ring.visible
        }

        // Each key of the mouse picture: Tab reaches it, its focus shows, and the key named in
        // the row selects it.
        function test_mouseKeysFromTheKeyboard_data() {
            return [
                { tag: "middle button, Space", key: "key3", type: 3, press: Qt.Key_Space },
                { tag: "wheel up, Return", key: "key4", type: 4, press: Qt.Key_Return },
                { tag: "wheel down, Enter", key: "key5", type: 5, press: Qt.Key_Enter }
            ]
        }

        function test_mouseKeysFromTheKeyboard(data) {
            var key = item(data.key)
            verify(key)
            verify(tabTo(key), data.key + " is not reached with Tab")
            verify(focusRing(key))
            compare(key.Accessible.role, Accessible.Button)
            verify(key.Accessible.name !== "")
            keyClick(data.press)
            compare(KConfigCommon.getCurentKeyType(), data.type)
            verify(key.mIsSelect)
            verify(!item("key2").mIsSelect)
        }

        // The keyboard view is chosen and its keys pressed without the mouse.
        function test_keyboardKeysFromTheKeyboard() {
            var selector = item("deviceKeyboard")
            verify(tabTo(selector))
            verify(focusRing(selector))
            keyClick(Qt.Key_Space)
            tryVerify(function () { return item("key20") !== null && item("key20").visible })
            var key = item("key20")
            verify(tabTo(key))
            verify(focusRing(key))
            keyClick(Qt.Key_Return)
            compare(KConfigCommon.getCurentKeyType(), 20)
            verify(key.mIsSelect)
        }

        // The header's buttons come in reading order, before the window's minimise and close.
        function test_headerTabOrder() {
            var order = ["headImage", "nickName", "aboutButton", "pairButton", "functionButton",
                         "defaultButton", "minimizeButton", "closeButton"]
            item(order[0]).forceActiveFocus(Qt.TabFocusReason)
            var seen = [focused().objectName]
            for (var i = 0; i < 12 && seen.length < 12; ++i) {
                keyClick(Qt.Key_Tab)
                seen.push(focused().objectName)
            }
            var positions = order.map(function (name) { return seen.indexOf(name) })
            for (var j = 0; j < positions.length; ++j)
                verify(positions[j] >= 0, order[j] + " not in " + seen)
            for (var k = 1; k < positions.length; ++k)
                verify(positions[k] > positions[k - 1], seen.join(","))
        }

        // A dialog opened from the keyboard, or by the program while a key has the focus: the
        // focus goes into it, Tab and Shift+Tab stay inside, the key behind hears nothing, and
        // Escape closes it and gives the focus back.
        function test_dialogsAreModalForTheKeyboard_data() {
            return [
                { tag: "restore, from its header button", opener: "defaultButton",
                  dialog: "mDialogReDefault", first: "sureButton" },
                { tag: "login, from the nickname", opener: "nickName", dialog: "mDialogLogin",
                  first: "userNameField" },
                { tag: "update offer, while a key has the focus", opener: "key3",
                  dialog: "mDialogUpgrade", first: "downloadLink" },
                { tag: "recovery, while a key has the focus", opener: "key3",
                  dialog: "mDialogForgot", first: "emailField" }
            ]
        }

        function test_dialogsAreModalForTheKeyboard(data) {
            var opener = item(data.opener)
            var dialog = page[data.dialog]
            verify(tabTo(opener))
            if (data.opener === "key3") {
                // The program opens the dialog; the user goes on typing.
                page.openDialog(dialog)
            } else {
                keyClick(Qt.Key_Space)
            }
            tryCompare(dialog, "opened", true)
            verify(isInside(focused(), dialog.contentItem), "focus outside: " + focused())
            compare(focused().objectName, data.first)
            var keyTypeBefore = KConfigCommon.getCurentKeyType()
            for (var i = 0; i < 8; ++i) {
                keyClick(Qt.Key_Tab)
                verify(isInside(focused(), dialog.contentItem), "Tab left the dialog: "
                       + focused())
            }
            for (var j = 0; j < 8; ++j) {
                keyClick(Qt.Key_Backtab, Qt.ShiftModifier)
                verify(isInside(focused(), dialog.contentItem), "Shift+Tab left the dialog")
            }
            // Keys typed into the dialog change nothing behind it.
            keyClick(Qt.Key_3)
            compare(KConfigCommon.getCurentKeyType(), keyTypeBefore)
            verify(dialog.opened)
            keyClick(Qt.Key_Escape)
            tryCompare(dialog, "visible", false)
            compare(focused(), opener)
            compare(KConfigCommon.getCurentKeyType(), keyTypeBefore)
        }

        // The recovery views each take the focus when they are shown.
        function test_recoveryViewsTakeTheFocus() {
            var dialog = page.mDialogForgot
            var opener = item("nickName")
            opener.forceActiveFocus(Qt.TabFocusReason)
            page.openDialog(dialog)
            tryCompare(dialog, "opened", true)
            compare(focused(), dialog.mView1.mEmailField)
            dialog.mView2.mEmail = "tolva@example.com"
            dialog.loadPage(2)
            compare(focused(), dialog.mView2.mVerifyField)
            dialog.loadPage(3)
            compare(focused(), dialog.mView3.mPwdField)
            dialog.loadPage(5)
            compare(focused().objectName, "sureButton")
            verify(isInside(focused(), dialog.mView5))
            keyClick(Qt.Key_Space)
            tryCompare(dialog, "visible", false)
            compare(focused(), opener)
        }

        // From login to registration: closing the second dialog gives the focus back to what
        // opened the first.
        function test_oneDialogLeadingToTheNext() {
            var opener = item("nickName")
            verify(tabTo(opener))
            keyClick(Qt.Key_Return)
            tryCompare(page.mDialogLogin, "opened", true)
            var register = findChild(page.mDialogLogin.contentItem, "registerButton")
            register.forceActiveFocus(Qt.TabFocusReason)
            keyClick(Qt.Key_Space)
            tryCompare(page.mDialogRegister, "opened", true)
            verify(!page.mDialogLogin.visible)
            compare(focused(), page.mDialogRegister.mNickNameField)
            keyClick(Qt.Key_Escape)
            tryCompare(page.mDialogRegister, "visible", false)
            compare(focused(), opener)
        }

        // The synchronisation popup opens from the keyboard with the focus on its first entry.
        function test_syncPopupFromTheKeyboard() {
            var sync = page.mTop2.mSycnBtn
            verify(tabTo(sync.mBtn))
            keyClick(Qt.Key_Space)
            tryCompare(sync.mSyncWidget, "opened", true)
            compare(focused().objectName, "syncDown")
            keyClick(Qt.Key_Tab)
            compare(focused().objectName, "syncUp")
            keyClick(Qt.Key_Escape)
            tryCompare(sync.mSyncWidget, "visible", false)
            compare(focused(), sync.mBtn)
        }

        // A nickname longer than the header's room ends in "…" before the synchronisation
        // button, and the buttons on the right keep their place.
        function test_longNicknameStaysInItsPlace() {
            var nick = item("nickName")
            var right = item("pairButton")
            var rightX = right.mapToItem(page, 0, 0).x
            PagesBackend.setAccount("Someone with a remarkably long nickname for a header bar",
                                    "token")
            page.mTop2.refreshView()
            // The rows place their items when they are next drawn.
            wait(50)
            verify(nick.contentItem.text.endsWith("\u2026"), nick.contentItem.text)
            var sync = page.mTop2.mSycnBtn
            var about = item("aboutButton")
            var nickRight = nick.mapToItem(page, nick.width, 0).x
            verify(nickRight <= sync.mapToItem(page, 0, 0).x, "nickname under the sync button")
            verify(about.mapToItem(page, about.width, 0).x <= rightX, "about under pairing")
            compare(right.mapToItem(page, 0, 0).x, rightX)
            compare(nick.ToolTip.text, "Someone with a remarkably long nickname for a header bar")
        }
    }
}

import QtQuick 2.15
import QtTest 1.2
import "qrc:/Dialog"
import "qrc:/Context"
import "qrc:/View"
import "qrc:/Widget"

// What the forms do with what the user types: nothing is changed or dropped unseen, addresses
// mail allows are taken, and a request in flight shows on its button, which cannot be pressed
// again until the answer.
Item {
    id: root

    width: 960
    height: 640

    Component {
        id: loginComponent
        KDialogLogin {}
    }
    Component {
        id: registerComponent
        KDialogRegister {}
    }
    Component {
        id: forgotComponent
        KDialogForgot {}
    }
    Component {
        id: profileComponent
        ContextProfile {
            anchors.fill: parent
        }
    }
    Component {
        id: syncComponent
        KSyncBtn {
            x: 200
            y: 40
            mBtnText: "Sync"
        }
    }
    // Puts text on the clipboard.
    TextInput {
        id: clipboardSource
        visible: false
    }

    SignalSpy {
        id: syncSpy
        signalName: "sigSyncClicked"
    }

    TestCase {
        name: "Inputs"
        when: windowShown

        function typeText(field, text) {
            field.forceActiveFocus()
            for (var i = 0; i < text.length; ++i) {
                keyClick(text[i])
                wait(0)  // each keystroke checked on its own, as when typed
            }
        }

        function openDialog(component) {
            var dialog = createTemporaryObject(component, root)
            dialog.refreshView()
            dialog.open()
            tryCompare(dialog, "opened", true)
            return dialog
        }

        function child(parent, name) {
            var item = findChild(parent, name)
            verify(item, name)
            return item
        }

        function init() {
            TestBackend.reset()
        }

        // Each row: a field, what is typed, what the field then holds, and the reason shown
        // (empty: nothing refused).
        function test_typing_data() {
            return [
                { tag: "login: apostrophe address", dialog: "login", field: "userNameField",
                  typed: "o'neil@example.com", holds: "o'neil@example.com", tip: "" },
                { tag: "login: plus and long domain", dialog: "login", field: "userNameField",
                  typed: "bo+x@mail.example.museum", holds: "bo+x@mail.example.museum",
                  tip: "" },
                { tag: "login: space in the address", dialog: "login", field: "userNameField",
                  typed: "ab cd", holds: "abcd", tip: "\" \"不能在此处使用" },
                { tag: "login: slash in the address", dialog: "login", field: "userNameField",
                  typed: "a/b", holds: "ab", tip: "\"/\"不能在此处使用" },
                { tag: "register: nickname with a space", dialog: "register",
                  field: "nickNameField", typed: "Li Wei", holds: "Li Wei", tip: "" },
                { tag: "register: password space", dialog: "register", field: "passwordField",
                  typed: "ab c1!", holds: "abc1!", tip: "\" \"不能在此处使用" },
                { tag: "register: password too long", dialog: "register",
                  field: "passwordField", typed: "abcdefgh12345678X",
                  holds: "abcdefgh12345678", tip: "此处最多可输入16个字符" },
                { tag: "recovery: a 30-character address", dialog: "forgot",
                  field: "emailField", typed: "abcdefghijklmnopqrst@example.cn",
                  holds: "abcdefghijklmnopqrst@example.c", tip: "此处最多可输入30个字符" }
            ]
        }

        function test_typing(data) {
            var dialog = openDialog(data.dialog === "login" ? loginComponent
                                  : data.dialog === "register" ? registerComponent
                                  : forgotComponent)
            var field = child(dialog.contentItem, data.field)
            typeText(field, data.typed)
            compare(field.text, data.holds)
            var tip = child(dialog.contentItem, "tip")
            if (data.tip === "") {
                verify(!tip.visible, tip.text)
            } else {
                verify(tip.visible)
                compare(tip.text, data.tip)
            }
        }

        // A password the login field could not take is refused on the profile screen too.
        function test_profilePasswordsTakeWhatLoginTakes() {
            var screen = createTemporaryObject(profileComponent, root)
            var field = child(screen, "newPassword")
            typeText(field, "abc 123!")
            compare(field.text, "abc123!")
            var tip = child(screen, "tip")
            verify(tip.visible)
            compare(tip.text, "\" \"不能在此处使用")
            typeText(child(screen, "oldPassword"), "pass word1!")
            compare(child(screen, "oldPassword").text, "password1!")
        }

        // A paste that does not fit is refused whole, never cut; one that fits is taken.
        function test_pasting_data() {
            return [
                { tag: "fits", before: "ab", clip: "cdef1!", holds: "abcdef1!", tip: "" },
                { tag: "too long", before: "abcdefgh", clip: "123456789", holds: "abcdefgh",
                  tip: "此处最多可输入16个字符" },
                { tag: "refused characters", before: "ab", clip: "c d", holds: "ab",
                  tip: "无法使用粘贴的文本" }
            ]
        }
        function test_pasting(data) {
            var dialog = openDialog(registerComponent)
            var field = child(dialog.contentItem, "passwordField")
            field.text = data.before
            field.forceActiveFocus()
            field.cursorPosition = field.text.length
            clipboardSource.text = data.clip
            clipboardSource.selectAll()
            clipboardSource.copy()
            keySequence(StandardKey.Paste)
            wait(0)
            compare(field.text, data.holds)
            var tip = child(dialog.contentItem, "tip")
            compare(tip.visible, data.tip !== "")
            if (data.tip !== "")
                compare(tip.text, data.tip)
        }

        // Each form's button shows that it waits and takes no second press until the answer.
        function test_busyUntilTheAnswer_data() {
            return [
                { tag: "login", component: loginComponent, fill: { "userNameField": "a@b.cc",
                                                                   "passwordField": "abc123!" } },
                { tag: "register", component: registerComponent,
                  fill: { "nickNameField": "Ann", "emailField": "ann@b.cc",
                          "passwordField": "abc123!", "rePasswordField": "abc123!" } },
                { tag: "recovery", component: forgotComponent,
                  fill: { "emailField": "ann@b.cc" } }
            ]
        }
        function test_busyUntilTheAnswer(data) {
            var dialog = openDialog(data.component)
            for (var name in data.fill)
                child(dialog.contentItem, name).text = data.fill[name]
            var buttons = []
            var sure = null
            // The recovery dialog's first view holds the button shown.
            var candidates = [dialog.contentItem]
            while (candidates.length > 0 && !sure) {
                var item = candidates.shift()
                if (item.objectName === "sureButton" && item.visible)
                    sure = item
                for (var i = 0; i < item.children.length; ++i)
                    candidates.push(item.children[i])
            }
            verify(sure)
            var spinner = child(sure, "busyIndicator")
            verify(!spinner.visible)
            TestBackend.holdNextRequest()
            mouseClick(sure)
            tryVerify(function() { return TestBackend.requestCount() === 1 }, 3000)
            verify(sure.mBusy)
            verify(!sure.enabled)
            verify(spinner.visible)
            mouseClick(sure)
            keyClick(Qt.Key_Return)
            wait(200)
            compare(TestBackend.requestCount(), 1)
            compare(TestBackend.releaseHeld(1001, "请求无效"), 1)
            tryCompare(sure, "mBusy", false, 3000)
            verify(sure.enabled)
            verify(!spinner.visible)
            var tip = child(dialog.contentItem, "tip")
            tryCompare(tip, "text", "请求无效")
        }

        function test_profileSaveBusy() {
            var screen = createTemporaryObject(profileComponent, root)
            child(screen, "oldPassword").text = "123456"
            child(screen, "newPassword").text = "abcdef1"
            child(screen, "repeatPassword").text = "abcdef1"
            var save = child(screen, "saveButton")
            TestBackend.holdNextRequest()
            mouseClick(save)
            tryVerify(function() { return TestBackend.requestCount() === 1 }, 3000)
            verify(save.mBusy)
            screen.save()
            wait(100)
            compare(TestBackend.requestCount(), 1)
            TestBackend.releaseHeld(0, "")
            tryCompare(save, "mBusy", false, 3000)
        }

        // A click keeps the popup open until a choice, Escape or a press elsewhere; while a
        // synchronisation runs the icon turns and the entries take no click.
        function test_syncPopup() {
            var button = createTemporaryObject(syncComponent, root)
            syncSpy.target = button
            syncSpy.clear()
            mouseMove(button.mBtn, 5, 5)
            tryCompare(button.mSyncWidget, "opened", true)
            mouseMove(root, 5, 600)
            tryCompare(button.mSyncWidget, "visible", false, 1000)

            mouseClick(button.mBtn)
            tryCompare(button.mSyncWidget, "opened", true)
            mouseMove(root, 5, 600)
            wait(400)
            verify(button.mSyncWidget.visible)
            mouseClick(child(button.mSyncWidget.contentItem, "syncUp"))
            compare(syncSpy.count, 1)
            compare(syncSpy.signalArguments[0][0], true)
            tryCompare(button.mSyncWidget, "visible", false)

            button.mBusy = true
            mouseClick(button.mBtn)
            tryCompare(button.mSyncWidget, "opened", true)
            var down = child(button.mSyncWidget.contentItem, "syncDown")
            verify(!down.enabled)
            mouseClick(down)
            compare(syncSpy.count, 1)
            var turned = button.mBtn.mIcon.rotation
            wait(200)
            verify(button.mBtn.mIcon.rotation !== turned)
            keyClick(Qt.Key_Escape)
            tryCompare(button.mSyncWidget, "visible", false)
            button.mBusy = false
            compare(button.mBtn.mIcon.rotation, 0)
        }
    }
}

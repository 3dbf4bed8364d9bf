import QtQuick 2.15
import QtTest 1.2
import "qrc:/Context"

// The account screen: the checks before a password change is sent, its result, and logging out.
Item {
    id: root

    width: 960
    height: 584

    Component {
        id: profileComponent
        ContextProfile {
            anchors.fill: parent
        }
    }

    SignalSpy {
        id: successSpy
        signalName: "sigUpdatePasswordSuccess"
    }

    SignalSpy {
        id: logoutSpy
        signalName: "sigLogout"
    }

    TestCase {
        name: "ContextProfile"
        when: windowShown

        property var screen: null

        function fill(oldPwd, newPwd, repeatPwd) {
            findChild(screen, "oldPassword").text = oldPwd
            findChild(screen, "newPassword").text = newPwd
            findChild(screen, "repeatPassword").text = repeatPwd
        }

        function init() {
            TestBackend.reset()
            screen = createTemporaryObject(profileComponent, root)
            verify(screen)
            successSpy.clear()
            successSpy.target = screen
            logoutSpy.clear()
            logoutSpy.target = screen
        }

        function test_checks_data() {
            return [
                { tag: "short old password", old: "12345", pwd: "abcdef1", again: "abcdef1",
                  tip: "请正确输入旧密码" },
                { tag: "short new password", old: "123456", pwd: "abc12", again: "abcdef1",
                  tip: "密码长度应大于6位" },
                { tag: "short repetition", old: "123456", pwd: "abcdef1", again: "abc12",
                  tip: "密码长度应大于6位" },
                { tag: "inconsistent", old: "123456", pwd: "abcdef1", again: "abcdef2",
                  tip: "新密码两次输入不一致" },
                { tag: "valid", old: "123456", pwd: "abcdef1", again: "abcdef1", tip: "" }
            ]
        }

        function test_checks(data) {
            if (data.tip === "")
                TestBackend.answerNextRequest(0, "")
            fill(data.old, data.pwd, data.again)
            mouseClick(findChild(screen, "saveButton"))
            var tip = findChild(screen, "tip")
            if (data.tip === "") {
                tryCompare(successSpy, "count", 1)
                compare(TestBackend.passwordRequests(), [data.old + "|" + data.pwd])
                verify(!tip.visible)
            } else {
                verify(tip.visible)
                compare(tip.text, data.tip)
                // Nothing reaches the service, then or later.
                wait(100)
                compare(TestBackend.passwordRequests(), [])
                compare(successSpy.count, 0)
            }
        }

        function test_fieldsTakeSixteenCharactersHidden() {
            var field = findChild(screen, "newPassword")
            field.forceActiveFocus()
            keyClick(Qt.Key_A)
            compare(field.echoMode, TextInput.Password)
            field.text = ""
            for (var i = 0; i < 20; ++i)
                keyClick(Qt.Key_1)
            compare(field.text.length, 16)
        }

        function test_requestResult() {
            TestBackend.answerNextRequest(3, "原密码错误")
            fill("123456", "abcdef1", "abcdef1")
            screen.save()
            var tip = findChild(screen, "tip")
            tryCompare(tip, "text", "原密码错误")
            verify(tip.visible)
            compare(successSpy.count, 0)
            compare(findChild(screen, "oldPassword").text, "123456")
            TestBackend.answerNextRequest(0, "")
            screen.save()
            tryCompare(successSpy, "count", 1)
            compare(TestBackend.passwordRequests().length, 2)
            compare(findChild(screen, "oldPassword").text, "")
            compare(findChild(screen, "newPassword").text, "")
            compare(findChild(screen, "repeatPassword").text, "")
        }

        function test_logout() {
            TestBackend.logIn("nick", "token")
            verify(KConfigCommon.isLogin())
            mouseClick(findChild(screen, "logoutButton"))
            verify(!KConfigCommon.isLogin())
            compare(logoutSpy.count, 1)
        }

        function test_showingTheScreenClearsIt() {
            fill("123456", "abcdef1", "abcdef2")
            screen.save()
            screen.visible = false
            screen.visible = true
            compare(findChild(screen, "oldPassword").text, "")
            verify(!findChild(screen, "tip").visible)
        }
    }
}

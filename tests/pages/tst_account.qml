import QtQuick 2.15
import QtTest 1.2
import "qrc:/Dialog"

// The account dialogs against the running service: login, registration and the three-step
// password recovery, with their checks before anything is sent.
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

    SignalSpy {
        id: spy
    }

    TestCase {
        name: "AccountDialogs"
        when: windowShown

        property var dialog: null

        function typeText(field, text) {
            field.forceActiveFocus()
            for (var i = 0; i < text.length; ++i)
                keyClick(text[i])
        }

        function field(name) {
            var item = findChild(dialog.contentItem, name)
            verify(item, name)
            return item
        }

        function openDialog(component, signalName) {
            dialog = createTemporaryObject(component, root)
            dialog.refreshView()
            dialog.open()
            tryCompare(dialog, "opened", true)
            spy.target = null
            spy.signalName = signalName
            spy.target = dialog
            spy.clear()
        }

        function tip() {
            return findChild(dialog.contentItem, "tip")
        }

        // Nothing reaches the service, then or a little later.
        function expectNothingSent(path, before) {
            wait(100)
            compare(PagesBackend.requestCount(path), before)
        }

        function init() {
            PagesBackend.reset()
        }

        // --- login ---

        function test_loginShortInput_data() {
            return [
                { tag: "short e-mail", email: "a@b.c", pwd: "abc123!" },
                { tag: "short password", email: "someone@example.com", pwd: "a1!b2" },
                { tag: "nothing", email: "", pwd: "" }
            ]
        }

        function test_loginShortInput(data) {
            openDialog(loginComponent, "sigLoginSuccessful")
            var before = PagesBackend.requestCount("/v1/user/login")
            typeText(field("userNameField"), data.email)
            typeText(field("passwordField"), data.pwd)
            mouseClick(field("sureButton"))
            verify(tip().visible)
            compare(tip().text, "请输入正确邮箱和密码")
            expectNothingSent("/v1/user/login", before)
            verify(dialog.opened)
            // Enter in the password field acts like the button.
            tip().visible = false
            field("passwordField").forceActiveFocus()
            keyClick(Qt.Key_Return)
            verify(tip().visible)
            expectNothingSent("/v1/user/login", before)
        }

        function test_loginRefusedKeepsTheInput() {
            compare(PagesBackend.createAccount("Refused", "refused@example.com", "abc123!"), 0)
            openDialog(loginComponent, "sigLoginSuccessful")
            var before = PagesBackend.requestCount("/v1/user/login")
            typeText(field("userNameField"), "refused@example.com")
            typeText(field("passwordField"), "abc123?")
            keyClick(Qt.Key_Return)
            tryCompare(tip(), "text", "邮箱或密码错误", 5000)
            verify(tip().visible)
            compare(PagesBackend.requestCount("/v1/user/login"), before + 1)
            compare(spy.count, 0)
            verify(dialog.opened)
            compare(field("userNameField").text, "refused@example.com")
            compare(field("passwordField").text, "abc123?")
            verify(!KConfigCommon.isLogin())
        }

        // Only lengths are checked: an address the pattern still takes as unfinished is sent.
        function test_loginSendsUnfinishedAddress() {
            openDialog(loginComponent, "sigLoginSuccessful")
            var before = PagesBackend.requestCount("/v1/user/login")
            typeText(field("userNameField"), "user@ex")
            typeText(field("passwordField"), "abc123!")
            mouseClick(field("sureButton"))
            tryCompare(tip(), "text", "邮箱或密码错误", 5000)
            compare(PagesBackend.requestCount("/v1/user/login"), before + 1)
        }

        function test_loginSucceeds() {
            compare(PagesBackend.createAccount("Lucky", "lucky@example.com", "abc123!"), 0)
            openDialog(loginComponent, "sigLoginSuccessful")
            typeText(field("userNameField"), "lucky@example.com")
            typeText(field("passwordField"), "abc123!")
            mouseClick(field("sureButton"))
            spy.wait(5000)
            tryCompare(dialog, "visible", false)
            verify(KConfigCommon.isLogin())
            compare(KConfigCommon.getNickName(), "Lucky")
        }

        function test_loginLinks() {
            openDialog(loginComponent, "sigRegisterBtnClicked")
            mouseClick(field("registerButton"))
            compare(spy.count, 1)
            spy.target = null
            spy.signalName = "sigForgotBtnClicked"
            spy.target = dialog
            spy.clear()
            mouseClick(field("forgotButton"))
            compare(spy.count, 1)
        }

        // --- registration ---

        function test_registerChecks_data() {
            return [
                { tag: "nickname of two", nick: "ab", email: "reg@example.com", pwd: "abc123!",
                  again: "abc123!", tip: "请正确输入昵称" },
                { tag: "nickname of three passes, short e-mail", nick: "abc", email: "a@b.c",
                  pwd: "abc123!", again: "abc123!", tip: "请正确输入邮箱" },
                { tag: "short password", nick: "abc", email: "reg@example.com", pwd: "a1!b2",
                  again: "a1!b2", tip: "密码长度需要大于6位" },
                { tag: "repetition differs", nick: "abc", email: "reg@example.com",
                  pwd: "abc123!", again: "abc123?", tip: "两次密码输入不一致" },
                { tag: "first failing check wins", nick: "ab", email: "a", pwd: "1",
                  again: "2", tip: "请正确输入昵称" }
            ]
        }

        function test_registerChecks(data) {
            openDialog(registerComponent, "sigRegisterSuccessful")
            var before = PagesBackend.requestCount("/v1/user/register")
            typeText(field("nickNameField"), data.nick)
            typeText(field("emailField"), data.email)
            typeText(field("passwordField"), data.pwd)
            typeText(field("rePasswordField"), data.again)
            mouseClick(field("sureButton"))
            verify(tip().visible)
            compare(tip().text, data.tip)
            expectNothingSent("/v1/user/register", before)
            compare(spy.count, 0)
        }

        function test_registerAndTakenAddress() {
            openDialog(registerComponent, "sigRegisterSuccessful")
            var before = PagesBackend.requestCount("/v1/user/register")
            typeText(field("nickNameField"), "Newbie")
            typeText(field("emailField"), "newbie@example.com")
            typeText(field("passwordField"), "abc123!")
            typeText(field("rePasswordField"), "abc123!")
            mouseClick(field("sureButton"))
            spy.wait(5000)
            tryCompare(dialog, "visible", false)
            compare(PagesBackend.requestCount("/v1/user/register"), before + 1)

            // The same address again: answered like a new one (the service does not tell who has
            // an account), and the account keeps its password.
            openDialog(registerComponent, "sigRegisterSuccessful")
            typeText(field("nickNameField"), "Other")
            typeText(field("emailField"), "newbie@example.com")
            typeText(field("passwordField"), "xyz789#")
            typeText(field("rePasswordField"), "xyz789#")
            mouseClick(field("sureButton"))
            spy.wait(5000)
            tryCompare(dialog, "visible", false)
            compare(PagesBackend.logIn("newbie@example.com", "abc123!"), 0)
        }

        // --- password recovery ---

        function test_recoveryThroughAllViews() {
            compare(PagesBackend.createAccount("Forgetful", "forgetful@example.com", "abc123!"),
                    0)
            openDialog(forgotComponent, "sigResetPwdSuccess")
            var view1 = findChild(dialog.contentItem, "viewForgot1")
            var view2 = findChild(dialog.contentItem, "viewForgot2")
            var view3 = findChild(dialog.contentItem, "viewForgot3")
            verify(view1.visible)
            verify(!findChild(dialog.contentItem, "backButton").visible)
            compare(dialog.mTitle.text, "忘记密码")

            // Step one: a short address is refused; an unknown one is answered like a registered
            // one (the service does not tell who has an account).
            var email = findChild(view1, "emailField")
            typeText(email, "a@b.c")
            mouseClick(findChild(view1, "sureButton"))
            compare(findChild(view1, "tip").text, "请输入正确的邮箱")
            compare(PagesBackend.requestCount("/v1/user/findPassword"), 0)
            email.text = ""
            typeText(email, "nobody@example.com")
            mouseClick(findChild(view1, "sureButton"))
            tryVerify(function () { return view2.visible }, 5000)
            compare(PagesBackend.outboxCode("nobody@example.com"), "")
            dialog.loadPage(1)
            verify(view1.visible)
            email.text = ""
            typeText(email, "forgetful@example.com")
            mouseClick(findChild(view1, "sureButton"))
            tryVerify(function () { return view2.visible }, 5000)
            verify(!view1.visible)
            compare(dialog.mTitle.text, "验证")
            verify(findChild(dialog.contentItem, "backButton").visible)
            compare(findChild(view2, "secText").text, "60秒")
            var code = PagesBackend.outboxCode("forgetful@example.com")
            compare(code.length, 4)

            // Step two: codes of other lengths are refused without asking; a wrong one is
            // answered by the service.
            var codeField = findChild(view2, "verifyField")
            var before = PagesBackend.requestCount("/v1/user/validatePassword")
            var lengths = [code.substring(0, 3), code + "1"]
            for (var i = 0; i < lengths.length; ++i) {
                codeField.text = ""
                typeText(codeField, lengths[i])
                mouseClick(findChild(view2, "sureButton"))
                compare(findChild(view2, "tip").text, "请输入正确的验证码")
            }
            expectNothingSent("/v1/user/validatePassword", before)
            codeField.text = ""
            typeText(codeField, code === "0000" ? "1111" : "0000")
            mouseClick(findChild(view2, "sureButton"))
            tryCompare(findChild(view2, "tip"), "text", "验证码错误", 5000)
            verify(view2.visible)
            codeField.text = ""
            typeText(codeField, code)
            mouseClick(findChild(view2, "sureButton"))
            tryVerify(function () { return view3.visible }, 5000)
            compare(dialog.mTitle.text, "重设密码")

            // Step three: the checks, then the new password.
            var pwd = findChild(view3, "passwordField")
            var again = findChild(view3, "rePasswordField")
            typeText(pwd, "a1!b")
            mouseClick(findChild(view3, "sureButton"))
            compare(findChild(view3, "tip").text, "密码长度至少为6位")
            pwd.text = ""
            typeText(pwd, "new456@")
            typeText(again, "new456#")
            mouseClick(findChild(view3, "sureButton"))
            compare(findChild(view3, "tip").text, "两次密码输入不一致")
            compare(PagesBackend.requestCount("/v1/user/newPassword"), 0)
            again.text = ""
            typeText(again, "new456@")
            mouseClick(findChild(view3, "sureButton"))
            spy.wait(5000)
            tryCompare(dialog, "visible", false)
            compare(PagesBackend.requestCount("/v1/user/newPassword"), 1)
            // Only the new password logs in now.
            verify(PagesBackend.logIn("forgetful@example.com", "abc123!") !== 0)
            compare(PagesBackend.logIn("forgetful@example.com", "new456@"), 0)
        }

        function test_countdown() {
            openDialog(forgotComponent, "sigResetPwdSuccess")
            var view2 = findChild(dialog.contentItem, "viewForgot2")
            var secText = findChild(view2, "secText")
            view2.mEmail = "someone@example.com"
            dialog.loadPage(2)
            compare(secText.text, "60秒")
            tryCompare(secText, "text", "59秒", 1500)
            // The rest of the minute, faster.
            view2.mTickInterval = 5
            tryCompare(secText, "text", "0秒", 2000)
            verify(!view2.mTimer2.running)
            wait(50)
            compare(secText.text, "0秒")
        }

        function test_recoveryStartsAgainAfterClosing() {
            openDialog(forgotComponent, "sigResetPwdSuccess")
            findChild(dialog.contentItem, "viewForgot2").mEmail = "someone@example.com"
            dialog.loadPage(2)
            verify(findChild(dialog.contentItem, "viewForgot2").visible)
            mouseClick(findChild(dialog.contentItem, "closeButton"))
            tryCompare(dialog, "visible", false)
            dialog.refreshView()
            dialog.open()
            tryCompare(dialog, "opened", true)
            verify(findChild(dialog.contentItem, "viewForgot1").visible)
            verify(!findChild(dialog.contentItem, "viewForgot2").visible)
            compare(dialog.mTitle.text, "忘记密码")
        }

        function test_failedViewClosesTheDialog() {
            openDialog(forgotComponent, "sigResetPwdSuccess")
            dialog.loadPage(5)
            compare(dialog.mTitle.text, "失败")
            var view5 = findChild(dialog.contentItem, "viewForgot5")
            verify(view5.visible)
            mouseClick(findChild(view5, "sureButton"))
            tryCompare(dialog, "visible", false)
            compare(spy.count, 0)
        }
    }
}

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtTest 1.2
import "qrc:/Widget"
import "qrc:/Dialog"

// The input fields of the account dialogs: what their patterns let a person type, and how many
// characters each takes.
Item {
    id: root

    width: 960
    height: 640

    Component {
        id: passwordComponent
        TextField {
            width: 300
            validator: KPasswordValidator {}
        }
    }
    Component {
        id: emailComponent
        TextField {
            width: 300
            validator: KEmailValidator {}
        }
    }
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

    TestCase {
        name: "Fields"
        when: windowShown

        // ASCII as key strokes; other characters (which the test's keyboard lacks) are inserted
        // at the cursor, through the same validation as typing.
        function typeText(field, text) {
            field.forceActiveFocus()
            for (var i = 0; i < text.length; ++i) {
                if (text.charCodeAt(i) < 128)
                    keyClick(text[i])
                else
                    field.insert(field.cursorPosition, text[i])
            }
        }

        function test_password_data() {
            return [
                { tag: "letters, digits, specials", typed: "abc123!", text: "abc123!", full: true },
                { tag: "specials, letters, digits", typed: "#Ab9", text: "#Ab9", full: true },
                { tag: "digits, specials, letters", typed: "12_Xy", text: "12_Xy", full: true },
                { tag: "runs apart", typed: "1a-b2", text: "1a-b2", full: true },
                { tag: "no special", typed: "abc123", text: "abc123", full: false },
                { tag: "no digit", typed: "abc!!!", text: "abc!!!", full: false },
                { tag: "no letter", typed: "123!!!", text: "123!!!", full: false },
                { tag: "runs not adjacent", typed: "1!a", text: "1!a", full: true },
                { tag: "space refused", typed: "ab c1!", text: "abc1!", full: true },
                { tag: "non-ASCII letters refused", typed: "aé1密!", text: "a1!", full: true },
                { tag: "square bracket refused", typed: "a[1]!", text: "a1!", full: true },
                { tag: "all thirty specials", typed: "-`=\\;',./~!@#$%^&*()_+|{}:\"<>?",
                  text: "-`=\\;',./~!@#$%^&*()_+|{}:\"<>?", full: false }
            ]
        }

        function test_password(data) {
            var field = createTemporaryObject(passwordComponent, root)
            typeText(field, data.typed)
            compare(field.text, data.text)
            compare(field.acceptableInput, data.full)
        }

        function test_email_data() {
            return [
                { tag: "address", typed: "user@example.com", text: "user@example.com",
                  full: true },
                { tag: "separators", typed: "a.b_c|d@x.y.cn", text: "a.b_c|d@x.y.cn", full: true },
                { tag: "unfinished", typed: "user@ex", text: "user@ex", full: false },
                { tag: "four-letter domain", typed: "a@b.info", text: "a@b.info", full: true },
                { tag: "apostrophe and plus", typed: "o'neil+x@example.com",
                  text: "o'neil+x@example.com", full: true },
                { tag: "slash refused", typed: "a/b@x.cn", text: "ab@x.cn", full: true },
                { tag: "space refused", typed: "us er@x.cn", text: "user@x.cn", full: true },
                { tag: "doubled separator refused", typed: "a..b@x.cn", text: "a.b@x.cn",
                  full: true },
                { tag: "leading dot refused", typed: ".a@x.cn", text: "a@x.cn", full: true },
                { tag: "second @ refused", typed: "a@b@c.cn", text: "a@bc.cn", full: true },
                { tag: "long unfinished input", typed: "abcdefghijklmnopqrstuvwxyz0123456789",
                  text: "abcdefghijklmnopqrstuvwxyz0123456789", full: false }
            ]
        }

        function test_email(data) {
            var field = createTemporaryObject(emailComponent, root)
            typeText(field, data.typed)
            compare(field.text, data.text)
            compare(field.acceptableInput, data.full)
        }

        // Each field takes at most its number of characters (typed as a person would).
        function test_lengths_data() {
            return [
                { tag: "login e-mail", dialog: loginComponent, field: "userNameField", max: 30,
                  chars: "a" },
                { tag: "login password", dialog: loginComponent, field: "passwordField", max: 20,
                  chars: "a1!" },
                { tag: "register nickname", dialog: registerComponent, field: "nickNameField",
                  max: 16, chars: "n" },
                { tag: "register e-mail", dialog: registerComponent, field: "emailField", max: 30,
                  chars: "e" },
                { tag: "register password", dialog: registerComponent, field: "passwordField",
                  max: 16, chars: "a1!" },
                { tag: "register repetition", dialog: registerComponent, field: "rePasswordField",
                  max: 16, chars: "a1!" },
                { tag: "recovery e-mail", dialog: forgotComponent, field: "emailField", max: 30,
                  chars: "r" },
                { tag: "verification code", dialog: forgotComponent, field: "verifyField", max: 6,
                  chars: "7" }
            ]
        }

        function test_lengths(data) {
            var dialog = createTemporaryObject(data.dialog, root)
            dialog.open()
            tryCompare(dialog, "opened", true)
            var field = findChild(dialog.contentItem, data.field)
            verify(field)
            if (data.field === "verifyField")
                dialog.loadPage(2)
            var text = ""
            while (text.length < data.max + 8)
                text += data.chars
            typeText(field, text)
            compare(field.text.length, data.max)
            if (field.echoMode !== TextInput.Normal)
                compare(field.echoMode, TextInput.Password)
            dialog.close()
        }
    }
}

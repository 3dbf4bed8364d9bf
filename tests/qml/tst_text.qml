import QtQuick 2.15
import QtQuick.Controls 2.15
import QtTest 1.2
import "qrc:/Widget"

// Texts that must fit: the widths measured for labels are those the labels need in the
// application font, and a label too long for its place ends in "…" and shows the whole text as
// a tool tip.
Item {
    id: root

    width: 800
    height: 600

    Component {
        id: textComponent
        Text {
            font.family: Qt.application.font.family
        }
    }

    Component {
        id: txtBtnComponent
        KTxtBtn {}
    }

    Component {
        id: imgTxtBtnComponent
        KImgTxtBtn {
            mIconPath: "qrc:/sync.png"
        }
    }

    Component {
        id: sureBtnComponent
        KSureBtn {}
    }

    Component {
        id: kbKeyComponent
        KKBTxtImgBtn {
            mKeyType: 20
            mImgPath: "qrc:/keyboard/keyboard_player.png"
            mText: "Player"
        }
    }

    Component {
        id: msKeyComponent
        KMSSelectItem1 {
            mKeyType: 8
            mText: "Forward"
        }
    }

    Component {
        id: elideComponent
        KElideText {
            width: 80
        }
    }

    TestCase {
        name: "TextThatFits"
        when: windowShown

        // The measured width holds the text as a Text item lays it out, in both languages and
        // at the sizes the screens use.
        function test_measuredWidthHoldsTheLabel_data() {
            var texts = ["Synchronization", "Configuration", "2.4MatchCode", "Restore", "About",
                         "Open directory", "Roller middle button", "Prepare for matching code",
                         "In the progress of matching code...", "Sign in", "Download cloud settings",
                         "Upload to the current configuration settings", "Volume down",
                         "Left button double click", "Mailbox", "Wi-Fi", "fififififififi",
                         "同步", "功能配置", "恢复默认", "2.4G对码", "打开目录", "开始对码",
                         "上传云端设置"]
            var rows = []
            for (var i = 0; i < texts.length; ++i) {
                for (var size = 8; size <= 13; ++size)
                    rows.push({ tag: texts[i] + "@" + size, text: texts[i], size: size })
            }
            return rows
        }

        function test_measuredWidthHoldsTheLabel(data) {
            var label = createTemporaryObject(textComponent, root,
                                              { "text": data.text, "font.pointSize": data.size })
            var measured = KLocator.getStringWidget(data.text, data.size,
                                                    Qt.application.font.family)
            verify(measured >= label.implicitWidth,
                   "measured " + measured + " < needed " + label.implicitWidth)
            // A label exactly as wide as measured shows its text whole.
            label.width = measured
            label.elide = Text.ElideRight
            verify(!label.truncated)
        }

        // Buttons sized from their measured text show it whole.
        function test_buttonsShowTheirWholeText_data() {
            return [
                { tag: "text", component: txtBtnComponent, texts: ["Register", "Forget password",
                                                                  "注册", "忘记密码"] },
                { tag: "icon and text", component: imgTxtBtnComponent,
                  texts: ["Synchronization", "Configuration", "2.4MatchCode", "同步"] },
                { tag: "confirm", component: sureBtnComponent,
                  texts: ["Prepare for matching code", "Check again", "确定"] }
            ]
        }

        function test_buttonsShowTheirWholeText(data) {
            for (var i = 0; i < data.texts.length; ++i) {
                var props = data.component === sureBtnComponent ? { "mSureStr": data.texts[i] }
                                                                : { "mText": data.texts[i] }
                var button = createTemporaryObject(data.component, root, props)
                // The text is the content item, or beside the icon in it.
                var text = button.contentItem.truncated !== undefined
                        ? button.contentItem : button.contentItem.children[1]
                verify(!text.truncated, data.texts[i])
                compare(button.Accessible.name, data.texts[i])
            }
        }

        // Too little room: the text ends in "…" and the tool tip shows it whole.
        function test_cutTextsEndInAnEllipsisAndShowAToolTip() {
            var button = createTemporaryObject(txtBtnComponent, root,
                                               { "mText": "A nickname much longer than its room" })
            button.width = 60
            verify(button.contentItem.truncated)
            compare(button.contentItem.elide, Text.ElideRight)
            mouseMove(button, 20, 5)
            tryVerify(function () { return button.ToolTip.visible }, 2000)
            compare(button.ToolTip.text, "A nickname much longer than its room")

            var elide = createTemporaryObject(elideComponent, root,
                                              { "text": "Open directory of the music files" })
            verify(elide.truncated)
            mouseMove(elide, 10, 5)
            tryVerify(function () { return elide.ToolTip.visible }, 2000)
            compare(elide.ToolTip.text, "Open directory of the music files")
            elide.text = "Open"
            verify(!elide.truncated)
            verify(!elide.ToolTip.visible)
        }

        // A function name wider than a key of the keyboard view: two lines, the second ending in
        // "…" even when one word is longer than the key; the tool tip names the whole function.
        function test_keyboardKeyNameEndsInAnEllipsis() {
            var key = createTemporaryObject(kbKeyComponent, root)
            key.mKeyName = "Supercalifragilisticexpialidocious-launcher-with-arguments"
            var name = findChild(key, "keyName")
            verify(name.truncated)
            verify(name.lineCount <= 2)
            verify(name.paintedWidth <= name.width + 1)
            mouseMove(key, 10, 10)
            tryVerify(function () { return key.ToolTip.visible }, 3000)
            verify(key.ToolTip.text.indexOf(key.mKeyName) >= 0, key.ToolTip.text)
            key.mKeyName = "Mute"
            verify(!name.truncated)
        }

        // A long function name of a mouse key stays within its bound and ends in "…".
        function test_mouseKeyNameEndsInAnEllipsis() {
            var key = createTemporaryObject(msKeyComponent, root)
            key.mKeyName = "Open directory /home/someone/Music/A long folder name"
            key.setViewWidget()
            var name = findChild(key, "keyName")
            verify(name.truncated)
            verify(key.width <= key.mDotSize + key.mLineLength + 2 * key.mInterval + key.mEditSize
                   + key.mMaxTextWidth + KLocator.getScaleLength(4))
            compare(key.Accessible.name.indexOf("Forward"), 0)
            verify(key.Accessible.name.indexOf(key.mKeyName) > 0)
            key.mKeyName = "Back"
            key.setViewWidget()
            verify(!name.truncated)
        }
    }
}

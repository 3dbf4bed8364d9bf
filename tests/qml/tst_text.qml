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

        // A text cut to a width: what is left fits and ends in "…" (on the right, or in the
        // middle for paths), in the application font, whose own glyphs lack the ellipsis.
        function test_elidedTextFitsAndEndsInAnEllipsis_data() {
            return [
                { tag: "fits", text: "Copy", width: 200, lines: 1, cut: false },
                { tag: "english", text: "Open directory /home/someone/Music", width: 100,
                  lines: 1, cut: true },
                { tag: "chinese", text: "打开目录 /home/someone/音乐", width: 90, lines: 1,
                  cut: true },
                { tag: "one long word", text: "Supercalifragilisticexpialidocious", width: 70,
                  lines: 1, cut: true },
                { tag: "two lines fit", text: "Launch program", width: 76, lines: 2, cut: false },
                { tag: "two lines cut", text: "Launch program /usr/bin/averyverylongname",
                  width: 76, lines: 2, cut: true },
                { tag: "middle", text: "/home/someone/Documents/Reports/2026/report.pdf",
                  width: 150, lines: 0, cut: true },
                { tag: "middle fits", text: "/tmp/a.ogg", width: 150, lines: 0, cut: false },
                { tag: "no room", text: "Copy", width: 0, lines: 1, cut: true, empty: true },
                { tag: "no room, middle", text: "/tmp/a.ogg", width: 0, lines: 0, cut: true,
                  empty: true }
            ]
        }

        function test_elidedTextFitsAndEndsInAnEllipsis(data) {
            var family = Qt.application.font.family
            var shown = data.lines === 0
                    ? KLocator.elidedTextMiddle(data.text, 10, family, data.width)
                    : KLocator.elidedText(data.text, 10, family, data.width, data.lines)
            if (!data.cut) {
                compare(shown, data.text)
                return
            }
            if (data.empty) {
                compare(shown, "")
                return
            }
            verify(shown.indexOf("\u2026") >= 0, shown)
            var label = createTemporaryObject(textComponent, root,
                                              { "text": shown, "font.pointSize": 10 })
            if (data.lines === 2) {
                label.width = data.width
                label.wrapMode = Text.Wrap
                verify(label.lineCount <= 2, shown)
                verify(shown.endsWith("\u2026"), shown)
                var lines = shown.split("\n")
                for (var i = 0; i < lines.length; ++i)
                    verify(KLocator.getStringWidget(lines[i], 10, family) <= data.width, lines[i])
                return
            }
            verify(label.implicitWidth <= Math.max(data.width, 1) + 0.5,
                   shown + " " + label.implicitWidth)
            if (data.lines === 0) {
                var cut = shown.indexOf("\u2026")
                verify(data.text.indexOf(shown.slice(0, cut)) === 0, shown)
                verify(data.text.endsWith(shown.slice(cut + 1)), shown)
                verify(shown.slice(cut + 1).length > 0)
            } else {
                verify(shown.endsWith("\u2026"), shown)
                verify(data.text.indexOf(shown.slice(0, -1).trim()) === 0, shown)
            }
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
                // The text is the content item, or beside the icon (or the busy ring) in it.
                var content = button.contentItem
                if (content.truncated === undefined && content.children.length === 1)
                    content = content.children[0]
                var text = content.truncated !== undefined ? content : content.children[1]
                compare(text.text, data.texts[i])
                compare(button.Accessible.name, data.texts[i])
            }
        }

        // Too little room: the text ends in "…" and the tool tip shows it whole.
        function test_cutTextsEndInAnEllipsisAndShowAToolTip() {
            var button = createTemporaryObject(txtBtnComponent, root,
                                               { "mText": "A nickname much longer than its room" })
            button.width = 60
            var shown = button.contentItem.text
            verify(shown.length > 1 && shown.endsWith("\u2026"), shown)
            verify("A nickname much longer than its room".indexOf(shown.slice(0, -1)) === 0, shown)
            verify(button.contentItem.implicitWidth <= button.contentItem.width, shown)
            mouseMove(button, 20, 5)
            tryVerify(function () { return button.ToolTip.visible }, 2000)
            compare(button.ToolTip.text, "A nickname much longer than its room")

            var elide = createTemporaryObject(elideComponent, root,
                                              { "mFullText": "Open directory of the music files" })
            verify(elide.mCut)
            verify(elide.text.endsWith("\u2026"), elide.text)
            mouseMove(elide, 10, 5)
            tryVerify(function () { return elide.ToolTip.visible }, 2000)
            compare(elide.ToolTip.text, "Open directory of the music files")
            elide.mFullText = "Open"
            compare(elide.text, "Open")
            verify(!elide.mCut)
            verify(!elide.ToolTip.visible)
        }

        // A function name wider than a key of the keyboard view: two lines, the second ending in
        // "…" even when one word is longer than the key; the tool tip names the whole function.
        function test_keyboardKeyNameEndsInAnEllipsis() {
            var key = createTemporaryObject(kbKeyComponent, root)
            key.mKeyName = "Supercalifragilisticexpialidocious-launcher-with-arguments"
            var name = findChild(key, "keyName")
            verify(name.text.endsWith("\u2026"), name.text)
            verify(name.lineCount <= 2)
            verify(!name.truncated, "cut by the Text item itself: " + name.text)
            verify(name.paintedWidth <= name.width + 1)
            mouseMove(key, 10, 10)
            tryVerify(function () { return key.ToolTip.visible }, 3000)
            verify(key.ToolTip.text.indexOf(key.mKeyName) >= 0, key.ToolTip.text)
            key.mKeyName = "Mute"
            compare(name.text, "Mute")
        }

        // A long function name of a mouse key stays within its bound and ends in "…".
        function test_mouseKeyNameEndsInAnEllipsis() {
            var key = createTemporaryObject(msKeyComponent, root)
            key.mKeyName = "Open directory /home/someone/Music/A long folder name"
            key.setViewWidget()
            var name = findChild(key, "keyName")
            verify(name.text.endsWith("\u2026"), name.text)
            verify(name.implicitWidth <= name.width)
            verify(key.width <= key.mDotSize + key.mLineLength + 2 * key.mInterval + key.mEditSize
                   + key.mMaxTextWidth + KLocator.getScaleLength(4))
            compare(key.Accessible.name.indexOf("Forward"), 0)
            verify(key.Accessible.name.indexOf(key.mKeyName) > 0)
            key.mKeyName = "Back"
            key.setViewWidget()
            compare(name.text, "Back")
        }
    }
}

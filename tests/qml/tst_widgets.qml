import QtQuick 2.15
import QtTest 1.2
import "qrc:/Widget"

// The shared small widgets, the pictures the screens name and the application font.
Item {
    id: root

    width: 600
    height: 400

    Component {
        id: syncComponent
        KSyncBtn {
            x: 100
            y: 20
        }
    }

    Component {
        id: switchComponent
        KTxtSwitch {
            mText: "off"
            mTextSelect: "on"
        }
    }

    Component {
        id: imgSwitchComponent
        KImgSwitch {
            width: 44
            height: 44
            mIconPath: "qrc:/device_ms.png"
            mIconPathSelected: "qrc:/device_ms_pre.png"
        }
    }

    Component {
        id: imageComponent
        Image {}
    }

    SignalSpy {
        id: spy
    }

    TestCase {
        name: "Widgets"
        when: windowShown

        function test_syncPopupOpensOnHoverAndReportsTheChoice_data() {
            return [{ tag: "upload", entry: "syncUp", isUp: true },
                    { tag: "download", entry: "syncDown", isUp: false }]
        }

        function test_syncPopupOpensOnHoverAndReportsTheChoice(data) {
            var button = createTemporaryObject(syncComponent, root)
            spy.target = null
            spy.signalName = "sigSyncClicked"
            spy.target = button
            spy.clear()
            mouseMove(button, button.width / 2, button.height / 2)
            tryVerify(function () { return button.mSyncWidget.opened })
            var entry = findChild(button.mSyncWidget.contentItem, data.entry)
            mouseMove(entry, entry.width / 2, entry.height / 2)
            mouseClick(entry)
            compare(spy.count, 1)
            compare(spy.signalArguments[0][0], data.isUp)
            tryVerify(function () { return !button.mSyncWidget.visible })
        }

        function test_textSwitchReportsUserToggles() {
            var sw = createTemporaryObject(switchComponent, root)
            spy.target = null
            spy.signalName = "sigToggled"
            spy.target = sw
            spy.clear()
            sw.setSwitchStatus(true)
            compare(spy.count, 0)
            mouseClick(sw.mSwitch)
            compare(spy.count, 1)
            compare(spy.signalArguments[0][0], false)
        }

        function test_imageSwitchTogglesAndReports() {
            var sw = createTemporaryObject(imgSwitchComponent, root)
            spy.target = null
            spy.signalName = "sigOnClicked"
            spy.target = sw
            spy.clear()
            mouseClick(sw)
            verify(sw.mIsSelected)
            compare(spy.signalArguments[0][0], true)
            sw.setStatus(false)
            verify(!sw.mIsSelected)
            compare(spy.count, 1)
        }

        function test_pictures_data() {
            var plain = ["function/mouse3", "function/mouse5", "function/mouse7",
                         "keyboard/kb_backgroung", "mouse/msEdit", "mouse/msEdit_pre",
                         "function/direction_down", "function/direction_right",
                         "connect_24", "connect_24_pre", "connect_ble", "connect_ble_pre",
                         "device_ms", "device_ms_pre", "device_kb", "device_kb_pre",
                         "language_zh", "language_zh_pre", "language_en", "language_en_pre",
                         "complete", "error", "Return", "sync", "sync_pre", "shared_tip"]
            var keys = ["backward", "forward", "home", "mailbox", "player", "playorpause", "stop",
                        "previous", "next", "volumedown", "volumeup", "mute"]
            for (var k = 0; k < keys.length; ++k)
                plain.push("keyboard/keyboard_" + keys[k])
            // Pictures with text exist in Chinese and, with the suffix _en, in English.
            var texts = ["pair/pair_mouse", "pair/pair_mouse_sel", "pair/pair_kb", "pair/pair_kb_sel",
                         "pair/pair_step1", "pair/pair_step2", "pair/pair_step3", "pair/pair_step4",
                         "pair/pair_step5", "pair/pair_kb_step"]
            for (var t = 0; t < texts.length; ++t) {
                plain.push(texts[t])
                plain.push(texts[t] + "_en")
            }
            var rows = []
            for (var i = 0; i < plain.length; ++i) {
                rows.push({ tag: plain[i], path: "qrc:/" + plain[i] + ".png" })
                rows.push({ tag: plain[i] + "@2x", path: "qrc:/" + plain[i] + "@2x.png" })
            }
            return rows
        }

        function test_pictures(data) {
            var image = createTemporaryObject(imageComponent, root, { "source": data.path })
            compare(image.status, Image.Ready)
            verify(image.implicitWidth > 0)
        }

        function test_doubleSizePicturesAreTwiceAsLarge() {
            var one = createTemporaryObject(imageComponent, root,
                                            { "source": "qrc:/function/mouse5.png" })
            var two = createTemporaryObject(imageComponent, root,
                                            { "source": "qrc:/function/mouse5@2x.png" })
            compare(two.sourceSize.width, 2 * one.sourceSize.width)
            compare(one.sourceSize.width, 200)
            compare(one.sourceSize.height, 320)
        }

        function test_applicationFontHasChineseGlyphs() {
            compare(Qt.application.font.family, "Droid Sans Fallback")
            verify(KLocator.getStringWidget("鼠标", 10, Qt.application.font.family) > 0)
        }
    }
}

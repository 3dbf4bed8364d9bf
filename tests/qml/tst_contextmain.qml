import QtQuick 2.15
import QtTest 1.2
import "qrc:/Context"

// The function-assignment screen with the real configuration store, function catalogue, device
// watcher, pointer sensitivity and autorun entry on the simulated platform.
Item {
    id: root

    width: 960
    height: 584

    Component {
        id: mainComponent
        ContextMain {
            anchors.fill: parent
        }
    }

    TestCase {
        name: "ContextMain"
        when: windowShown

        property var screen: null

        // A fresh screen whose mouse view has announced its first key.
        function createScreen() {
            screen = createTemporaryObject(mainComponent, root)
            verify(screen)
            tryVerify(function () {
                return screen.mMouse.mMSContext && screen.mMouse.mMSContext.mIsInitUI
            }, 2000)
            return screen
        }

        function menuItem(value) {
            return screen.mMenuCommon.mItemByValue[String(value)]
        }

        function init() {
            TestBackend.reset()
        }

        function test_clickingAKeySelectsItAndChecksItsFunction() {
            KConfigCommon.setKeyValueWithKeyType(3, 23)
            createScreen()
            compare(KConfigCommon.getCurentKeyType(), 2)
            var key3 = findChild(screen, "key3")
            mouseClick(key3)
            verify(key3.mIsSelect)
            verify(!findChild(screen, "key2").mIsSelect)
            compare(KConfigCommon.getCurentKeyType(), 3)
            verify(findChild(screen, "radio23").checked)
            compare(findChild(screen, "currentFunction").text, "三击")
            compare(key3.mKeyName, "三击")
        }

        function test_checkingAFunctionAssignsItToTheSelectedKey() {
            createScreen()
            compare(KConfigCommon.getCurentKeyType(), 2)
            // Open the window functions and bring the item into view; nothing is assigned yet.
            screen.mMenuCommon.selectItemByValue(42)
            compare(KConfigCommon.getValueByKeyType(2), 0)
            var radio = findChild(screen, "radio42")
            tryVerify(function () {
                return radio.mapToItem(root, 0, 0).y >= 0 && radio.height > 0
            }, 1000)
            wait(350)
            mouseClick(radio)
            compare(KConfigCommon.getValueByKeyType(2), 42)
            compare(findChild(screen, "key2").mKeyName, "显示桌面")
            compare(findChild(screen, "currentFunction").text, "显示桌面")
            // Other keys keep theirs.
            compare(KConfigCommon.getValueByKeyType(3), 0)
        }

        function test_keyCount_data() {
            return [
                { tag: "3 keys", count: 3, start: 7, shown: [2, 3, 4, 5], hidden: [6, 7, 8, 9] },
                { tag: "5 keys", count: 5, start: 3, shown: [2, 3, 4, 5, 8, 9], hidden: [6, 7] },
                { tag: "7 keys", count: 7, start: 5, shown: [2, 3, 4, 5, 6, 7, 8, 9], hidden: [] }
            ]
        }

        function test_keyCount(data) {
            KConfigCommon.setMouseKeyNumber(data.start)
            KConfigCommon.setKeyValueWithKeyType(9, 42)
            createScreen()
            mouseClick(findChild(screen, "key4"))
            compare(KConfigCommon.getCurentKeyType(), 4)
            mouseClick(findChild(screen, "keyNumber" + data.count))
            compare(KConfigCommon.getMouseKeyNumber(), data.count)
            var image = findChild(screen, "mouseImage")
            verify(image.source.toString().endsWith("mouse" + data.count + ".png"))
            compare(image.status, Image.Ready)
            var i
            for (i = 0; i < data.shown.length; ++i)
                verify(findChild(screen, "key" + data.shown[i]).visible, "key " + data.shown[i])
            for (i = 0; i < data.hidden.length; ++i)
                verify(!findChild(screen, "key" + data.hidden[i]).visible, "key " + data.hidden[i])
            // The right button becomes the selected key.
            verify(findChild(screen, "key2").mIsSelect)
            compare(KConfigCommon.getCurentKeyType(), 2)
            if (data.count >= 5) {
                compare(findChild(screen, "key9").mText, "后退")
                compare(findChild(screen, "key9").mKeyName, "显示桌面")
            }
            // A count without a picture changes nothing.
            screen.mMouse.mMSContext.setMSImg(4)
            verify(image.source.toString().endsWith("mouse" + data.count + ".png"))
            compare(KConfigCommon.getMouseKeyNumber(), data.count)
        }

        function test_labelsPointAtTheirKeys() {
            KConfigCommon.setMouseKeyNumber(7)
            createScreen()
            var view = screen.mMouse.mMSContext
            // Each label's dot ends where its key is drawn; the edit marks form two columns.
            var labels = [["key2", view.mKeyRightX, view.mKeyRightY, false],
                          ["key4", view.mKeyWheelUpX, view.mKeyWheelUpY, true],
                          ["key6", view.mKeySideWheelUpX, view.mKeySideWheelUpY, true],
                          ["key8", view.mKeyForwardX2, view.mKeyForwardY2, true]]
            for (var i = 0; i < labels.length; ++i) {
                var label = findChild(screen, labels[i][0])
                var dotX = labels[i][3] ? label.x + label.width - label.mDotSize / 2
                                        : label.x + label.mDotSize / 2
                fuzzyCompare(dotX, KLocator.getScaleLength(labels[i][1]), 1, labels[i][0])
                fuzzyCompare(label.y + label.mNameHeight / 2, KLocator.getScaleLength(labels[i][2]), 1)
            }
            // The 7-key picture has the side wheel: the key points differ from the 5-key ones.
            verify(view.mKeyForwardY2 !== view.mKeyForwardY)
        }

        function test_deviceSelector_data() {
            return [
                { tag: "receiver", usb: true, ms: false, kb: false, mouse: true, keyboard: true, ble: false },
                { tag: "bluetooth mouse", usb: false, ms: true, kb: false, mouse: true, keyboard: false,
                  ble: true },
                { tag: "bluetooth keyboard", usb: false, ms: false, kb: true, mouse: false, keyboard: true,
                  ble: true },
                { tag: "both over bluetooth", usb: false, ms: true, kb: true, mouse: true, keyboard: true,
                  ble: true }
            ]
        }

        function test_deviceSelector(data) {
            createScreen()
            TestBackend.setDevices(data.usb, data.ms, data.kb)
            screen.refreshView()
            compare(findChild(screen, "deviceMouse").visible, data.mouse)
            compare(findChild(screen, "deviceKeyboard").visible, data.keyboard)
            compare(screen.mBleConnect, data.ble)
            verify(findChild(screen, "connectType").mImgPath.toString().indexOf(
                       data.ble ? "connect_ble" : "connect_24") >= 0)
            // The view shown is one the selector offers.
            compare(screen.mMouse.mSelectMS, data.mouse)
            if (!data.mouse) {
                verify(screen.mMouse.mKBContext.visible)
                compare(KConfigCommon.getCurentKeyType(), 16)
            }
        }

        function test_keyboardKeyTakesAFunction() {
            createScreen()
            mouseClick(findChild(screen, "deviceKeyboard"))
            var key20 = findChild(screen, "key20")
            tryVerify(function () { return key20 !== null && key20.visible })
            mouseClick(key20)
            verify(key20.mIsSelect)
            compare(KConfigCommon.getCurentKeyType(), 20)
            menuItem(11).control.clicked()
            compare(KConfigCommon.getValueByKeyType(20), 11)
            compare(key20.mKeyName, "增加音量")
            compare(KConfigCommon.getValueByKeyType(2), 0)
        }

        function test_pathFunctionStoresThePathAndAssigns() {
            createScreen()
            mouseClick(findChild(screen, "key8"))
            compare(KConfigCommon.getCurentKeyType(), 8)
            var folder = menuItem(62)
            compare(folder.mFileType, 3)
            // The chosen URL becomes a local path through the toolkit's conversion.
            folder.acceptPath("file:///tmp/my%20notes/r%C3%A9sum%C3%A9.txt")
            compare(KConfigCommon.getPathByKeyType(8, 3), "/tmp/my notes/résumé.txt")
            compare(KConfigCommon.getValueByKeyType(8), 62)
            compare(findChild(screen, "key8").mKeyName, "打开文件")
            verify(findChild(folder, "radio62").checked)
            compare(findChild(folder, "pathText").text, "/tmp/my notes/résumé.txt")
            // Another key shows its own (empty) path.
            mouseClick(findChild(screen, "key9"))
            compare(findChild(folder, "pathText").text, "")
            mouseClick(findChild(screen, "key8"))
            compare(findChild(folder, "pathText").text, "/tmp/my notes/résumé.txt")
        }

        function test_cancelledOrForeignChoiceChangesNothing() {
            createScreen()
            mouseClick(findChild(screen, "key9"))
            var sound = menuItem(60)
            sound.openDialog()
            verify(sound.mDialog.visible)
            sound.mDialog.reject()
            verify(!sound.mDialog.visible)
            sound.acceptPath("http://example.com/alert.ogg")
            compare(KConfigCommon.getPathByKeyType(9, 1), "")
            compare(KConfigCommon.getValueByKeyType(9), 0)
            verify(!findChild(sound, "radio60").checked)
        }

        function test_fileFilters() {
            createScreen()
            var sound = menuItem(60).nameFilters().join(" ")
            var patterns = ["*.mp3", "*.wma", "*.ogg", "*.wav", "*.flac"]
            for (var i = 0; i < patterns.length; ++i)
                verify(sound.indexOf(patterns[i]) >= 0, patterns[i])
            var program = menuItem(61).nameFilters().join(" ")
            compare(program.indexOf("*.exe") >= 0, Qt.platform.os === "windows")
            compare(menuItem(63).mFileType, 4)
        }

        function test_sensitivitySliderSetsPointerSpeedAtOnce() {
            createScreen()
            var menu = screen.mMenuCommon
            for (var title in menu.mGroups)
                menu.mGroups[title].mIsOpen = title === menu.mSensitivityStr
            menu.scrollToYByTitle(menu.mSensitivityStr)
            wait(400)
            var slider = findChild(screen, "sensitivitySlider")
            compare(slider.value, KMouseSensitivity.getSensitivity())
            mouseClick(slider, slider.width * 0.95, slider.height / 2)
            verify(slider.value >= 18)
            compare(TestBackend.pointerSpeed(), slider.value)
            mouseClick(slider, slider.width * 0.05, slider.height / 2)
            compare(TestBackend.pointerSpeed(), 1)
            // No key was given a function.
            compare(KConfigCommon.getValueByKeyType(2), 0)
        }

        function test_languageButtons() {
            createScreen()
            var zh = findChild(screen, "languageZh")
            var en = findChild(screen, "languageEn")
            verify(zh.mIsSelected)
            verify(!en.mIsSelected)
            mouseClick(en)
            compare(KConfigCommon.getLanguage(), "en")
            verify(en.mIsSelected)
            verify(!zh.mIsSelected)
            // Clicking the current language again keeps it selected.
            mouseClick(en)
            compare(KConfigCommon.getLanguage(), "en")
            verify(en.mIsSelected)
        }

        function test_autoRunSwitch() {
            TestBackend.setAutoRunEntry(true)
            createScreen()
            var autoRun = findChild(screen, "autoRun")
            verify(autoRun.mSwitch.checked)
            mouseClick(autoRun.mSwitch)
            verify(!TestBackend.autoRunEntry())
            mouseClick(autoRun.mSwitch)
            verify(TestBackend.autoRunEntry())
        }

        function test_wholeConfigurationChangeIsShownOnRefresh() {
            KConfigCommon.setKeyValueWithKeyType(2, 24)
            createScreen()
            compare(findChild(screen, "key2").mKeyName, "右键")
            KConfigCommon.resetFunctionConfig()
            screen.refreshView()
            compare(findChild(screen, "key2").mKeyName, "无")
            compare(findChild(screen, "currentFunction").text, "无")
            verify(findChild(screen, "radio0").checked)
        }
    }
}

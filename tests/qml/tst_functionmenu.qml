import QtQuick 2.15
import QtTest 1.2
import "qrc:/Context"

// The function menu of the assignment screen as keys are chosen, the device view is switched and
// the whole configuration is replaced (as a download does): it always shows the selected key's
// group and function, in the same place each time. Also the path functions, which need a path
// before they can be assigned, and a stored function that this system does not list.
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
        name: "FunctionMenu"
        when: windowShown

        property var screen: null
        property var menu: null
        property var list: null

        function createScreen() {
            screen = createTemporaryObject(mainComponent, root)
            verify(screen)
            tryVerify(function () {
                return screen.mMouse.mMSContext && screen.mMouse.mMSContext.mIsInitUI
            }, 2000)
            menu = screen.mMenuCommon
            list = findChild(menu, "menuList")
            verify(list)
            settle()
            return screen
        }

        function init() {
            TestBackend.reset()
        }

        // The groups open and close, and the list scrolls, in 300 ms: waits until they have,
        // however slowly the machine runs them.
        function settle() {
            wait(50)
            tryVerify(function () {
                if (!menu || menu.mScrollSettling)
                    return !menu
                for (var title in menu.mGroups) {
                    if (!menu.mGroups[title].mSettled)
                        return false
                }
                return true
            }, 5000, "the menu comes to rest")
            wait(20)
        }

        function click(name) {
            var item = findChild(screen, name)
            verify(item, name)
            tryVerify(function () { return item.visible }, 1000, name)
            mouseClick(item)
            settle()
        }

        // Replaces assignments behind the screen's back and refreshes it, as a download does.
        function download(values) {
            for (var keyType in values)
                KConfigCommon.setKeyValueWithKeyType(Number(keyType), values[keyType], false)
            screen.refreshView()
            settle()
        }

        // Opens the advanced functions and scrolls them into view, checking nothing.
        function showAdvanced() {
            menu.mGroups[menu.mAdvanceStr].mIsOpen = true
            menu.scrollToYByTitle(menu.mAdvanceStr)
            settle()
        }

        // What the menu shows for the selected key, checked against what it must show: the key's
        // function checked, its group the only open one, the group's caption at the top of the
        // list (or the list at its end), and the checked item fully in view.
        function shown(step) {
            var keyType = KConfigCommon.getCurentKeyType()
            var value = KConfigCommon.getValueByKeyType(keyType)
            var item = menu.mItemByValue[String(value)]
            verify(item, step + ": no item for " + value)
            var radio = findChild(item, "radio" + value)
            verify(radio.checked, step + ": function " + value + " of key " + keyType + " checked")
            var open = []
            for (var title in menu.mGroups) {
                if (menu.mGroups[title].mIsOpen)
                    open.push(title)
            }
            compare(open.join(","), item.mTitleStr, step + ": open groups")
            var group = menu.mGroups[item.mTitleStr]
            var caption = group.mapToItem(list, 0, 0).y
            var atEnd = Math.abs(list.contentY - (list.contentHeight - list.height)) < 1
            verify(Math.abs(caption) < 1 || (atEnd && caption > 0),
                   step + ": caption at " + caption + ", list at " + list.contentY + " of "
                   + list.contentHeight)
            var top = radio.mapToItem(list, 0, 0).y
            verify(top >= 0 && top + radio.height <= list.height + 0.5,
                   step + ": item " + value + " at " + top + " of " + list.height)
            var place = menu.mapToItem(root, 0, 0)
            return { "step": step, "keyType": keyType, "value": value, "menuX": place.x,
                     "menuY": place.y, "caption": caption, "item": top,
                     "contentY": list.contentY }
        }

        // Six rounds of choosing mouse keys, switching to the keyboard and back, changing the key
        // count and downloading; every round must look like the first, step by step.
        function test_menuStaysInPlaceOverRounds() {
            var start = { 2: 42, 3: 23, 4: 62, 5: 11, 16: 0, 20: 41 }
            for (var keyType in start)
                KConfigCommon.setKeyValueWithKeyType(Number(keyType), start[keyType])
            KConfigCommon.setPathByKeyType(4, 3, "/tmp/notes.txt")
            KConfigCommon.setMouseKeyNumber(3)
            createScreen()
            var steps = [
                        ["start", function () {}],
                        ["middle button", function () { click("key3") }],
                        ["wheel up", function () { click("key4") }],
                        ["wheel down", function () { click("key5") }],
                        ["keyboard view", function () { click("deviceKeyboard") }],
                        ["email key", function () { click("key20") }],
                        ["download", function () { download({ 20: 11, 2: 24 }) }],
                        ["back key", function () { click("key16") }],
                        ["mouse view", function () { click("deviceMouse") }],
                        ["5 keys", function () { click("keyNumber5") }],
                        ["forward", function () { click("key8") }],
                        ["3 keys", function () { click("keyNumber3") }],
                        ["download back", function () { download({ 20: 41, 2: 42 }) }],
                        ["right button", function () { click("key2") }]
                    ]
            var first = []
            for (var round = 0; round < 6; ++round) {
                for (var i = 0; i < steps.length; ++i) {
                    steps[i][1]()
                    var now = shown("round " + round + ", " + steps[i][0])
                    if (round === 0) {
                        first.push(now)
                        continue
                    }
                    var then = first[i]
                    var what = ["keyType", "value", "menuX", "menuY", "caption", "item", "contentY"]
                    for (var w = 0; w < what.length; ++w)
                        fuzzyCompare(now[what[w]], then[what[w]], 0.5,
                                     now.step + ": " + what[w] + " as in the first round")
                }
            }
            // The steps covered every group that holds a function.
            var values = first.map(function (s) { return s.value })
            verify(values.indexOf(24) >= 0 && values.indexOf(62) >= 0 && values.indexOf(0) >= 0)
        }

        // The checked function of every group, chosen from the closed menu, stands in view.
        function test_everyGroupShowsItsItem_data() {
            return [
                { tag: "basic", value: 8 },
                { tag: "media", value: 16 },
                { tag: "mouse", value: 33 },
                { tag: "windows", value: 52 },
                { tag: "advanced", value: 63 },
                { tag: "basic again", value: 0 }
            ]
        }

        function test_everyGroupShowsItsItem(data) {
            KConfigCommon.setKeyValueWithKeyType(3, data.value)
            KConfigCommon.setPathByKeyType(3, 4, "/tmp")
            createScreen()
            click("key3")
            shown(data.tag)
            // Once more from the state the others left.
            click("key2")
            click("key3")
            shown(data.tag + " again")
        }

        // Checking a path function on a key without a path asks for it first; cancelling keeps
        // the key's function and path, accepting stores the path and assigns.
        function test_pathFunctionAsksForThePath_data() {
            return [
                { tag: "sound", value: 60, type: 1, url: "file:///tmp/bell%20one.ogg",
                  path: "/tmp/bell one.ogg", folder: "file:///tmp" },
                { tag: "program", value: 61, type: 2, url: "file:///usr/bin/env",
                  path: "/usr/bin/env", folder: "file:///usr/bin" },
                { tag: "file", value: 62, type: 3, url: "file:///usr/share/notes.txt",
                  path: "/usr/share/notes.txt", folder: "file:///usr/share" },
                { tag: "folder", value: 63, type: 4, url: "file:///usr/lib",
                  path: "/usr/lib", folder: "file:///usr/lib" }
            ]
        }

        function test_pathFunctionAsksForThePath(data) {
            KConfigCommon.setKeyValueWithKeyType(8, 42)
            KConfigCommon.setMouseKeyNumber(5)
            createScreen()
            click("key8")
            var item = menu.mItemByValue[String(data.value)]
            var dialog = data.type === 4 ? item.mFolderDialog : item.mDialog
            var radio = findChild(item, "radio" + data.value)
            showAdvanced()
            // The first dialog starts in the home folder.
            mouseClick(radio)
            tryVerify(function () { return dialog.visible }, 2000)
            compare(dialog.folder.toString(), dialog.shortcuts.home.toString())
            compare(KConfigCommon.getValueByKeyType(8), 42)
            dialog.reject()
            tryVerify(function () { return !dialog.visible })
            compare(KConfigCommon.getValueByKeyType(8), 42)
            compare(KConfigCommon.getPathByKeyType(8, data.type), "")
            verify(!radio.checked)
            verify(findChild(screen, "radio42").checked)
            compare(findChild(screen, "key8").mKeyName, "显示桌面")

            // Again, and a path is chosen.
            mouseClick(radio)
            tryVerify(function () { return dialog.visible }, 2000)
            item.acceptPath(data.url)
            dialog.close()
            tryVerify(function () { return !dialog.visible })
            compare(KConfigCommon.getPathByKeyType(8, data.type), data.path)
            compare(KConfigCommon.getValueByKeyType(8), data.value)
            verify(radio.checked)
            compare(findChild(screen, "currentFunction").text,
                    KFuncCommon.getNameByKeyValye(String(data.value)))

            // With its path the function is assigned at once; the next dialog starts in the
            // folder of the last choice.
            click("key9")
            KConfigCommon.setPathByKeyType(9, data.type, "/tmp/other")
            showAdvanced()
            mouseClick(radio)
            verify(!dialog.visible)
            compare(KConfigCommon.getValueByKeyType(9), data.value)
            item.openDialog()
            tryVerify(function () { return dialog.visible }, 2000)
            compare(dialog.folder.toString(), data.folder)
            dialog.reject()
            tryVerify(function () { return !dialog.visible })
            compare(KConfigCommon.getValueByKeyType(9), data.value)
            compare(KConfigCommon.getPathByKeyType(9, data.type), "/tmp/other")
        }

        // A choice that is no local file is refused like a cancelled one.
        function test_foreignChoiceKeepsTheFunction() {
            KConfigCommon.setKeyValueWithKeyType(2, 24)
            createScreen()
            var item = menu.mItemByValue["60"]
            showAdvanced()
            var radio = findChild(item, "radio60")
            mouseClick(radio)
            tryVerify(function () { return item.mDialog.visible }, 2000)
            item.acceptPath("http://example.com/bell.ogg")
            item.mDialog.close()
            tryVerify(function () { return !item.mDialog.visible })
            compare(KConfigCommon.getValueByKeyType(2), 24)
            verify(!radio.checked)
            verify(findChild(screen, "radio24").checked)
        }

        // A function kept from a system that lists it (53 comes from Windows 10) is named on the
        // key and in the title, and no other function is shown checked for it.
        function test_unlistedFunctionIsNamed_data() {
            return [
                { tag: "mouse key", keyType: 3, keyboard: false },
                { tag: "keyboard key", keyType: 22, keyboard: true }
            ]
        }

        function test_unlistedFunctionIsNamed(data) {
            compare(KFuncCommon.getNameByKeyValye("53"), "", "53 is not listed on this system")
            KConfigCommon.setKeyValueWithKeyType(data.keyType, 53)
            createScreen()
            if (data.keyboard)
                click("deviceKeyboard")
            click("key" + data.keyType)
            compare(KConfigCommon.getCurentKeyType(), data.keyType)
            var name = "显示/隐藏通知"
            compare(findChild(screen, "key" + data.keyType).mKeyName, name)
            compare(findChild(screen, "currentFunction").text, name)
            for (var value in menu.mItemByValue) {
                var radio = findChild(menu.mItemByValue[value], "radio" + value)
                verify(!radio.checked, "radio " + value)
            }
        }
    }
}

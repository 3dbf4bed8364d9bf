import QtQuick 2.15
import QtTest 1.2
import "qrc:/Page"

// A download from the running service refreshes the main page; the function menu then still shows
// the selected key's group and function, in place, download after download.
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
        name: "DownloadMenu"
        when: windowShown

        property var page: null

        function init() {
            PagesBackend.reset()
            page = createTemporaryObject(pageComponent, root)
            verify(page)
            page.refreshView()
            tryCompare(page, "mCurrentContext", "ContextMain")
        }

        // The header's synchronisation request, as its popup sends it.
        function download() {
            // The tip of the previous round says the same: this round's must be waited for.
            page.mTipWidget.visible = false
            page.mTipText.text = ""
            page.mTop2.sigSyncClicked(false)
            tryCompare(page.mTipText, "text", "下载成功", 5000)
            settle()
        }

        // The menu's groups and scroll take 300 ms: waits until they have come to rest, however
        // slowly the machine runs them.
        function settle() {
            var menu = page.mMain.mMenuCommon
            wait(50)
            tryVerify(function () {
                if (menu.mScrollSettling)
                    return false
                for (var title in menu.mGroups) {
                    if (!menu.mGroups[title].mSettled)
                        return false
                }
                return true
            }, 5000, "the menu comes to rest")
            wait(20)
        }

        // Where the checked function and its group's caption stand in the menu.
        function menuState(value) {
            var menu = page.mMain.mMenuCommon
            var list = findChild(menu, "menuList")
            var item = menu.mItemByValue[String(value)]
            var radio = findChild(item, "radio" + value)
            verify(radio.checked, "function " + value + " checked")
            verify(menu.mGroups[item.mTitleStr].mIsOpen)
            var top = radio.mapToItem(list, 0, 0).y
            verify(top >= 0 && top + radio.height <= list.height + 0.5,
                   "item " + value + " at " + top + " of " + list.height)
            var caption = menu.mGroups[item.mTitleStr].mapToItem(list, 0, 0).y
            return { "item": top, "caption": caption }
        }

        function test_menuAfterDownloads() {
            compare(PagesBackend.createAccount("Menu", "menu@example.com", "abc123!"), 0)
            compare(PagesBackend.logIn("menu@example.com", "abc123!"), 0)
            page.refreshView()
            tryCompare(page, "mCurrentContext", "ContextMain")
            // The account holds "Show desktop" on the right button and "Triple click" on the
            // middle one.
            KConfigCommon.setKeyValueWithKeyType(2, 42)
            KConfigCommon.setKeyValueWithKeyType(3, 23)
            page.mTop2.sigSyncClicked(true)
            tryCompare(page.mTipText, "text", "上传成功", 5000)

            var right = findChild(page.mMain, "key2")
            var middle = findChild(page.mMain, "key3")
            var first = null
            for (var round = 0; round < 3; ++round) {
                KConfigCommon.setKeyValueWithKeyType(2, 5)
                mouseClick(middle)
                mouseClick(right)
                settle()
                download()
                compare(KConfigCommon.getValueByKeyType(2), 42)
                compare(KConfigCommon.getCurentKeyType(), 2)
                compare(findChild(page.mMain, "currentFunction").text, "显示桌面")
                var state = menuState(42)
                fuzzyCompare(state.caption, 0, 0.5, "round " + round + ": group at the top")
                if (first === null)
                    first = state
                fuzzyCompare(state.item, first.item, 0.5, "round " + round)
            }
        }
    }
}

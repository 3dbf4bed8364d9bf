import QtQuick 2.15
import QtTest 1.2
import "qrc:/Context"

// The pairing screens: progress while the receiver pairs, the result panel and its timeout.
Item {
    id: root

    width: 960
    height: 584

    Component {
        id: pairComponent
        ContextPair {
            anchors.fill: parent
        }
    }

    TestCase {
        name: "ContextPair"
        when: windowShown

        property var screen: null

        function init() {
            TestBackend.reset()
            screen = createTemporaryObject(pairComponent, root)
            verify(screen)
        }

        function test_choiceLeadsToTheViewsAndBack() {
            verify(findChild(screen, "pairChoice").visible)
            mouseClick(findChild(screen, "pairMouse"))
            verify(screen.mMsPage.visible)
            verify(!findChild(screen, "pairChoice").visible)
            mouseClick(findChild(screen.mMsPage, "backButton"))
            verify(!screen.mMsPage.visible)
            verify(findChild(screen, "pairChoice").visible)
            mouseClick(findChild(screen, "pairKeyboard"))
            verify(screen.mKbPage.visible)
        }

        function test_pairing_data() {
            return [
                { tag: "mouse succeeds", page: "pairMouse", type: 1, status: true,
                  image: "complete.png", text: "鼠标配对成功", msg: "Matched successfully",
                  reason: "" },
                { tag: "mouse fails", page: "pairMouse", type: 1, status: false,
                  image: "error.png", text: "对码失败，请按照以下步骤再试一次",
                  msg: "Failed to match", reason: "Failed to match" },
                { tag: "keyboard fails without a reason", page: "pairKeyboard", type: 2,
                  status: false, image: "error.png", text: "对码失败，请按照以下步骤再试一次",
                  msg: "", reason: "" },
                { tag: "keyboard succeeds", page: "pairKeyboard", type: 2, status: true,
                  image: "complete.png", text: "键盘配对成功", msg: "", reason: "" }
            ]
        }

        function test_pairing(data) {
            mouseClick(findChild(screen, data.page))
            var view = data.type === 1 ? screen.mMsPage : screen.mKbPage
            var button = findChild(view, "pairButton")
            var panel = findChild(view, "resultPanel")
            compare(button.mSureStr, "开始对码")
            // The product's tick and panel times; the test runs them faster.
            compare(view.mTimer.interval, 1000)
            compare(view.mTimer2.interval, 2000)
            view.mTimer.interval = 100
            view.mTimer2.interval = 400
            mouseClick(button)
            compare(TestBackend.pairRequests(), 1)
            compare(TestBackend.lastPairType(), data.type)
            compare(button.mSureStr, "对码中")
            // Dots are added while the attempt runs; a second click starts nothing.
            tryCompare(button, "mSureStr", "对码中.", 1000)
            mouseClick(button)
            compare(TestBackend.pairRequests(), 1)
            tryCompare(button, "mSureStr", "对码中..", 1000)
            tryCompare(button, "mSureStr", "对码中...", 1000)
            tryCompare(button, "mSureStr", "对码中.", 1000)
            TestBackend.finishPairing(data.status, data.msg)
            compare(button.mSureStr, "开始对码")
            verify(!view.mTimer.running)
            verify(panel.visible)
            verify(findChild(view, "resultImage").source.toString().endsWith(data.image))
            compare(findChild(view, "resultText").text, data.text)
            var reason = findChild(view, "resultReason")
            compare(reason.text, data.reason)
            compare(reason.visible, data.reason !== "")
            // The panel stays inside the view, clear of the back button.
            var back = findChild(view, "backButton")
            verify(panel.x >= back.x + back.width)
            verify(panel.x + panel.width <= view.width)
            // A success goes away again when mTimer2 runs out; a failure stays to be read.
            wait(200)
            verify(panel.visible)
            if (data.status) {
                tryCompare(panel, "visible", false, 1000)
            } else {
                wait(800)
                verify(panel.visible)
            }
        }

        function test_showingTheViewAgainResetsIt() {
            mouseClick(findChild(screen, "pairMouse"))
            var view = screen.mMsPage
            mouseClick(findChild(view, "pairButton"))
            TestBackend.finishPairing(false, "")
            verify(findChild(view, "resultPanel").visible)
            mouseClick(findChild(view, "pairButton"))
            verify(view.mTimer.running)
            mouseClick(findChild(view, "backButton"))
            mouseClick(findChild(screen, "pairMouse"))
            verify(!view.mTimer.running)
            verify(!findChild(view, "resultPanel").visible)
            compare(findChild(view, "pairButton").mSureStr, "开始对码")
        }

        function test_resultForAnotherViewIsIgnored() {
            mouseClick(findChild(screen, "pairMouse"))
            mouseClick(findChild(screen.mMsPage, "pairButton"))
            TestBackend.finishPairing(true, "")
            verify(findChild(screen.mMsPage, "resultPanel").visible)
            verify(!findChild(screen.mKbPage, "resultPanel").visible)
        }
    }
}

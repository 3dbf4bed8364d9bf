import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2

// The root document and its window: the welcome picture, then the page that fits the connected
// devices, switching by itself as devices come and go; hiding instead of closing; dragging.
Item {
    id: root

    width: 100
    height: 100

    SignalSpy {
        id: versionSpy
        target: KUpdater
        signalName: "sigReturnVersion"
    }

    TestCase {
        name: "UIMain"
        when: windowShown

        property var win: null

        function createWindow() {
            var component = Qt.createComponent("qrc:/Common/UIMain.qml")
            compare(component.status, Component.Ready, component.errorString())
            win = createTemporaryObject(component, root)
            verify(win)
            return win
        }

        function init() {
            PagesBackend.reset()
        }

        function cleanup() {
            if (win)
                win.hide()
            win = null
        }

        function test_welcomeThenThePageOfTheDevices() {
            PagesBackend.setDevices(false, false, false)
            // An update check of an earlier test's window may still be on its way.
            tryCompare(KUpdater, "busy", false, 5000)
            wait(300)  // and its line in the service's log
            versionSpy.clear()
            var versionRequests = PagesBackend.requestCount("/v1/driver/version")
            createWindow()
            verify(win.visible)
            tryCompare(win, "mCurrentPage", "Welcome", 500)
            verify(win.mPageWelcome.visible)
            // After the welcome picture: nothing connected, so the page that asks for a device.
            tryCompare(win, "mCurrentPage", "Unpair", 3000)
            verify(win.mPageUnpair.visible)
            verify(!win.mPageMain.visible)
            verify(!win.mPageWelcome.visible)
            // The update check ran once; the service offers the own version, so nothing opens.
            versionSpy.wait(5000)
            // The service logs a request just after answering it.
            tryVerify(function () {
                return PagesBackend.requestCount("/v1/driver/version") >= versionRequests + 1
            }, 5000)
            wait(300)
            compare(PagesBackend.requestCount("/v1/driver/version"), versionRequests + 1)
            verify(!win.mPageMain.mDialogUpgrade.visible)

            // Devices arriving and leaving switch the page without anyone asking.
            PagesBackend.setDevices(true, false, false)
            tryCompare(win, "mCurrentPage", "Main", 3000)
            verify(win.mPageMain.visible)
            verify(!win.mPageUnpair.visible)
            tryCompare(win.mPageMain, "mCurrentContext", "ContextMain")
            verify(findChild(win.mPageMain.mTop2, "pairButton").enabled)
            PagesBackend.setDevices(false, false, false)
            tryCompare(win, "mCurrentPage", "Unpair", 3000)
            PagesBackend.setDevices(false, true, false)
            tryCompare(win, "mCurrentPage", "Main", 3000)
            verify(!findChild(win.mPageMain.mTop2, "pairButton").enabled)
        }

        // A device that comes or goes while the main page is shown leaves the user on the screen
        // they chose; only the pairing screen is left when the receiver goes.
        function test_deviceChangesKeepTheScreen_data() {
            return [
                { tag: "about, a mouse comes", screen: "ContextAbout", button: "aboutButton",
                  devices: [true, true, false], stays: "ContextAbout" },
                { tag: "pairing, a keyboard comes", screen: "ContextPair", button: "pairButton",
                  devices: [true, false, true], stays: "ContextPair" },
                { tag: "about, the receiver goes", screen: "ContextAbout", button: "aboutButton",
                  devices: [false, true, false], stays: "ContextAbout" },
                { tag: "pairing, the receiver goes", screen: "ContextPair", button: "pairButton",
                  devices: [false, true, false], stays: "ContextMain" }
            ]
        }
        function test_deviceChangesKeepTheScreen(data) {
            PagesBackend.setDevices(true, false, false)
            createWindow()
            tryCompare(win, "mCurrentPage", "Main", 3000)
            tryCompare(win.mPageMain, "mCurrentContext", "ContextMain", 3000)
            mouseClick(findChild(win.mPageMain.mTop2, data.button))
            tryCompare(win.mPageMain, "mCurrentContext", data.screen)
            // What comes is attached before what goes is taken away, as a user would swap them
            // (with nothing attached in between, the page asking for a device is shown).
            PagesBackend.setDevices(true, data.devices[1], data.devices[2])
            wait(100)
            PagesBackend.setDevices(data.devices[0], data.devices[1], data.devices[2])
            // The header follows the devices either way.
            tryCompare(findChild(win.mPageMain.mTop2, "pairButton"), "enabled", data.devices[0],
                       3000)
            wait(200)
            compare(win.mCurrentPage, "Main")
            compare(win.mPageMain.mCurrentContext, data.stays)
        }

        function test_closingHidesAndTheTrayShowsAgain() {
            createWindow()
            tryCompare(win, "mCurrentPage", "Main", 3000)
            win.close()
            verify(!win.visible)
            UIManager.sigSetWindowStatus(true)
            verify(win.visible)
            UIManager.sigSetWindowStatus(false)
            verify(!win.visible)
            UIManager.sigSetWindowStatus(true)
            verify(win.visible)
            // The page's close button hides, its minimise button minimises.
            mouseClick(findChild(win.mPageMain, "closeButton"))
            verify(!win.visible)
            UIManager.sigSetWindowStatus(true)
            mouseClick(findChild(win.mPageMain, "minimizeButton"))
            compare(win.visibility, Window.Minimized)
            UIManager.sigSetWindowStatus(true)
            verify(win.visibility !== Window.Minimized && win.visibility !== Window.Hidden)
        }

        function test_unpairedPageButtons() {
            PagesBackend.setDevices(false, false, false)
            createWindow()
            tryCompare(win, "mCurrentPage", "Unpair", 3000)
            mouseClick(findChild(win.mPageUnpair, "closeButton"))
            verify(!win.visible)
            win.showWindow()
            verify(win.visible)
            mouseClick(findChild(win.mPageUnpair, "minimizeButton"))
            compare(win.visibility, Window.Minimized)
        }

        function test_draggingMovesTheWindow() {
            createWindow()
            tryCompare(win, "mCurrentPage", "Main", 3000)
            var x = win.x
            var y = win.y
            var area = win.mMainContent
            mousePress(area, 400, 300)
            mouseMove(area, 440, 320)
            mouseRelease(area, 440, 320)
            compare(win.x, x + 40)
            compare(win.y, y + 20)
        }

        function test_unknownPageKeepsTheCurrentOne() {
            createWindow()
            tryCompare(win, "mCurrentPage", "Main", 3000)
            compare(win.getPageUrl("Nowhere"), "")
            win.showPage("Nowhere")
            wait(50)
            compare(win.mCurrentPage, "Main")
            verify(win.mPageMain.visible)
        }
    }
}

import QtQuick 2.15
import QtQuick.Window 2.15

// The main window: frameless, dragged with the left button anywhere on its background, hidden
// (not closed) by its close button. It shows one of three pages: the welcome picture at start,
// then the main page while a device is connected, else the page that asks for one.
Window {
    id: mMainWindow

    // Where the left button went down, in window coordinates.
    property point mClickPos: "0,0"
    property var pages: ({})
    property string mCurrentPage: ""
    property bool mWelcomeFinished: false
    property var mPageWelcome: null
    property var mPageUnpair: null
    property var mPageMain: null
    property alias mMainContent: mMainContent
    property alias mMainContentTimer: mMainContentTimer

    function showWindow() {
        if (visibility === Window.Minimized)
            showNormal()
        else
            show()
        requestActivate()
    }

    function hideWindow() {
        visibility = Window.Hidden
    }

    function minimumWindow() {
        visibility = Window.Minimized
    }

    function getPageUrl(pageName) {
        switch (pageName) {
        case "Welcome":
            return "qrc:/Page/PageWelcome.qml"
        case "Unpair":
            return "qrc:/Page/PageUnpair.qml"
        case "Main":
            return "qrc:/Page/PageMain.qml"
        }
        return ""
    }

    // The switch happens a moment later, outside the signal handler that asked for it.
    function showPage(pageName) {
        mMainContentTimer.pageName = pageName
        mMainContentTimer.restart()
    }

    // Creates the page once; null (logged) when that fails.
    function createPage(pageName) {
        if (pages[pageName])
            return pages[pageName]
        var url = getPageUrl(pageName)
        if (url === "") {
            console.log("error: 没找到Page资源URL", pageName)
            return null
        }
        var component = Qt.createComponent(url)
        var page = component.status === Component.Ready
                ? component.createObject(mMainContent, { "visible": false }) : null
        if (!page) {
            console.log("error: 页面创建失败 " + pageName, component.errorString())
            return null
        }
        page.anchors.fill = mMainContent
        if (page.sigFinished)
            page.sigFinished.connect(welcomeFinished)
        if (page.sigHide)
            page.sigHide.connect(minimumWindow)
        if (page.sigClose)
            page.sigClose.connect(hideWindow)
        pages[pageName] = page
        if (pageName === "Welcome")
            mPageWelcome = page
        else if (pageName === "Unpair")
            mPageUnpair = page
        else if (pageName === "Main")
            mPageMain = page
        return page
    }

    function welcomeFinished() {
        if (mWelcomeFinished)
            return
        mWelcomeFinished = true
        console.log("欢迎页面显示完毕，加载其他页面")
        KDeviceWatcher.startWatch()
        KUpdater.getSoftwareVersion()
        updatePageFromDevStatus()
    }

    // The main page while the receiver or a Bluetooth device is connected, else the request to
    // connect one.
    function updatePageFromDevStatus() {
        var map = KDeviceWatcher.getDeviceConnect()
        console.log("device connect usb:", map["usb"], "........ble:", map["ble"], "...bleMs:",
                    map["bleMs"], "...bleKb:", map["bleKb"])
        if (Number(map["usb"] || 0) === 0 && Number(map["ble"] || 0) === 0) {
            console.log("无设备连接")
            showPage("Unpair")
        } else {
            // Already on the main page, the user stays on the screen they chose.
            var stay = mCurrentPage === "Main"
            showPage("Main")
            var page = createPage("Main")
            if (page && stay)
                page.refreshDevices()
            else if (page)
                page.refreshView()
        }
    }

    flags: Qt.FramelessWindowHint | Qt.WindowMinimizeButtonHint | Qt.Window
    color: "#00000000"
    title: qsTr("Pointora")
    width: KLocator.getScaleLength(960)
    height: KLocator.getScaleLength(640)
    visible: true

    // With a tray host closing only hides the window and the program stays in the tray;
    // without one the back end ends the program.
    onClosing: {
        close.accepted = false
        if (UIManager.windowClosing())
            hideWindow()
    }

    Component.onCompleted: {
        x = Screen.virtualX + (Screen.width - width) / 2
        y = Screen.virtualY + (Screen.height - height) / 2
        // The main page exists from the start, so that it hears the update check and the
        // driver message even while another page is shown.
        createPage("Main")
        showPage("Welcome")
    }

    Timer {
        id: mMainContentTimer

        property string pageName: ""

        interval: 5
        onTriggered: {
            var page = mMainWindow.createPage(pageName)
            if (!page) {
                console.log("error: not found page " + pageName)
                return
            }
            for (var name in mMainWindow.pages)
                mMainWindow.pages[name].visible = name === pageName
            mMainWindow.mCurrentPage = pageName
            console.log("切换页面: " + pageName)
        }
    }

    // Dragging the frameless window: every move shifts it by the distance from the press point.
    MouseArea {
        id: mDragArea
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton
        onPressed: mMainWindow.mClickPos = Qt.point(mouse.x, mouse.y)
        onPositionChanged: {
            mMainWindow.x += mouse.x - mMainWindow.mClickPos.x
            mMainWindow.y += mouse.y - mMainWindow.mClickPos.y
        }
    }

    Rectangle {
        id: mMainContent
        objectName: "mainContent"
        anchors.fill: parent
        color: "#ffffff"
    }
}

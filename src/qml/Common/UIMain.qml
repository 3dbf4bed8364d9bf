import QtQuick 2.15

// Root document: the main window, shown or hidden when the tray or a second start asks, and
// following the devices as they come and go.
UIMainWindow {
    id: mMainWindow
    objectName: "mainWindow"

    Connections {
        target: UIManager
        function onSigSetWindowStatus(status) {
            if (status)
                mMainWindow.showWindow()
            else
                mMainWindow.hideWindow()
        }
    }

    Connections {
        target: KDeviceWatcher
        function onSigDeviceChange() {
            console.log("设备发生变化")
            // Until the welcome picture has finished, the page is chosen after it.
            if (mMainWindow.mWelcomeFinished)
                mMainWindow.updatePageFromDevStatus()
        }
    }
}

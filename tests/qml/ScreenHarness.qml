import QtQuick 2.15
import QtQuick.Window 2.15
import "qrc:/Widget"
import "qrc:/Context"

// Hosts the main-page screens in a window of the main window's size, under a dark top bar, so
// that each can be shown in a given state and photographed (see screens_main.cpp).
Window {
    id: mWindow

    // The screenshots, in order; prepare(name) sets each one up.
    property var mShots: ["main_mouse3", "main_mouse5", "main_mouse7", "main_keyboard",
        "main_sensitivity", "sync_popup", "pair", "pair_mouse", "pair_mouse_progress",
        "pair_mouse_result", "pair_keyboard", "pair_keyboard_failed", "profile", "profile_tip",
        "about"]

    function findByName(item, name) {
        for (var i = 0; i < item.children.length; ++i) {
            var child = item.children[i]
            if (child.objectName === name)
                return child
            var found = findByName(child, name)
            if (found)
                return found
        }
        return null
    }

    function showOnly(screen) {
        var screens = [mMain, mPair, mProfile, mAbout]
        for (var i = 0; i < screens.length; ++i)
            screens[i].visible = screens[i] === screen
    }

    function showMouse(keys, keyType) {
        showOnly(mMain)
        mMain.refreshView()
        mMain.mMouse.setDeviceFunction(true)
        mMain.mMouse.mMSContext.selectKeyNumber(keys)
        if (keyType !== undefined)
            mMain.mMouse.mMSContext.setSelectItem(keyType)
    }

    // Returns how many milliseconds the screen needs to settle.
    function prepare(name) {
        mSync.setSyncWidgetStatus(false)
        switch (name) {
        case "main_mouse3":
            showMouse(3)
            return 900
        case "main_mouse5":
            showMouse(5, 3)
            return 900
        case "main_mouse7":
            showMouse(7, 8)
            return 900
        case "main_keyboard":
            mMain.mMouse.setDeviceFunction(false)
            return 900
        case "main_sensitivity":
            showMouse(5, 2)
            var groups = mMain.mMenuCommon.mGroups
            for (var title in groups)
                groups[title].mIsOpen = title === mMain.mMenuCommon.mSensitivityStr
            mMain.mMenuCommon.scrollToYByTitle(mMain.mMenuCommon.mSensitivityStr)
            return 900
        case "sync_popup":
            showMouse(5, 2)
            mSync.setSyncWidgetStatus(true)
            return 600
        case "pair":
            showOnly(mPair)
            mPair.showPage(0)
            return 300
        case "pair_mouse":
            mPair.showPage(1)
            return 300
        case "pair_mouse_progress":
            mPair.mMsPage.startPair()
            return 2300
        case "pair_mouse_result":
            TestBackend.finishPairing(true, "")
            return 300
        case "pair_keyboard":
            mPair.showPage(2)
            return 300
        case "pair_keyboard_failed":
            mPair.mKbPage.startPair()
            TestBackend.finishPairing(false, "")
            return 300
        case "profile":
            showOnly(mProfile)
            return 300
        case "profile_tip":
            findByName(mProfile, "oldPassword").text = "123456"
            findByName(mProfile, "newPassword").text = "abcdef1"
            findByName(mProfile, "repeatPassword").text = "abcdef2"
            mProfile.save()
            return 300
        case "about":
            showOnly(mAbout)
            TestBackend.offerVersion("1.1.0", "https://tolva.example/download")
            return 600
        }
        return 0
    }

    width: 960
    height: 640
    visible: true
    color: "#f7f8fb"
    title: "Pointora"

    Rectangle {
        id: mTop
        anchors.left: parent.left
        anchors.right: parent.right
        height: 56
        color: "#23262d"
        z: 1

        Text {
            anchors.left: parent.left
            anchors.leftMargin: 24
            anchors.verticalCenter: parent.verticalCenter
            text: "Pointora"
            font.family: Qt.application.font.family
            font.pointSize: 13
            color: "#ffffff"
        }
        KSyncBtn {
            id: mSync
            anchors.left: parent.left
            anchors.leftMargin: 200
            anchors.verticalCenter: parent.verticalCenter
            mBtnText: KConfigCommon.getLanguage() === "en" ? "Synchronization" : "同步"
        }
    }

    Item {
        anchors.top: mTop.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom

        ContextMain {
            id: mMain
            anchors.fill: parent
        }
        ContextPair {
            id: mPair
            anchors.fill: parent
            visible: false
        }
        ContextProfile {
            id: mProfile
            anchors.fill: parent
            visible: false
        }
        ContextAbout {
            id: mAbout
            anchors.fill: parent
            visible: false
        }
    }
}

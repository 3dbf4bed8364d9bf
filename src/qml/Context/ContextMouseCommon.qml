import QtQuick 2.15
import "qrc:/Widget"

// The device area of the function-assignment screen: the mouse/keyboard selector and the device
// view it selects. The views are created on first use; the selector offers what is connected.
Rectangle {
    id: mContext

    property bool mSelectMS: true
    property var mMSContext: null
    property var mKBContext: null

    signal sigSeleckItem(string keyType, int keyValue)

    function createView(url) {
        var component = Qt.createComponent(url)
        if (component.status !== Component.Ready) {
            console.log("error: 设备视图创建失败", component.errorString())
            return null
        }
        var view = component.createObject(mViewArea)
        if (!view) {
            console.log("error: 设备视图创建失败", url)
            return null
        }
        view.anchors.fill = mViewArea
        view.sigSeleckItem.connect(mContext.sigSeleckItem)
        return view
    }

    // Shows the mouse view (isMouse) or the keyboard view and announces its selected key.
    function setDeviceFunction(isMouse) {
        mSelectMS = isMouse
        mMSBtn.setStatus(isMouse)
        mKBBtn.setStatus(!isMouse)
        if (isMouse && !mMSContext)
            mMSContext = createView("qrc:/Widget/KMSCommon.qml")
        if (!isMouse && !mKBContext)
            mKBContext = createView("qrc:/Widget/KKBCommon.qml")
        if (mMSContext)
            mMSContext.visible = isMouse
        if (mKBContext)
            mKBContext.visible = !isMouse
        if (isMouse && mMSContext && mMSContext.mIsInitUI)
            selectItem(mMSContext.mSelectKeyType, KConfigCommon.getValueByKeyType(
                           mMSContext.mSelectKeyType))
        if (!isMouse && mKBContext)
            selectItem(mKBContext.mSelectKeyType, KConfigCommon.getValueByKeyType(
                           mKBContext.mSelectKeyType))
    }

    // Selects the key in the view that owns its key type; the view announces it.
    function selectItem(keyType, keyValue) {
        var type = Number(keyType)
        if (type >= 1 && type <= 9 && mMSContext)
            mMSContext.setSelectItem(type)
        else if (type >= 16 && type <= 27 && mKBContext)
            mKBContext.onSelectKey(type, keyValue)
    }

    // Offers the views of the connected devices: the receiver serves both, a Bluetooth mouse only
    // the mouse, a Bluetooth keyboard only the keyboard; then re-reads the assignments.
    function refreshView() {
        var map = KDeviceWatcher.getDeviceConnect()
        var usb = Number(map["usb"] || 0)
        var bleMs = Number(map["bleMs"] || 0)
        var bleKb = Number(map["bleKb"] || 0)
        var none = usb === 0 && bleMs === 0 && bleKb === 0
        var showMouse = none || usb > 0 || bleMs > 0
        var showKeyboard = none || usb > 0 || bleKb > 0
        mMSBtn.visible = showMouse
        mKBBtn.visible = showKeyboard
        if (mMSContext)
            mMSContext.refreshView()
        if (mKBContext)
            mKBContext.refreshView()
        setDeviceFunction(mSelectMS ? showMouse : !showKeyboard)
    }

    function changeKeyValue(keyType, keyValue) {
        var type = Number(keyType)
        if (type >= 1 && type <= 9 && mMSContext)
            mMSContext.changeKeyValue(type, keyValue)
        else if (type >= 16 && type <= 27 && mKBContext)
            mKBContext.changeKeyValue(type, keyValue)
    }

    color: "transparent"

    Component.onCompleted: refreshView()

    Row {
        id: mDeviceSelect
        anchors.left: parent.left
        anchors.leftMargin: KLocator.getScaleLength(24)
        anchors.top: parent.top
        anchors.topMargin: KLocator.getScaleLength(16)
        spacing: KLocator.getScaleLength(12)

        KImgSwitch {
            id: mMSBtn
            objectName: "deviceMouse"
            width: KLocator.getScaleLength(44)
            height: KLocator.getScaleLength(44)
            mIconPath: "qrc:/device_ms.png"
            mIconPathSelected: "qrc:/device_ms_pre.png"
            mAccessibleName: qsTr("Mouse")
            mIsSelected: true
            onSigOnClicked: mContext.setDeviceFunction(true)
        }
        KImgSwitch {
            id: mKBBtn
            objectName: "deviceKeyboard"
            width: KLocator.getScaleLength(44)
            height: KLocator.getScaleLength(44)
            mIconPath: "qrc:/device_kb.png"
            mIconPathSelected: "qrc:/device_kb_pre.png"
            mAccessibleName: qsTr("Keyboard")
            onSigOnClicked: mContext.setDeviceFunction(false)
        }
    }

    Item {
        id: mViewArea
        objectName: "deviceViewArea"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.topMargin: KLocator.getScaleLength(24)
        anchors.bottom: parent.bottom
    }
}

import QtQuick 2.15
import "qrc:/Widget"

// The function-assignment screen: on the left the function menu under the name of the function of
// the selected key, on the right the connected device with its keys, at the bottom the interface
// language and the start-at-login switch.
Rectangle {
    id: mContext

    property string mCurrentFuncStr: qsTr("None")
    property bool mIsChinese: true
    property bool mBleConnect: false
    property string mMenuCommonStr: "MenuCommonStr"
    property string mMenuWheelStr: "MenuWheelStr"
    property var mLanguageTips: null
    property alias mMouse: mMouse
    property alias mMenuCommon: mMenuCommon

    function showMenu(menuName) {
        mMenuTimer.mMenuName = menuName
        mMenuTimer.start()
    }

    function updateFuncName(keyValue) {
        mCurrentFuncStr = KFuncCommon.getFunctionName(String(keyValue))
    }

    function refreshView() {
        var map = KDeviceWatcher.getDeviceConnect()
        mBleConnect = Number(map["usb"] || 0) === 0
        var language = KConfigCommon.getLanguage()
        mIsChinese = language !== "en"
        mLanguageZh.setStatus(language === "zh")
        mLanguageEn.setStatus(language === "en")
        mAutoRunBtn.setSwitchStatus(KWinSimulator.isAutoRun())
        mMouse.refreshView()
    }

    // The new language is stored now and used from the next start, which the notice offers.
    function changeLanguage(language) {
        mLanguageZh.setStatus(language === "zh")
        mLanguageEn.setStatus(language === "en")
        if (KConfigCommon.getLanguage() === language)
            return
        KConfigCommon.setLanguage(language)
        mIsChinese = language === "zh"
        if (!mLanguageTips) {
            var component = Qt.createComponent("qrc:/Dialog/KDialogLanguageTips.qml")
            if (component.status === Component.Ready)
                mLanguageTips = component.createObject(mContext)
            else
                console.log("error: 语言提示对话框创建失败", component.errorString())
        }
        if (mLanguageTips)
            mLanguageTips.open()
    }

    color: "#f7f8fb"

    Timer {
        id: mMenuTimer

        property string mMenuName: ""

        interval: 5
        onTriggered: {
            if (mMenuName === mContext.mMenuCommonStr) {
                mMenuCommon.visible = true
                mMenuWheel.visible = false
            } else if (mMenuName === mContext.mMenuWheelStr) {
                mMenuCommon.visible = false
                mMenuWheel.visible = true
            } else {
                console.log("未找到Menu 类型", mMenuName)
            }
        }
    }

    Rectangle {
        id: mLeft
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: KLocator.getScaleLength(300)
        color: "#ffffff"

        Row {
            id: mTitle
            anchors.left: parent.left
            anchors.leftMargin: KLocator.getScaleLength(20)
            anchors.verticalCenter: mTitleArea.verticalCenter

            Text {
                text: qsTr("Setting function >> ")
                font.family: Qt.application.font.family
                font.pointSize: 11
                color: "#343434"
            }
            KElideText {
                objectName: "currentFunction"
                width: mLeft.width - KLocator.getScaleLength(40) - x
                mFullText: mContext.mCurrentFuncStr
                font.pointSize: 11
                color: "#4c84ff"
            }
        }
        Item {
            id: mTitleArea
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: KLocator.getScaleLength(56)
        }
        Rectangle {
            id: mTitleLine
            anchors.top: mTitleArea.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            height: 1
            color: "#eaedf0"
        }
        Item {
            anchors.top: mTitleLine.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom

            KMenuCommon {
                id: mMenuCommon
                objectName: "menuCommon"
                anchors.fill: parent
                onSigSelectItem: {
                    mMouse.changeKeyValue(KConfigCommon.getCurentKeyType(), Number(keyValue))
                    mContext.updateFuncName(keyValue)
                }
            }
            KMenuWheel {
                id: mMenuWheel
                anchors.fill: parent
                visible: false
            }
        }
    }

    Item {
        id: mRight
        anchors.left: mLeft.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom

        ContextMouseCommon {
            id: mMouse
            objectName: "mouseCommon"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.bottom: mBottom.top
            onSigSeleckItem: {
                KConfigCommon.setCurentKeyType(Number(keyType))
                mContext.updateFuncName(keyValue)
                mMenuCommon.selectItemByValue(keyValue)
                mMenuCommon.setPath(keyType)
            }
        }

        KImgBtn {
            id: mConnectType
            objectName: "connectType"
            anchors.right: parent.right
            anchors.rightMargin: KLocator.getScaleLength(24)
            anchors.top: parent.top
            anchors.topMargin: KLocator.getScaleLength(24)
            width: KLocator.getScaleLength(76)
            height: KLocator.getScaleLength(28)
            mImgPath: mContext.mBleConnect ? "qrc:/connect_ble.png" : "qrc:/connect_24.png"
            mImgPathHovered: mContext.mBleConnect ? "qrc:/connect_ble_pre.png"
                                                  : "qrc:/connect_24_pre.png"
            // It only shows the connection: named, but not a stop for Tab.
            focusPolicy: Qt.NoFocus
            mAccessibleName: mContext.mBleConnect ? qsTr("Connected by Bluetooth")
                                                  : qsTr("Connected by the 2.4G receiver")
        }

        Item {
            id: mBottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: KLocator.getScaleLength(56)

            Rectangle {
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.leftMargin: KLocator.getScaleLength(24)
                anchors.rightMargin: KLocator.getScaleLength(24)
                height: 1
                color: "#eaedf0"
            }
            Row {
                anchors.left: parent.left
                anchors.leftMargin: KLocator.getScaleLength(24)
                anchors.verticalCenter: parent.verticalCenter
                spacing: KLocator.getScaleLength(10)

                KImgSwitch {
                    id: mLanguageZh
                    objectName: "languageZh"
                    width: KLocator.getScaleLength(72)
                    height: KLocator.getScaleLength(28)
                    mIconPath: "qrc:/language_zh.png"
                    mIconPathSelected: "qrc:/language_zh_pre.png"
                    mAccessibleName: qsTr("Chinese")
                    mIsSelected: true
                    onSigOnClicked: mContext.changeLanguage("zh")
                }
                KImgSwitch {
                    id: mLanguageEn
                    objectName: "languageEn"
                    width: KLocator.getScaleLength(72)
                    height: KLocator.getScaleLength(28)
                    mIconPath: "qrc:/language_en.png"
                    mIconPathSelected: "qrc:/language_en_pre.png"
                    mAccessibleName: qsTr("English")
                    onSigOnClicked: mContext.changeLanguage("en")
                }
            }
            KTxtSwitch {
                id: mAutoRunBtn
                objectName: "autoRun"
                anchors.right: parent.right
                anchors.rightMargin: KLocator.getScaleLength(24)
                anchors.verticalCenter: parent.verticalCenter
                mText: qsTr("Starts up automatically at boot")
                mColor: "#959daf"
                mBackgroundColor: "#d5dbe7"
                onSigToggled: KWinSimulator.setAutoRun(isChecked)
            }
        }
    }

    Component.onCompleted: {
        mAutoRunBtn.setSwitchStatus(KWinSimulator.isAutoRun())
        refreshView()
        showMenu(mMenuCommonStr)
    }
}

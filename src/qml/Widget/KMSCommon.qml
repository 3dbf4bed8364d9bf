import QtQuick 2.15

// The mouse view: a key-count selector (3, 5 or 7 keys), the picture of that mouse and, around it,
// the labels of its keys. Clicking a label selects the key and announces it with sigSeleckItem.
KMSInterface {
    id: mMSCommon

    property int mCurrentKey: 3
    property bool mIsInitUI: false
    property int mSelectKeyType: 2
    // Where each label's dot touches its key, in pixels of the 1x picture (200 x 320).
    property int mKeyRightX: 142
    property int mKeyRightY: 112
    property int mKeyMiddleX: 100
    property int mKeyMiddleY: 72
    property int mKeyWheelUpX: 100
    property int mKeyWheelUpY: 48
    property int mKeyWheelDownX: 100
    property int mKeyWheelDownY: 96
    property int mKeySideWheelUpX: 27
    property int mKeySideWheelUpY: 136
    property int mKeySideWheelDownX: 27
    property int mKeySideWheelDownY: 176
    // Side buttons of the 5-key mouse ...
    property int mKeyForwardX: 27
    property int mKeyForwardY: 166
    property int mKeyBackX: 27
    property int mKeyBackY: 206
    // ... and of the 7-key mouse, below its side wheel.
    property int mKeyForwardX2: 28
    property int mKeyForwardY2: 215
    property int mKeyBackX2: 33
    property int mKeyBackY2: 255
    // The edit marks of the labels line up on these columns (picture pixels).
    property int mLeftColumnX: -22
    property int mRightColumnX: 222
    readonly property var mKeys: [mKeyRight, mKeyMiddle, mKeyWheelUp, mKeyWheelDown, mKeySideUpWheel,
        mKeySideDownWheel, mKeyForward, mKeyBack]

    signal sigSeleckItem(string keyType, int keyValue)

    function scaled(n) {
        return KLocator.getScaleLength(n)
    }

    function refreshView() {
        setMSImg(KConfigCommon.getMouseKeyNumber())
        for (var i = 0; i < mKeys.length; ++i)
            mKeys[i].refreshView()
    }

    // Shows the picture and the labels of a mouse with index keys; other counts change nothing.
    function setMSImg(index) {
        if (index !== 3 && index !== 5 && index !== 7)
            return
        var changed = index !== mCurrentKey
        mCurrentKey = index
        mMSImg.source = "qrc:/function/mouse" + index + ".png"
        mKeySideUpWheel.visible = index === 7
        mKeySideDownWheel.visible = index === 7
        mKeyForward.visible = index >= 5
        mKeyBack.visible = index >= 5
        if (changed || !mIsInitUI)
            setSelectItem(2)
    }

    function keyItem(keyType) {
        for (var i = 0; i < mKeys.length; ++i) {
            if (mKeys[i].mKeyType === Number(keyType))
                return mKeys[i]
        }
        return null
    }

    // Marks the key selected and, once the view is ready, announces it with its key value.
    function setSelectItem(keyType) {
        var item = keyItem(keyType)
        if (!item)
            return
        for (var i = 0; i < mKeys.length; ++i)
            mKeys[i].mIsSelect = mKeys[i] === item
        mSelectKeyType = item.mKeyType
        if (mIsInitUI)
            sigSeleckItem(String(item.mKeyType), item.mKeyValue)
    }

    function changeKeyValue(keyType, keyValue) {
        var item = keyItem(keyType)
        if (item)
            item.changeKeyValue(keyValue)
    }

    function selectKeyNumber(keyNumber) {
        KConfigCommon.setMouseKeyNumber(keyNumber)
        setMSImg(keyNumber)
    }

    implicitWidth: scaled(640)
    implicitHeight: scaled(420)

    Component.onCompleted: {
        refreshView()
        mTimer.start()
    }

    // Listeners connect to sigSeleckItem after creation: the first selection is announced once
    // the view has been built.
    Timer {
        id: mTimer
        interval: 400
        onTriggered: {
            mMSCommon.mIsInitUI = true
            if (mMSCommon.visible)
                mMSCommon.setSelectItem(mMSCommon.mSelectKeyType)
        }
    }

    Rectangle {
        id: mKeyNumberSelect
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        width: mKeyNumberRow.width + scaled(8)
        height: scaled(32)
        radius: height / 2
        color: "#ffffff"
        border.color: "#d5dbe7"

        Row {
            id: mKeyNumberRow
            anchors.centerIn: parent
            spacing: scaled(4)

            Repeater {
                model: [
                    { "number": 3, "text": qsTr("3Key") },
                    { "number": 5, "text": qsTr("5Key") },
                    { "number": 7, "text": qsTr("7Key") }
                ]
                Rectangle {
                    readonly property bool mIsCurrent: mMSCommon.mCurrentKey === modelData.number
                    width: Math.max(scaled(64), mNumberBtn.implicitWidth + scaled(24))
                    height: scaled(24)
                    radius: height / 2
                    color: mIsCurrent ? "#4c84ff" : "transparent"

                    KTxtBtn {
                        id: mNumberBtn
                        objectName: "keyNumber" + modelData.number
                        anchors.fill: parent
                        mText: modelData.text
                        mColor: parent.mIsCurrent ? "#ffffff" : "#959daf"
                        mColorHovered: parent.mIsCurrent ? "#ffffff" : "#4c84ff"
                        onClicked: mMSCommon.selectKeyNumber(modelData.number)
                    }
                }
            }
        }
    }

    // The picture and the labels share its coordinates (1x picture pixels, scaled).
    Item {
        id: mPicArea
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: mKeyNumberSelect.bottom
        anchors.topMargin: scaled(36)
        width: scaled(200)
        height: scaled(320)

        Image {
            id: mMSImg
            objectName: "mouseImage"
            anchors.fill: parent
            source: "qrc:/function/mouse3.png"
            smooth: true
            mipmap: true
        }

        KMSSelectItem1 {
            id: mKeyRight
            objectName: "key2"
            mKeyType: 2
            mText: qsTr("Right button")
            mLineLength: scaled(mMSCommon.mRightColumnX - mMSCommon.mKeyRightX) - mInterval
            x: scaled(mMSCommon.mKeyRightX) - mDotSize / 2
            y: scaled(mMSCommon.mKeyRightY) - mNameHeight / 2
            onSigClicked: mMSCommon.setSelectItem(mKeyType)
        }
        KMSSelectItem1 {
            id: mKeyMiddle
            objectName: "key3"
            mKeyType: 3
            mText: qsTr("Roller middle button")
            mLineLength: scaled(mMSCommon.mRightColumnX - mMSCommon.mKeyMiddleX) - mInterval
            x: scaled(mMSCommon.mKeyMiddleX) - mDotSize / 2
            y: scaled(mMSCommon.mKeyMiddleY) - mNameHeight / 2
            onSigClicked: mMSCommon.setSelectItem(mKeyType)
        }
        KMSSelectItem2 {
            id: mKeyWheelUp
            objectName: "key4"
            mKeyType: 4
            mText: qsTr("Roller forward")
            mLineLength: scaled(mMSCommon.mKeyWheelUpX - mMSCommon.mLeftColumnX) - mInterval
            x: scaled(mMSCommon.mKeyWheelUpX) + mDotSize / 2 - width
            y: scaled(mMSCommon.mKeyWheelUpY) - mNameHeight / 2
            onSigClicked: mMSCommon.setSelectItem(mKeyType)
        }
        KMSSelectItem2 {
            id: mKeyWheelDown
            objectName: "key5"
            mKeyType: 5
            mText: qsTr("Roller backward")
            mLineLength: scaled(mMSCommon.mKeyWheelDownX - mMSCommon.mLeftColumnX) - mInterval
            x: scaled(mMSCommon.mKeyWheelDownX) + mDotSize / 2 - width
            y: scaled(mMSCommon.mKeyWheelDownY) - mNameHeight / 2
            onSigClicked: mMSCommon.setSelectItem(mKeyType)
        }
        KMSSelectItem2 {
            id: mKeySideUpWheel
            objectName: "key6"
            mKeyType: 6
            mText: qsTr("Scroll right")
            mLineLength: scaled(mMSCommon.mKeySideWheelUpX - mMSCommon.mLeftColumnX) - mInterval
            x: scaled(mMSCommon.mKeySideWheelUpX) + mDotSize / 2 - width
            y: scaled(mMSCommon.mKeySideWheelUpY) - mNameHeight / 2
            visible: false
            onSigClicked: mMSCommon.setSelectItem(mKeyType)
        }
        KMSSelectItem2 {
            id: mKeySideDownWheel
            objectName: "key7"
            mKeyType: 7
            mText: qsTr("Scroll left")
            mLineLength: scaled(mMSCommon.mKeySideWheelDownX - mMSCommon.mLeftColumnX) - mInterval
            x: scaled(mMSCommon.mKeySideWheelDownX) + mDotSize / 2 - width
            y: scaled(mMSCommon.mKeySideWheelDownY) - mNameHeight / 2
            visible: false
            onSigClicked: mMSCommon.setSelectItem(mKeyType)
        }
        KMSSelectItem2 {
            id: mKeyForward
            objectName: "key8"
            readonly property int mPointX: mMSCommon.mCurrentKey === 7 ? mMSCommon.mKeyForwardX2
                                                                       : mMSCommon.mKeyForwardX
            readonly property int mPointY: mMSCommon.mCurrentKey === 7 ? mMSCommon.mKeyForwardY2
                                                                       : mMSCommon.mKeyForwardY
            mKeyType: 8
            mText: qsTr("Forward")
            mLineLength: scaled(mPointX - mMSCommon.mLeftColumnX) - mInterval
            x: scaled(mPointX) + mDotSize / 2 - width
            y: scaled(mPointY) - mNameHeight / 2
            visible: false
            onSigClicked: mMSCommon.setSelectItem(mKeyType)
        }
        KMSSelectItem2 {
            id: mKeyBack
            objectName: "key9"
            readonly property int mPointX: mMSCommon.mCurrentKey === 7 ? mMSCommon.mKeyBackX2
                                                                       : mMSCommon.mKeyBackX
            readonly property int mPointY: mMSCommon.mCurrentKey === 7 ? mMSCommon.mKeyBackY2
                                                                       : mMSCommon.mKeyBackY
            mKeyType: 9
            mText: qsTr("Back")
            mLineLength: scaled(mPointX - mMSCommon.mLeftColumnX) - mInterval
            x: scaled(mPointX) + mDotSize / 2 - width
            y: scaled(mPointY) - mNameHeight / 2
            visible: false
            onSigClicked: mMSCommon.setSelectItem(mKeyType)
        }
    }
}

import QtQuick 2.15
import QtQuick.Controls 2.15

// The label of one mouse key, drawn from left to right: a dot on the key, a line, the edit mark
// and the name of the function assigned to the key, with the key's caption under it. It is placed
// to the right of the mouse picture; KMSSelectItem2 is its mirror image for the left side.
Rectangle {
    id: mItem

    property int mKeyType: 0
    property int mKeyValue: 0
    property string mKeyName: ""
    property bool mIsSelect: false
    property string mText: ""
    property int mLineLength: KLocator.getScaleLength(40)
    property int mInterval: KLocator.getScaleLength(6)
    property bool mIsHover: false
    property bool mIsMirrored: false
    property int mFontSize: 10
    property int mCaptionFontSize: 8
    readonly property int mDotSize: KLocator.getScaleLength(3)
    readonly property int mEditSize: KLocator.getScaleLength(14)
    readonly property int mNameHeight: KLocator.getScaleLength(20)
    readonly property color mTextColor: mIsSelect || mIsHover ? "#286bfc" : "#9eabc8"
    // Longer names end in "…" at this width (the whole text shows as a tool tip).
    property int mMaxTextWidth: KLocator.getScaleLength(150)
    readonly property bool mTruncated: mNameText.text !== mKeyName || mCaptionText.text !== mText
    // The key's caption and its function, as screen readers say it.
    readonly property string mAccessibleName: qsTr("%1: %2").arg(mText).arg(mKeyName)

    signal sigClicked(string keyValue)

    // Reads the key's function from the store and shows its name.
    function refreshView() {
        mKeyValue = KConfigCommon.getValueByKeyType(mKeyType)
        mKeyName = KFuncCommon.getFunctionName(String(mKeyValue))
        setViewWidget()
    }

    function changeKeyValue(keyValue) {
        KConfigCommon.setKeyValueWithKeyType(mKeyType, keyValue)
        refreshView()
    }

    // The width follows the texts so that the line and the box fit them.
    function setViewWidget() {
        var family = Qt.application.font.family
        var textWidth = Math.min(mMaxTextWidth,
                                 Math.max(KLocator.getStringWidget(mKeyName, mFontSize, family),
                                          KLocator.getStringWidget(mText, mCaptionFontSize, family)))
        width = mDotSize + mLineLength + 2 * mInterval + mEditSize + textWidth
                + KLocator.getScaleLength(4)
    }

    onMTextChanged: setViewWidget()
    onMLineLengthChanged: setViewWidget()

    color: "transparent"
    height: mNameHeight + KLocator.getScaleLength(16)
    // A key of the picture is a button for the keyboard too: Tab reaches it, Space, Enter or
    // Return selects it.
    activeFocusOnTab: visible
    Accessible.role: Accessible.Button
    Accessible.name: mAccessibleName
    Accessible.onPressAction: sigClicked(String(mKeyValue))
    Keys.onSpacePressed: sigClicked(String(mKeyValue))
    Keys.onReturnPressed: sigClicked(String(mKeyValue))
    Keys.onEnterPressed: sigClicked(String(mKeyValue))
    ToolTip.visible: mIsHover && mTruncated
    ToolTip.delay: 500
    ToolTip.text: mAccessibleName
    LayoutMirroring.enabled: mIsMirrored
    LayoutMirroring.childrenInherit: true

    Row {
        id: mRow
        anchors.left: parent.left
        anchors.right: parent.right
        height: parent.height
        spacing: 0

        Item {
            width: mItem.mDotSize + mItem.mLineLength
            height: mItem.mNameHeight

            Rectangle {
                id: mDot
                anchors.left: parent.left
                anchors.verticalCenter: parent.verticalCenter
                width: mItem.mDotSize
                height: mItem.mDotSize
                radius: width / 2
                color: mItem.mTextColor
            }
            Rectangle {
                anchors.left: mDot.right
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                height: 1
                color: mItem.mTextColor
                opacity: 0.8
            }
        }
        Item {
            width: mItem.mInterval
            height: 1
        }
        Item {
            width: mItem.mEditSize
            height: mItem.mNameHeight

            Image {
                anchors.centerIn: parent
                width: mItem.mEditSize
                height: mItem.mEditSize
                source: mItem.mIsSelect || mItem.mIsHover ? "qrc:/mouse/msEdit_pre.png"
                                                          : "qrc:/mouse/msEdit.png"
                smooth: true
                mipmap: true
            }
        }
        Item {
            width: mItem.mInterval
            height: 1
        }
        Column {
            id: mLabelColumn
            width: mItem.width - mItem.mDotSize - mItem.mLineLength - 2 * mItem.mInterval
                   - mItem.mEditSize

            Text {
                id: mNameText
                objectName: "keyName"
                width: parent.width
                height: mItem.mNameHeight
                // Cut with "…" beyond the bound (see KElideText).
                text: KLocator.elidedText(mItem.mKeyName, mItem.mFontSize, font.family, width)
                font.family: Qt.application.font.family
                font.pointSize: mItem.mFontSize
                color: mItem.mTextColor
                horizontalAlignment: Text.AlignLeft
                verticalAlignment: Text.AlignVCenter
            }
            Text {
                id: mCaptionText
                objectName: "keyCaption"
                width: parent.width
                text: KLocator.elidedText(mItem.mText, mItem.mCaptionFontSize, font.family, width)
                font.family: Qt.application.font.family
                font.pointSize: mItem.mCaptionFontSize
                color: "#959daf"
                horizontalAlignment: Text.AlignLeft
            }
        }
    }

    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onEntered: mItem.mIsHover = true
        onExited: mItem.mIsHover = false
        onClicked: mItem.sigClicked(String(mItem.mKeyValue))
    }

    // Around the names, where the eye is.
    KFocusRing {
        mTarget: mLabelColumn
        mFocusOwner: mItem
    }
}

import QtQuick 2.15
import QtQuick.Controls 2.15

// One multimedia key of the keyboard view: its icon and the name of the function assigned to it;
// the key's caption shows as a tool tip. Clicks are handled by the keyboard view.
Button {
    id: mBtn

    property int mKeyType: 0
    property int mKeyValue: 0
    property string mKeyName: ""
    property bool mIsSelect: false
    property url mImgPath: ""
    property string mText: ""
    property color mBackgroundColor: "#e5e9f1"
    property color mBackgroundColorHovered: "#5288ff"
    property color mTextColor: "#343434"
    property color mTextColorHovered: "#5288ff"
    property int mFontSize: 9
    readonly property bool mIsActive: hovered || mIsSelect

    function refreshView() {
        mKeyValue = KConfigCommon.getValueByKeyType(mKeyType)
        mKeyName = KFuncCommon.getFunctionName(String(mKeyValue))
    }

    function changeKeyValue(keyValue) {
        KConfigCommon.setKeyValueWithKeyType(mKeyType, keyValue)
        refreshView()
    }

    hoverEnabled: true
    padding: KLocator.getScaleLength(4)
    implicitWidth: KLocator.getScaleLength(84)
    implicitHeight: KLocator.getScaleLength(70)

    // Tab reaches the key, Space, Enter or Return selects it.
    focusPolicy: Qt.TabFocus
    Accessible.role: Accessible.Button
    Accessible.name: qsTr("%1: %2").arg(mText).arg(mKeyName)
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    // The caption, and the whole function name where the key cuts it.
    ToolTip.visible: hovered && mText !== ""
    ToolTip.delay: 600
    ToolTip.text: mNameText.text !== mKeyName ? Accessible.name : mText

    // The hover colour marks the frame (and the text): a filled key would hide its text.
    background: Rectangle {
        radius: KLocator.getScaleLength(8)
        color: mBtn.mIsSelect ? "#ffffff" : mBtn.mBackgroundColor
        border.width: mBtn.mIsSelect ? 2 : 1
        border.color: mBtn.mIsActive ? mBtn.mBackgroundColorHovered : mBtn.mBackgroundColor
    }
    contentItem: Column {
        spacing: KLocator.getScaleLength(4)

        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            width: KLocator.getScaleLength(24)
            height: KLocator.getScaleLength(24)
            source: mBtn.mImgPath
            smooth: true
            mipmap: true
        }
        // Long function names take a second line.
        Text {
            id: mNameText
            objectName: "keyName"
            width: parent.width
            // Two lines at most, the second cut with "…" (see KElideText).
            text: KLocator.elidedText(mBtn.mKeyName, mBtn.mFontSize, font.family, width, 2)
            font.family: Qt.application.font.family
            font.pointSize: mBtn.mFontSize
            color: mBtn.mIsActive ? mBtn.mTextColorHovered : mBtn.mTextColor
            horizontalAlignment: Text.AlignHCenter
            // A word wider than the key is broken too, so that the second line can end in "…".
            wrapMode: Text.Wrap
            maximumLineCount: 2
            lineHeight: 0.9
        }
    }

    KFocusRing {}
}

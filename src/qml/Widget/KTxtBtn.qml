import QtQuick 2.15
import QtQuick.Controls 2.15

// A text that acts as a button: its colour follows the pointer, optionally underlined (links).
Button {
    id: mBtn

    property int fontSize: 10
    property string mText: ""
    property color mColor: "#343434"
    property color mColorHovered: "#4c84ff"
    property bool mIsTxtCenter: true
    property bool mUnderLine: false
    // Read by screen readers; the text unless it is only a sign.
    property string mAccessibleName: mText

    hoverEnabled: true
    // Reached with Tab (a click does not take the focus), pressed with Space, Enter or Return.
    focusPolicy: Qt.TabFocus
    Accessible.role: Accessible.Button
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Accessible.name: mAccessibleName
    padding: 0
    // The style keeps 2 on each side of the text.
    implicitWidth: KLocator.getStringWidget(mText, fontSize, Qt.application.font.family)
                   + KLocator.getScaleLength(4)
    implicitHeight: KLocator.getStringHeight(mText, fontSize, Qt.application.font.family)

    background: Item {}
    contentItem: Text {
        // Cut with "…" where the button is too narrow (see KElideText).
        text: KLocator.elidedText(mBtn.mText, mBtn.fontSize, font.family, width)
        font.family: Qt.application.font.family
        font.pointSize: mBtn.fontSize
        font.underline: mBtn.mUnderLine
        color: mBtn.hovered ? mBtn.mColorHovered : mBtn.mColor
        horizontalAlignment: mBtn.mIsTxtCenter ? Text.AlignHCenter : Text.AlignLeft
        verticalAlignment: Text.AlignVCenter
    }

    // The whole text where the button's width cuts it.
    ToolTip.visible: hovered && contentItem.text !== mText
    ToolTip.delay: 500
    ToolTip.text: mText

    KFocusRing {}
}

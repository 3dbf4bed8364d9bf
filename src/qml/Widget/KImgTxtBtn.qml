import QtQuick 2.15
import QtQuick.Controls 2.15

// An icon followed by a text; both change to their hover look while the pointer is over them.
Button {
    id: mBtn

    property int mIconWidth: KLocator.getScaleLength(20)
    property int mIconHeight: KLocator.getScaleLength(20)
    property url mIconPath: ""
    property url mIconPathHovered: ""
    property string mText: ""
    property color mColor: "#959daf"
    property color mColorHovered: "#4c84ff"
    property int mFontSize: 10
    property int mInterval: KLocator.getScaleLength(6)
    // The icon item, for widgets that animate it.
    property alias mIcon: mIcon
    // Read by screen readers; the text unless the icon says more.
    property string mAccessibleName: mText

    hoverEnabled: true
    // Reached with Tab (a click does not take the focus), pressed with Space, Enter or Return.
    focusPolicy: Qt.TabFocus
    Accessible.role: Accessible.Button
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Accessible.name: mAccessibleName
    padding: 0
    // The style adds 2 on each side; the width above holds icon and text exactly.
    leftPadding: 0
    rightPadding: 0
    implicitWidth: mIconWidth + (mText === "" ? 0 : mInterval
                                 + KLocator.getStringWidget(mText, mFontSize, Qt.application.font.family))
    implicitHeight: Math.max(mIconHeight,
                             KLocator.getStringHeight(mText, mFontSize, Qt.application.font.family))

    background: Item {}
    contentItem: Item {
        Image {
            id: mIcon
            width: mBtn.mIconWidth
            height: mBtn.mIconHeight
            anchors.verticalCenter: parent.verticalCenter
            source: mBtn.hovered && mBtn.mIconPathHovered.toString() !== "" ? mBtn.mIconPathHovered
                                                                               : mBtn.mIconPath
            fillMode: Image.PreserveAspectFit
            smooth: true
            mipmap: true
        }
        Text {
            id: mLabel
            anchors.left: mIcon.right
            anchors.leftMargin: mBtn.mInterval
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            visible: mBtn.mText !== ""
            // Cut with "…" where the button is too narrow (see KElideText).
            text: KLocator.elidedText(mBtn.mText, mBtn.mFontSize, font.family, width)
            font.family: Qt.application.font.family
            font.pointSize: mBtn.mFontSize
            color: mBtn.hovered ? mBtn.mColorHovered : mBtn.mColor
        }
    }

    // The whole text where the button's width cuts it.
    ToolTip.visible: hovered && mLabel.text !== mText
    ToolTip.delay: 500
    ToolTip.text: mText

    KFocusRing {}
}

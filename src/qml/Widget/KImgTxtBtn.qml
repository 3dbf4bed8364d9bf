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

    hoverEnabled: true
    padding: 0
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
            anchors.left: mIcon.right
            anchors.leftMargin: mBtn.mInterval
            anchors.verticalCenter: parent.verticalCenter
            visible: mBtn.mText !== ""
            text: mBtn.mText
            font.family: Qt.application.font.family
            font.pointSize: mBtn.mFontSize
            color: mBtn.hovered ? mBtn.mColorHovered : mBtn.mColor
        }
    }
}

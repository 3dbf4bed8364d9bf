import QtQuick 2.15
import QtQuick.Controls 2.15

// A picture that acts as a button; the picture changes while the pointer is over it.
Button {
    id: mBtn

    property url mImgPath: ""
    property url mImgPathHovered: ""
    property int mBorderWidth: 0
    property color mBorderColor: "transparent"

    hoverEnabled: true
    padding: 0
    implicitWidth: mImg.implicitWidth
    implicitHeight: mImg.implicitHeight

    background: Rectangle {
        color: "transparent"
        border.width: mBtn.mBorderWidth
        border.color: mBtn.mBorderColor
    }
    contentItem: Image {
        id: mImg
        source: mBtn.hovered && mBtn.mImgPathHovered.toString() !== "" ? mBtn.mImgPathHovered
                                                                         : mBtn.mImgPath
        fillMode: Image.PreserveAspectFit
        smooth: true
        mipmap: true
    }
}

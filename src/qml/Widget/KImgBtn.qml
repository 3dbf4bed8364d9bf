import QtQuick 2.15
import QtQuick.Controls 2.15

// A picture that acts as a button; the picture changes while the pointer is over it.
Button {
    id: mBtn

    property url mImgPath: ""
    property url mImgPathHovered: ""
    property int mBorderWidth: 0
    property color mBorderColor: "transparent"
    // What the picture says, for screen readers.
    property string mAccessibleName: ""

    hoverEnabled: true
    // Reached with Tab (a click does not take the focus), pressed with Space, Enter or Return.
    focusPolicy: Qt.TabFocus
    Accessible.role: Accessible.Button
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Accessible.name: mAccessibleName
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

    KFocusRing {}
}

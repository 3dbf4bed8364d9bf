import QtQuick 2.15

// The dark top bar of the pages, with the minimise and close buttons at its right end. Other
// content goes into the bar (mButtons marks where the window buttons begin).
Rectangle {
    id: mBar

    property alias mButtons: mButtons

    signal sigHide()
    signal sigClose()

    height: KLocator.getScaleLength(56)
    color: "#23262d"

    Row {
        id: mButtons
        anchors.right: parent.right
        anchors.rightMargin: KLocator.getScaleLength(12)
        anchors.verticalCenter: parent.verticalCenter
        spacing: KLocator.getScaleLength(4)

        KImgBtn {
            objectName: "minimizeButton"
            width: KLocator.getScaleLength(28)
            height: KLocator.getScaleLength(28)
            mImgPath: "qrc:/mini.png"
            mImgPathHovered: "qrc:/mini_hover.png"
            onClicked: mBar.sigHide()
        }
        KImgBtn {
            objectName: "closeButton"
            width: KLocator.getScaleLength(28)
            height: KLocator.getScaleLength(28)
            mImgPath: "qrc:/close.png"
            mImgPathHovered: "qrc:/close_hover.png"
            onClicked: mBar.sigClose()
        }
    }
}

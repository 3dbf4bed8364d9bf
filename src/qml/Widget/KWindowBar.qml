import QtQuick 2.15

// The dark top bar of the pages, with the minimise and close buttons at its right end. Other
// content goes into the bar (mButtonsRoom is the room the window buttons take at its right end).
Rectangle {
    id: mBar

    property alias mButtons: mButtons

    signal sigHide()
    signal sigClose()

    height: KLocator.getScaleLength(56)
    color: "#23262d"

    // The bar's own content goes into mContentArea, ahead of the window buttons in the Tab order;
    // it keeps clear of the buttons by mButtonsRoom.
    default property alias mContent: mContentArea.data
    readonly property int mButtonsRoom: mButtons.width + mButtons.anchors.rightMargin

    Item {
        id: mContentArea
        anchors.fill: parent
    }

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
            mAccessibleName: qsTr("Minimize")
            onClicked: mBar.sigHide()
        }
        KImgBtn {
            objectName: "closeButton"
            width: KLocator.getScaleLength(28)
            height: KLocator.getScaleLength(28)
            mImgPath: "qrc:/close.png"
            mImgPathHovered: "qrc:/close_hover.png"
            mAccessibleName: qsTr("Close")
            onClicked: mBar.sigClose()
        }
    }
}

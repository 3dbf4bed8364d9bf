import QtQuick 2.15

// A white panel with a soft drop shadow drawn around it (no shader effects, so it also renders
// with the software back end). Children go into the panel.
Rectangle {
    id: mFrame

    property color shadowColor: "#80aaaaaa"
    property int shadowWidth: KLocator.getScaleLength(10)
    property int mRadius: KLocator.getScaleLength(8)
    property alias mContent: mContent
    default property alias mContentData: mContent.data

    color: "transparent"

    Repeater {
        model: mFrame.shadowWidth
        Rectangle {
            anchors.fill: parent
            anchors.margins: index
            radius: mFrame.mRadius + mFrame.shadowWidth - index
            color: "transparent"
            border.width: 1
            border.color: mFrame.shadowColor
            opacity: (index + 1) / (mFrame.shadowWidth * 4)
        }
    }
    Rectangle {
        id: mContent
        anchors.fill: parent
        anchors.margins: mFrame.shadowWidth
        radius: mFrame.mRadius
        color: "#ffffff"
    }
}

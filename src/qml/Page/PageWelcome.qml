import QtQuick 2.15

// The welcome picture, growing into view; sigFinished() when it has.
Rectangle {
    id: mPage

    property alias logo: logo
    property alias logo_ani: logo_ani

    signal sigFinished()

    color: "#ffffff"

    // The picture grows when the page is first shown.
    onVisibleChanged: {
        if (visible && !logo_ani.mStarted) {
            logo_ani.mStarted = true
            logo_ani.start()
        }
    }

    Image {
        id: logo
        objectName: "welcomeLogo"
        anchors.centerIn: parent
        width: KLocator.getScaleLength(480)
        height: 0
        source: KTranslator.getPngUrl("qrc:/welcome.png")
        fillMode: Image.PreserveAspectFit
        smooth: true
        mipmap: true
    }

    PropertyAnimation {
        id: logo_ani

        property bool mStarted: false

        target: logo
        property: "height"
        from: 0
        to: KLocator.getScaleLength(300)
        duration: 1000
        easing.type: Easing.OutCubic
        onFinished: mPage.sigFinished()
    }
}

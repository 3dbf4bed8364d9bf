import QtQuick 2.15
import "qrc:/Widget"

// Shown while neither the receiver nor a Bluetooth device is connected.
Rectangle {
    id: mPage

    signal sigHide()
    signal sigClose()

    color: "#ffffff"

    KWindowBar {
        id: mTopWidget
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        onSigHide: mPage.sigHide()
        onSigClose: mPage.sigClose()

        Row {
            anchors.left: parent.left
            anchors.leftMargin: KLocator.getScaleLength(24)
            anchors.verticalCenter: parent.verticalCenter
            spacing: KLocator.getScaleLength(10)

            Image {
                width: KLocator.getScaleLength(26)
                height: KLocator.getScaleLength(26)
                sourceSize.width: width * 2
                sourceSize.height: height * 2
                source: "qrc:/logo.png"
                smooth: true
                mipmap: true
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "Pointora"
                font.family: Qt.application.font.family
                font.pointSize: 12
                color: "#ffffff"
            }
        }
    }

    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.verticalCenter: parent.verticalCenter
        anchors.verticalCenterOffset: mTopWidget.height / 2
        spacing: KLocator.getScaleLength(16)

        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            width: KLocator.getScaleLength(260)
            height: KLocator.getScaleLength(170)
            source: "qrc:/unpair.png"
            smooth: true
            mipmap: true
        }
        Item {
            width: 1
            height: KLocator.getScaleLength(8)
        }
        Text {
            objectName: "unpairTitle"
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Not detected equipment")
            font.family: Qt.application.font.family
            font.pointSize: 15
            font.bold: true
            color: "#262930"
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Make sure that the equipment connection is open")
            font.family: Qt.application.font.family
            font.pointSize: 11
            color: "#959daf"
        }
    }
}

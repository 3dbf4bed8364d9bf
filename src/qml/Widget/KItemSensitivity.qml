import QtQuick 2.15
import QtQuick.Controls 2.15

// The pointer-speed item of the menu: a slider from 1 to 20 that sets the system pointer speed as
// it moves. It assigns nothing to a key.
Rectangle {
    id: mItem

    property string mTitleStr: ""
    property string mFuncName: ""
    property string mFuncValue: ""
    property var mBtnGroup: null
    property alias control: control

    function setButtonStatus(status) {
    }

    function setSliderValue(value) {
        control.value = value
    }

    implicitHeight: mColumn.implicitHeight + KLocator.getScaleLength(12)
    color: "transparent"

    Component.onCompleted: {
        setSliderValue(KMouseSensitivity.getSensitivity())
        mNotice.text = KMouseSensitivity.notice()
    }

    Connections {
        target: KMouseSensitivity
        function onSigSensitivityNotice(text) {
            mNotice.text = text
        }
    }

    Column {
        id: mColumn
        anchors.left: parent.left
        anchors.leftMargin: KLocator.getScaleLength(32)
        anchors.right: parent.right
        anchors.rightMargin: KLocator.getScaleLength(20)
        anchors.top: parent.top
        anchors.topMargin: KLocator.getScaleLength(6)
        spacing: KLocator.getScaleLength(4)

        Item {
            width: parent.width
            height: KLocator.getScaleLength(22)

            Text {
                anchors.left: parent.left
                anchors.verticalCenter: parent.verticalCenter
                text: mItem.mFuncName
                font.family: Qt.application.font.family
                font.pointSize: 10
                color: "#343434"
            }
            Text {
                objectName: "sensitivityValue"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: control.value
                font.family: Qt.application.font.family
                font.pointSize: 10
                color: "#4c84ff"
            }
        }

        Slider {
            id: control
            objectName: "sensitivitySlider"
            width: parent.width
            height: KLocator.getScaleLength(20)
            padding: KLocator.getScaleLength(5)
            from: 1
            to: 20
            stepSize: 1
            snapMode: Slider.SnapAlways
            value: 10
            onMoved: KMouseSensitivity.setSensitivity(value)
            // The arrow keys move it as the pointer does.
            focusPolicy: Qt.TabFocus
            Accessible.name: mItem.mFuncName

            KFocusRing {}

            background: Rectangle {
                x: control.leftPadding
                y: control.topPadding + control.availableHeight / 2 - height / 2
                width: control.availableWidth
                height: KLocator.getScaleLength(3)
                radius: 2
                color: "#6f86b9"

                Rectangle {
                    width: control.visualPosition * parent.width
                    height: parent.height
                    radius: 2
                    color: "#21be2b"
                }
            }
            handle: Rectangle {
                x: control.leftPadding + control.visualPosition * (control.availableWidth - width)
                y: control.topPadding + control.availableHeight / 2 - height / 2
                width: KLocator.getScaleLength(10)
                height: KLocator.getScaleLength(10)
                radius: width / 2
                color: "#4c84ff"
            }
        }

        // Why the speed cannot be set in this session, or why the last change did not take.
        Text {
            id: mNotice
            objectName: "sensitivityNotice"
            width: parent.width
            visible: text !== ""
            font.family: Qt.application.font.family
            font.pointSize: 8
            color: "#e8833a"
            wrapMode: Text.WordWrap
        }

        Text {
            width: parent.width
            text: qsTr("Drag the scroll bar to adjust the mouse speed")
            font.family: Qt.application.font.family
            font.pointSize: 8
            color: "#6f86b9"
            wrapMode: Text.WordWrap
        }
    }
}

import QtQuick 2.15
import QtQuick.Controls 2.15

// An on/off switch whose knob slides in mDuration milliseconds.
Switch {
    id: mSwitch

    property color mBackgroundColor: "#4d525d"
    property color mColor: "#a0a9bd"
    property color mColorSelected: "#4c84ff"
    property int mDuration: 200

    // Reached with Tab and toggled with Space, Enter or Return; the owner gives the name.
    focusPolicy: Qt.TabFocus
    Keys.onReturnPressed: {
        toggle()
        toggled()
    }
    Keys.onEnterPressed: {
        toggle()
        toggled()
    }
    padding: 0
    spacing: 0
    implicitWidth: KLocator.getScaleLength(36)
    implicitHeight: KLocator.getScaleLength(20)

    indicator: Rectangle {
        width: mSwitch.width
        height: mSwitch.height
        radius: height / 2
        color: mSwitch.checked ? mSwitch.mColorSelected : mSwitch.mBackgroundColor

        Behavior on color {
            ColorAnimation {
                duration: mSwitch.mDuration
            }
        }

        Rectangle {
            id: mKnob
            y: KLocator.getScaleLength(2)
            x: mSwitch.checked ? parent.width - width - y : y
            width: parent.height - 2 * y
            height: width
            radius: width / 2
            color: mSwitch.checked ? "#ffffff" : mSwitch.mColor

            Behavior on x {
                NumberAnimation {
                    duration: mSwitch.mDuration
                    easing.type: Easing.InOutQuad
                }
            }
        }
    }
    contentItem: Item {}

    KFocusRing {
        radius: height / 2
    }
}

import QtQuick 2.15

// A check box with a text: a click toggles it and reports the new state.
Rectangle {
    id: mSwitch

    property string mText: ""
    property bool mIsChecked: false
    property int mFontSize: 10
    property color mColor: "#959daf"
    property color mColorSelected: "#4c84ff"

    signal sigStatusChange(bool status)

    color: "transparent"
    // Tab reaches it, Space, Enter or Return toggles it.
    activeFocusOnTab: true
    Accessible.role: Accessible.CheckBox
    Accessible.name: mText
    Accessible.checkable: true
    Accessible.checked: mIsChecked
    Accessible.onToggleAction: toggle()
    Accessible.onPressAction: toggle()
    Keys.onSpacePressed: toggle()
    Keys.onReturnPressed: toggle()
    Keys.onEnterPressed: toggle()

    function toggle() {
        mIsChecked = !mIsChecked
        sigStatusChange(mIsChecked)
    }

    KFocusRing {}
    implicitWidth: mRow.implicitWidth
    implicitHeight: mRow.implicitHeight

    Row {
        id: mRow
        spacing: KLocator.getScaleLength(6)

        Rectangle {
            id: mBox
            anchors.verticalCenter: parent.verticalCenter
            width: KLocator.getScaleLength(14)
            height: width
            radius: KLocator.getScaleLength(3)
            color: mSwitch.mIsChecked ? mSwitch.mColorSelected : "#ffffff"
            border.width: 1
            border.color: mSwitch.mIsChecked ? mSwitch.mColorSelected : mSwitch.mColor

            // The tick: two strokes.
            Rectangle {
                visible: mSwitch.mIsChecked
                x: parent.width * 0.2
                y: parent.height * 0.5
                width: parent.width * 0.3
                height: Math.max(2, parent.height * 0.12)
                radius: height / 2
                rotation: 45
                color: "#ffffff"
            }
            Rectangle {
                visible: mSwitch.mIsChecked
                x: parent.width * 0.32
                y: parent.height * 0.42
                width: parent.width * 0.55
                height: Math.max(2, parent.height * 0.12)
                radius: height / 2
                rotation: -50
                color: "#ffffff"
            }
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: mSwitch.mText
            font.family: Qt.application.font.family
            font.pointSize: mSwitch.mFontSize
            color: mSwitch.mIsChecked ? mSwitch.mColorSelected : mSwitch.mColor
        }
    }

    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: mSwitch.toggle()
    }
}

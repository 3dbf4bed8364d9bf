import QtQuick 2.15

// A switch with a text beside it; the text takes the selected colour (and text) while it is on.
Rectangle {
    id: mTxtSwitch

    property color mColor: "#a0a9bd"
    property color mColorSelected: "#4c84ff"
    property color mBackgroundColor: "#4d525d"
    property int mFontSize: 10
    property string mText: ""
    property string mTextSelect: mText
    property alias mSwitch: mSwitch

    signal sigToggled(bool isChecked)

    function setSwitchStatus(checked) {
        mSwitch.checked = checked
    }

    color: "transparent"
    implicitWidth: mRow.implicitWidth
    implicitHeight: mRow.implicitHeight

    Row {
        id: mRow
        spacing: KLocator.getScaleLength(8)

        KSwitch {
            id: mSwitch
            anchors.verticalCenter: parent.verticalCenter
            mBackgroundColor: mTxtSwitch.mBackgroundColor
            mColor: mTxtSwitch.mColor
            mColorSelected: mTxtSwitch.mColorSelected
            Accessible.name: mTxtSwitch.mText
            onToggled: mTxtSwitch.sigToggled(checked)
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: mSwitch.checked ? mTxtSwitch.mTextSelect : mTxtSwitch.mText
            font.family: Qt.application.font.family
            font.pointSize: mTxtSwitch.mFontSize
            color: mSwitch.checked ? mTxtSwitch.mColorSelected : mTxtSwitch.mColor

            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: {
                    mSwitch.toggle()
                    mTxtSwitch.sigToggled(mSwitch.checked)
                }
            }
        }
    }
}

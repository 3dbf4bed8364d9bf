import QtQuick 2.15
import QtQuick.Controls 2.15

// One function of the menu: a radio button in the menu's shared button group.
Rectangle {
    id: mItem

    property string mTitleStr: ""
    property string mFuncName: ""
    property string mFuncValue: ""
    property var mBtnGroup: null
    property alias control: control

    signal sigClicked(string keyValue)

    function setButtonStatus(status) {
        control.checked = status
    }

    implicitHeight: KLocator.getScaleLength(36)
    color: control.hovered ? "#f3f6ff" : "transparent"

    RadioButton {
        id: control
        objectName: "radio" + mItem.mFuncValue
        anchors.fill: parent
        leftPadding: KLocator.getScaleLength(32)
        hoverEnabled: true
        text: mItem.mFuncName
        ButtonGroup.group: mItem.mBtnGroup
        onClicked: mItem.sigClicked(mItem.mFuncValue)
        // Reached with Tab, checked with Space, Enter or Return.
        focusPolicy: Qt.TabFocus
        Accessible.role: Accessible.RadioButton
        Accessible.name: mItem.mFuncName
        Keys.onReturnPressed: {
            checked = true
            clicked()
        }
        Keys.onEnterPressed: {
            checked = true
            clicked()
        }

        indicator: Rectangle {
            x: KLocator.getScaleLength(32)
            anchors.verticalCenter: parent.verticalCenter
            width: KLocator.getScaleLength(14)
            height: width
            radius: width / 2
            color: "#ffffff"
            border.width: 1
            border.color: control.checked || control.hovered ? "#4c84ff" : "#c5cbd8"

            Rectangle {
                anchors.centerIn: parent
                width: parent.width / 2
                height: width
                radius: width / 2
                color: "#4c84ff"
                visible: control.checked
            }
        }
        contentItem: Text {
            leftPadding: control.indicator.width + KLocator.getScaleLength(10)
            // Cut with "…" where the menu is too narrow (see KElideText).
            text: KLocator.elidedText(control.text, font.pointSize, font.family,
                                      width - leftPadding - rightPadding)
            font.family: Qt.application.font.family
            font.pointSize: 10
            color: control.checked || control.hovered ? "#4c84ff" : "#343434"
            verticalAlignment: Text.AlignVCenter
        }
        ToolTip.visible: hovered && contentItem.text !== text
        ToolTip.delay: 500
        ToolTip.text: text

        // Inside the row: the menu clips at its edges.
        KFocusRing {
            mGap: -KLocator.getScaleLength(4)
        }
    }
}

import QtQuick 2.15

// The "×" that closes a notice of the main page: clicked, or pressed with Space, Enter or Return
// once reached with Tab. sigActivated() asks the notice to close.
Text {
    id: mClose

    signal sigActivated()

    function activate() {
        sigActivated()
    }

    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: qsTr("Close")
    Accessible.onPressAction: activate()
    Keys.onSpacePressed: activate()
    Keys.onReturnPressed: activate()
    Keys.onEnterPressed: activate()
    text: "\u00d7"
    font.pointSize: 14
    color: "#959daf"

    KFocusRing {}

    MouseArea {
        anchors.fill: parent
        anchors.margins: -KLocator.getScaleLength(8)
        onClicked: mClose.activate()
    }
}

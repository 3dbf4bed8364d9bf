import QtQuick 2.15
import QtQuick.Controls 2.15

// The input field of the forms: a light box with a placeholder text.
TextField {
    id: mField

    padding: KLocator.getScaleLength(6)
    leftPadding: KLocator.getScaleLength(10)
    rightPadding: KLocator.getScaleLength(10)
    selectByMouse: true
    color: "#343434"
    placeholderTextColor: "#888c9e"
    font.family: Qt.application.font.family
    font.pointSize: 10
    verticalAlignment: TextInput.AlignVCenter
    // Named by its placeholder (for password fields the toolkit offers it as the description
    // only, never a name).
    Accessible.name: placeholderText
    Accessible.description: placeholderText

    background: Rectangle {
        implicitWidth: KLocator.getScaleLength(200)
        implicitHeight: KLocator.getScaleLength(40)
        radius: KLocator.getScaleLength(4)
        color: "#edeff4"
        border.width: 1
        border.color: mField.activeFocus ? "#4c84ff" : "#edeff4"
    }
}

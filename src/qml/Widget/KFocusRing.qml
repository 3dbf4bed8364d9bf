import QtQuick 2.15

// The keyboard focus mark of a control: a frame around mTarget (its parent unless set) while it
// has the active focus. Buttons take focus from the keyboard only, so the frame follows Tab.
Rectangle {
    id: mRing

    property Item mTarget: parent

    objectName: "focusRing"
    x: mTarget === parent ? -border.width : mTarget.x - border.width
    y: mTarget === parent ? -border.width : mTarget.y - border.width
    width: mTarget.width + 2 * border.width
    height: mTarget.height + 2 * border.width
    z: 100
    visible: mTarget.activeFocus && mTarget.visible
    color: "transparent"
    radius: KLocator.getScaleLength(4)
    border.width: Math.max(2, KLocator.getScaleLength(2))
    border.color: "#4c84ff"
}

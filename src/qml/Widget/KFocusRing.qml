import QtQuick 2.15

// The keyboard focus mark of a control: a frame a little outside mTarget (its parent unless set)
// while mFocusOwner has the active focus, so that it shows on filled buttons too. Buttons take the focus
// from the keyboard only, so the frame follows Tab.
Rectangle {
    id: mRing

    property Item mTarget: parent
    // Whose focus it shows (the framed item unless set).
    property Item mFocusOwner: mTarget
    property int mGap: KLocator.getScaleLength(2)
    readonly property int mOutset: border.width + mGap

    objectName: "focusRing"
    x: (mTarget === parent ? 0 : mTarget.x) - mOutset
    y: (mTarget === parent ? 0 : mTarget.y) - mOutset
    width: mTarget.width + 2 * mOutset
    height: mTarget.height + 2 * mOutset
    z: 100
    visible: mFocusOwner.activeFocus && mTarget.visible
    color: "transparent"
    radius: KLocator.getScaleLength(6)
    border.width: Math.max(2, KLocator.getScaleLength(2))
    border.color: "#4c84ff"
}

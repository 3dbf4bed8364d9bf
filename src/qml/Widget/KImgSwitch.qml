import QtQuick 2.15
import QtQuick.Controls 2.15

// A picture with two states: each click toggles it and reports the new state.
Button {
    id: mBtn

    property url mIconPath: ""
    property url mIconPathSelected: ""
    property bool mIsSelected: false
    // What the picture says, for screen readers.
    property string mAccessibleName: ""

    signal sigOnClicked(bool status)

    function setStatus(status) {
        mIsSelected = status
    }

    hoverEnabled: true
    // Reached with Tab (a click does not take the focus), pressed with Space, Enter or Return.
    focusPolicy: Qt.TabFocus
    Accessible.role: Accessible.Button
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Accessible.name: mAccessibleName
    Accessible.checkable: true
    Accessible.checked: mIsSelected
    padding: 0
    implicitWidth: mImg.implicitWidth
    implicitHeight: mImg.implicitHeight
    onClicked: {
        mIsSelected = !mIsSelected
        sigOnClicked(mIsSelected)
    }

    background: Item {}
    contentItem: Image {
        id: mImg
        source: mBtn.mIsSelected || mBtn.hovered ? mBtn.mIconPathSelected : mBtn.mIconPath
        fillMode: Image.PreserveAspectFit
        smooth: true
        mipmap: true
    }

    KFocusRing {}
}

import QtQuick 2.15
import QtQuick.Controls 2.15

// The confirm button of dialogs and forms: white text on the accent colour.
Button {
    id: mBtn

    property string mSureStr: qsTr("Sure")
    property int mFontSize: 10

    hoverEnabled: true
    // Reached with Tab (a click does not take the focus), pressed with Space, Enter or Return.
    focusPolicy: Qt.TabFocus
    Accessible.role: Accessible.Button
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Accessible.name: mSureStr
    padding: 0
    implicitWidth: Math.max(KLocator.getScaleLength(120),
                            KLocator.getStringWidget(mSureStr, mFontSize, Qt.application.font.family)
                            + KLocator.getScaleLength(40))
    implicitHeight: KLocator.getStringHeight(mSureStr, mFontSize, Qt.application.font.family)
                    + KLocator.getScaleLength(18)

    background: Rectangle {
        radius: KLocator.getScaleLength(4)
        color: mBtn.hovered || mBtn.down ? "#6684ff" : "#4c84ff"
        opacity: mBtn.enabled ? 1 : 0.5
    }
    contentItem: Text {
        // Cut with "…" where the button is too narrow (see KElideText).
        text: KLocator.elidedText(mBtn.mSureStr, mBtn.mFontSize, font.family, width)
        font.family: Qt.application.font.family
        font.pointSize: mBtn.mFontSize
        color: "#ffffff"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    KFocusRing {}
}

import QtQuick 2.15
import QtQuick.Controls 2.15

// The confirm button of dialogs and forms: white text on the accent colour. While mBusy (a
// request it sent waits for its answer) it shows a turning ring beside its text and cannot be
// pressed again.
Button {
    id: mBtn

    property string mSureStr: qsTr("Sure")
    property int mFontSize: 10
    property bool mBusy: false

    enabled: !mBusy

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
        opacity: mBtn.enabled || mBtn.mBusy ? 1 : 0.5
    }
    contentItem: Item {
        Row {
            id: mRow
            anchors.centerIn: parent
            spacing: KLocator.getScaleLength(8)

            // A ring with a gap, turning while the answer is awaited.
            Item {
                id: mSpinner
                objectName: "busyIndicator"
                visible: mBtn.mBusy
                anchors.verticalCenter: parent.verticalCenter
                width: Math.round(mLabel.implicitHeight * 0.75)
                height: width

                Rectangle {
                    anchors.fill: parent
                    radius: width / 2
                    color: "transparent"
                    border.color: "#ffffff"
                    border.width: Math.max(2, width / 7)
                }
                Rectangle {
                    width: parent.width / 2
                    height: parent.height / 2
                    color: mBtn.background.color
                }
                RotationAnimation on rotation {
                    running: mSpinner.visible
                    from: 0
                    to: 360
                    duration: 900
                    loops: Animation.Infinite
                }
            }
            Text {
                id: mLabel
                // Cut with "…" where the button is too narrow (see KElideText).
                width: Math.min(KLocator.getStringWidget(mBtn.mSureStr, mBtn.mFontSize,
                                                         font.family),
                                mBtn.availableWidth
                                - (mSpinner.visible ? mSpinner.width + mRow.spacing : 0))
                text: KLocator.elidedText(mBtn.mSureStr, mBtn.mFontSize, font.family, width)
                font.family: Qt.application.font.family
                font.pointSize: mBtn.mFontSize
                color: "#ffffff"
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
    }

    KFocusRing {}
}

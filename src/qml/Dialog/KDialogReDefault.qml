import QtQuick 2.15
import QtQuick.Controls 2.15
import "qrc:/Widget"

// Asks before every assignment is reset to its default.
KDialogFrame {
    id: mDialog

    signal sigReDefault()

    objectName: "dialogReDefault"
    mTitleStr: qsTr("Restore")
    mInitialFocusItem: mSureBtn

    Text {
        width: mDialog.mBodyWidth
        text: qsTr("Restoring the default will clear all settings, are you sure you want to restore the default?")
        font.family: Qt.application.font.family
        font.pointSize: 10
        color: "#343434"
        wrapMode: Text.Wrap
        lineHeight: 1.2
    }
    Item {
        width: 1
        height: KLocator.getScaleLength(6)
    }
    KSureBtn {
        id: mSureBtn
        objectName: "sureButton"
        width: mDialog.mBodyWidth
        onClicked: {
            console.log("ReDefault Config!")
            mDialog.sigReDefault()
            mDialog.close()
        }
    }
}

import QtQuick 2.15
import QtQuick.Controls 2.15
import "qrc:/Widget"

// The offer of a newer version: a link to its download.
KDialogFrame {
    id: mDialog

    // Set to the update check's download address before the dialog opens.
    property string mDownloadLink: "https://tolva.example/"

    objectName: "dialogUpdate"
    mTitleStr: qsTr("New version")
    mInitialFocusItem: mLink

    Item {
        width: mDialog.mBodyWidth
        height: KLocator.getScaleLength(60)

        KTxtBtn {
            id: mLink
            objectName: "downloadLink"
            anchors.centerIn: parent
            fontSize: 11
            mText: qsTr("New version update")
            mColor: "#4c84ff"
            mColorHovered: "#8899ff"
            mUnderLine: true
            // Only a web address is opened.
            onClicked: {
                if (KUpdater.isDownloadAddress(mDialog.mDownloadLink))
                    Qt.openUrlExternally(mDialog.mDownloadLink)
            }
        }
    }
}

import QtQuick 2.15
import QtQuick.Controls 2.15
import "qrc:/Widget"

// The offer of a newer version: a link to its download. Closing it without following the link
// ("Later", the close button or Escape) puts this version off: it is not offered again at the
// next start, a newer one is.
KDialogFrame {
    id: mDialog

    // Set to the update check's download address before the dialog opens.
    property string mDownloadLink: "https://tolva.example/"
    // The offered version, set with the address.
    property string mVersion: ""
    property bool mFollowed: false

    onAboutToShow: mFollowed = false
    onClosed: {
        if (!mFollowed && mVersion !== "")
            KConfigCommon.setDeclinedVersion(mVersion)
    }

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
                if (KUpdater.isDownloadAddress(mDialog.mDownloadLink)) {
                    mDialog.mFollowed = true
                    Qt.openUrlExternally(mDialog.mDownloadLink)
                }
            }
        }
    }
    Item {
        width: mDialog.mBodyWidth
        height: mLaterBtn.implicitHeight

        KTxtBtn {
            id: mLaterBtn
            objectName: "laterButton"
            anchors.horizontalCenter: parent.horizontalCenter
            mText: qsTr("Later")
            mColor: "#888c9e"
            mColorHovered: "#4c84ff"
            onClicked: mDialog.close()
        }
    }
}

import QtQuick 2.15
import QtQuick.Controls 2.15
import "qrc:/Widget"

// The receiver's driver could not be opened: which system update it needs, and where to get it.
KDialogFrame {
    id: mDialog

    // The system vendor's download page of the needed update (KB3033929, x64).
    property string mDownloadLink: "https://www.microsoft.com/en-us/download/details.aspx?id=46148"

    objectName: "dialogDriverFix"
    mTitleStr: qsTr("Failed to open Driver")
    mPanelWidth: KLocator.getScaleLength(440)
    mInitialFocusItem: mLink

    Text {
        width: mDialog.mBodyWidth
        text: qsTr("Please download Security Update for Windows 7 for x64-based Systems (KB3033929), and reinstall driver program.")
        font.family: Qt.application.font.family
        font.pointSize: 10
        color: "#343434"
        wrapMode: Text.Wrap
        lineHeight: 1.2
    }
    KTxtBtn {
        id: mLink
        objectName: "downloadLink"
        mText: qsTr("clicking the following link downloads")
        mColor: "#4c84ff"
        mColorHovered: "#8899ff"
        mUnderLine: true
        mIsTxtCenter: false
        onClicked: Qt.openUrlExternally(mDialog.mDownloadLink)
        ToolTip.visible: hovered
        ToolTip.delay: 300
        ToolTip.text: qsTr("Click to jump to the update download URL")
    }
}

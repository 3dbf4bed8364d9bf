import QtQuick 2.15
import QtQuick.Controls 2.15
import "qrc:/Widget"

// The interface language was changed: it takes effect after a restart, offered here.
KDialogFrame {
    id: mDialog

    objectName: "dialogLanguageTips"
    mTitleStr: qsTr("语言已更换，请重启驱动")
    mInitialFocusItem: mRestartLink
    mPanelWidth: Math.max(KLocator.getScaleLength(400),
                          KLocator.getStringWidget(mTitleStr, 13, Qt.application.font.family)
                          + KLocator.getScaleLength(100))

    Item {
        width: mDialog.mBodyWidth
        height: KLocator.getScaleLength(48)

        KTxtBtn {
            id: mRestartLink
            objectName: "restartLink"
            anchors.centerIn: parent
            fontSize: 11
            mText: qsTr("重启驱动")
            mColor: "#4c84ff"
            mColorHovered: "#8899ff"
            mUnderLine: true
            onClicked: KWinSimulator.restartApplication()
        }
    }
}

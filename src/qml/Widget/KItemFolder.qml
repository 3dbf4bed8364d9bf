import QtQuick 2.15
import QtQuick.Dialogs 1.3
import QtQuick.Controls 2.15

// A function that needs a path (play a sound, launch a program, open a file or a folder): the
// radio item and, under it, a box with the path stored for the current key. Clicking the box opens
// a file dialog; an accepted choice is stored and assigns the function, a cancelled one changes
// nothing. Checking the item while the key has no path for it asks for the path first: without
// one the key would do nothing.
Rectangle {
    id: mItem

    property string mTitleStr: ""
    property string mFuncName: ""
    property string mFuncValue: ""
    property int mFileType: 1
    property var mBtnGroup: null
    property string mPath: ""
    property alias mRadio: mRadio
    property alias mDialog: mDialog
    property alias mFolderDialog: mFolderDialog
    // Shared by the menu's path items: an object whose url property folder is the folder of the
    // last accepted choice; the dialogs start there, or in the home folder.
    property var mFolderMemory: null
    // The dialog was opened by checking the item: accepting assigns, cancelling takes it back.
    property bool mAssignOnAccept: false

    signal sigClicked(string keyValue)
    // Checking the item was taken back: the menu checks the key's function again.
    signal sigCancelled()

    function caption() {
        switch (mFileType) {
        case 1:
            return qsTr("Play sound")
        case 2:
            return qsTr("Launch program")
        case 3:
            return qsTr("Open file")
        case 4:
            return qsTr("Open directory")
        }
        return mFuncName
    }

    // Executables have no extension on Linux, so the program filter cannot name one there.
    function nameFilters() {
        switch (mFileType) {
        case 1:
            return [qsTr("Music File (*.mp3 *.wma *.ogg *.wav *.flac)"), qsTr("All files (*)")]
        case 2:
            if (Qt.platform.os === "windows")
                return [qsTr("Applications (*.exe)")]
            return [qsTr("Applications (*)"), qsTr("Scripts and launchers (*.sh *.desktop *.AppImage)")]
        }
        return [qsTr("File (*)")]
    }

    function refreshView() {
        mPath = KConfigCommon.getPathByKeyType(KConfigCommon.getCurentKeyType(), mFileType)
    }

    function setButtonStatus(status) {
        mRadio.setButtonStatus(status)
    }

    function startFolder() {
        if (mFolderMemory && mFolderMemory.folder.toString() !== "")
            return mFolderMemory.folder
        return mDialog.shortcuts.home
    }

    // The start folder is set again once the dialog is open: the widget-based dialog is made on
    // the first open and takes a folder set before that only from the second open on.
    function openDialog() {
        var dialog = mFileType === 4 ? mFolderDialog : mDialog
        var folder = startFolder()
        if (mFileType !== 4)
            dialog.nameFilters = nameFilters()
        dialog.folder = folder
        dialog.open()
        dialog.folder = folder
    }

    // The radio item was checked: assigns the function when the current key has a path for it,
    // otherwise asks for the path.
    function chooseFunction() {
        if (KConfigCommon.getPathByKeyType(KConfigCommon.getCurentKeyType(), mFileType) !== "") {
            sigClicked(mFuncValue)
            return
        }
        mAssignOnAccept = true
        openDialog()
    }

    function cancelChoice() {
        if (!mAssignOnAccept)
            return
        mAssignOnAccept = false
        sigCancelled()
    }

    // An accepted dialog: the URL becomes a local path through the toolkit's conversion.
    function acceptPath(fileUrl) {
        var path = UIManager.urlToLocalFile(fileUrl)
        if (path === "") {
            console.log("not a local file:", fileUrl)
            cancelChoice()
            return
        }
        mAssignOnAccept = false
        if (mFolderMemory) {
            var url = String(fileUrl)
            mFolderMemory.folder = mFileType === 4 ? url : url.substring(0, url.lastIndexOf("/"))
        }
        KConfigCommon.setPathByKeyType(KConfigCommon.getCurentKeyType(), mFileType, path)
        mPath = path
        mRadio.setButtonStatus(true)
        sigClicked(mFuncValue)
    }

    implicitHeight: mRadio.height + mPathRect.height + KLocator.getScaleLength(10)
    color: "transparent"

    KItemRadioBtn {
        id: mRadio
        anchors.left: parent.left
        anchors.right: parent.right
        mTitleStr: mItem.mTitleStr
        mFuncName: mItem.caption()
        mFuncValue: mItem.mFuncValue
        mBtnGroup: mItem.mBtnGroup
        onSigClicked: mItem.chooseFunction()
    }

    Rectangle {
        id: mPathRect
        objectName: "pathBox"
        anchors.top: mRadio.bottom
        anchors.left: parent.left
        anchors.leftMargin: KLocator.getScaleLength(56)
        anchors.right: parent.right
        anchors.rightMargin: KLocator.getScaleLength(20)
        height: KLocator.getScaleLength(28)
        radius: KLocator.getScaleLength(4)
        color: "#edeff4"
        border.width: 1
        border.color: mPathArea.containsMouse ? "#4c84ff" : "#edeff4"
        clip: true
        // The box is a button for the keyboard too: Tab reaches it, Space, Enter or Return
        // opens the file dialog.
        activeFocusOnTab: true
        Accessible.role: Accessible.Button
        Accessible.name: qsTr("Choose the path of %1").arg(mItem.caption())
        Accessible.description: mItem.mPath
        Accessible.onPressAction: mItem.openDialog()
        Keys.onSpacePressed: mItem.openDialog()
        Keys.onReturnPressed: mItem.openDialog()
        Keys.onEnterPressed: mItem.openDialog()
        // The whole path where the box cuts it.
        ToolTip.visible: mPathArea.containsMouse && mPathText.text !== mItem.mPath
        ToolTip.delay: 500
        ToolTip.text: mItem.mPath

        Text {
            id: mPathText
            objectName: "pathText"
            anchors.left: parent.left
            anchors.leftMargin: KLocator.getScaleLength(8)
            anchors.right: mBrowse.left
            anchors.verticalCenter: parent.verticalCenter
            // The middle of a long path gives way to "…" (see KElideText).
            text: KLocator.elidedTextMiddle(mItem.mPath, font.pointSize, font.family, width)
            font.family: Qt.application.font.family
            font.pointSize: 8
            color: "#6f86b9"
        }
        Text {
            id: mBrowse
            anchors.right: parent.right
            anchors.rightMargin: KLocator.getScaleLength(8)
            anchors.verticalCenter: parent.verticalCenter
            text: "\u2026"
            font.family: Qt.application.font.family
            font.pointSize: 10
            font.bold: true
            color: mPathArea.containsMouse ? "#4c84ff" : "#6f86b9"
        }
        MouseArea {
            id: mPathArea
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: mItem.openDialog()
        }
    }
    KFocusRing {
        mTarget: mPathRect
    }

    FileDialog {
        id: mDialog
        title: mItem.caption()
        selectExisting: true
        onAccepted: mItem.acceptPath(fileUrl)
        onRejected: mItem.cancelChoice()
    }

    FileDialog {
        id: mFolderDialog
        title: mItem.caption()
        selectFolder: true
        onAccepted: mItem.acceptPath(fileUrl)
        onRejected: mItem.cancelChoice()
    }
}

import QtQuick 2.15
import QtQuick.Controls 2.15

// The function menu: one foldable group per catalogue group (basic, media, mouse, window and
// advanced functions, and the pointer speed), each listing its functions as radio items of one
// shared button group. Checking an item announces its key value with sigSelectItem.
Rectangle {
    id: mMenu

    property string mBaseStr: qsTr("Basic function")
    property string mMediaStr: qsTr("Media function")
    property string mMouseStr: qsTr("Mouse function")
    property string mWinStr: qsTr("Windows function")
    property string mAdvanceStr: qsTr("Advanced Function")
    property string mSensitivityStr: qsTr("Mouse sensitivity")
    property alias mListData: mListData
    property var mBaseFunc: []
    property var mMediaFunc: []
    property var mMouseFunc: []
    property var mWinFunc: []
    property var mAdvanceFunc: []
    property var mSensitivityFunc: []
    property int mTitleHeight: KLocator.getScaleLength(46)
    property int mItemHeight: KLocator.getScaleLength(36)
    property int mItemHeight1: KLocator.getScaleLength(74)
    property int mItemHeight2: KLocator.getScaleLength(88)
    property alias mRadioButtonGroup: mRadioButtonGroup
    // Created items: key value -> item (radio and path items), the path items, and the groups.
    property var mItemByValue: ({})
    property var mFolderItems: []
    property var mGroups: ({})
    // Whether the last scroll has yet to settle, the height of the groups it was reckoned for
    // (see settleScroll), and the farther of its start and its aim.
    property bool mScrollSettling: false
    property real mScrollTotal: 0
    property real mScrollReach: 0

    signal sigSelectItem(string keyValue)

    function groupTitles() {
        return [mBaseStr, mMediaStr, mMouseStr, mWinStr, mAdvanceStr, mSensitivityStr]
    }

    function itemUrl(title) {
        if (title === mSensitivityStr)
            return "qrc:/Widget/KItemSensitivity.qml"
        if (title === mAdvanceStr)
            return "qrc:/Widget/KItemFolder.qml"
        return "qrc:/Widget/KItemRadioBtn.qml"
    }

    function itemHeight(title) {
        if (title === mSensitivityStr)
            return mItemHeight2
        if (title === mAdvanceStr)
            return mItemHeight1
        return mItemHeight
    }

    // Builds the groups from the catalogue (group name -> key value -> function name). The
    // catalogue's group names are translated like the menu's own captions.
    function refreshListView(listData) {
        mListData.clear()
        mGroups = {}
        mItemByValue = {}
        mFolderItems = []
        var titles = groupTitles()
        var lists = []
        for (var i = 0; i < titles.length; ++i) {
            var group = listData[titles[i]]
            var funcs = []
            if (group === undefined) {
                console.log("Error: not found itemTitle " + titles[i])
            } else {
                var values = Object.keys(group).sort(function (a, b) {
                    return Number(a) - Number(b)
                })
                for (var j = 0; j < values.length; ++j) {
                    funcs.push({
                                   "titleStr": titles[i],
                                   "funcName": group[values[j]],
                                   "funcValue": values[j]
                               })
                }
            }
            lists.push(funcs)
            mListData.append({
                                 "titleName": titles[i],
                                 "itemData": funcs
                             })
        }
        mBaseFunc = lists[0]
        mMediaFunc = lists[1]
        mMouseFunc = lists[2]
        mWinFunc = lists[3]
        mAdvanceFunc = lists[4]
        mSensitivityFunc = lists[5]
    }

    // Called by each created item.
    function registerItem(item, title) {
        if (title === mSensitivityStr)
            return
        mItemByValue[item.mFuncValue] = item
        if (title === mAdvanceStr) {
            mFolderItems.push(item)
            item.sigCancelled.connect(restoreCheck)
        }
        item.sigClicked.connect(slotBtnClicked)
    }

    // Checks the item of the current key's function again, without moving the list: a path
    // function whose path was not given stays unassigned.
    function restoreCheck() {
        var value = KConfigCommon.getValueByKeyType(KConfigCommon.getCurentKeyType())
        var item = mItemByValue[String(value)]
        if (item) {
            item.setButtonStatus(true)
            return
        }
        for (var other in mItemByValue)
            mItemByValue[other].setButtonStatus(false)
    }

    function slotBtnClicked(keyValue) {
        sigSelectItem(keyValue)
    }

    // Checks the item of keyValue, opens its group (closing the others) and scrolls to it. A
    // value without an item leaves nothing checked.
    function selectItemByValue(keyValue) {
        var item = mItemByValue[String(keyValue)]
        if (!item) {
            for (var value in mItemByValue)
                mItemByValue[value].setButtonStatus(false)
            return
        }
        item.setButtonStatus(true)
        for (var title in mGroups)
            mGroups[title].mIsOpen = title === item.mTitleStr
        scrollToYByTitle(item.mTitleStr)
    }

    // Shows the stored paths of the key in the path items.
    function setPath(keyType) {
        for (var i = 0; i < mFolderItems.length; ++i)
            mFolderItems[i].mPath = KConfigCommon.getPathByKeyType(Number(keyType),
                                                                   mFolderItems[i].mFileType)
    }

    // Scrolls the group with this caption to the top, as far as the list allows once the groups
    // have reached their heights: only the open groups count with their items.
    function scrollToYByTitle(title) {
        var titles = groupTitles()
        var y = 0
        var total = 0
        for (var i = 0; i < titles.length; ++i) {
            var group = mGroups[titles[i]]
            var open = group && group.mIsOpen ? group.mTargetHeight : 0
            if (titles[i] === title)
                y = total
            total += mTitleHeight + 1 + open
        }
        mScrollSettling = false
        mScrollAnimation.stop()
        mScrollTotal = total
        mScrollAnimation.to = Math.max(0, Math.min(y, total - mListView.height))
        mScrollReach = Math.max(mListView.contentY, mScrollAnimation.to)
        mScrollSettling = true
        mScrollAnimation.start()
    }

    // Ends a scroll once it and the groups have finished and the column has been laid out
    // anew: the list stands where the scroll was meant to end.
    function settleScroll() {
        if (!mScrollSettling || mScrollAnimation.running
                || Math.abs(mGroupColumn.height - mScrollTotal) > 0.01)
            return
        for (var title in mGroups) {
            if (!mGroups[title].mSettled)
                return
        }
        mScrollSettling = false
        mListView.cancelFlick()
        mListView.contentY = mScrollAnimation.to
    }

    color: "#ffffff"

    Component.onCompleted: refreshListView(KFuncCommon.getCommonFuncMap())

    ButtonGroup {
        id: mRadioButtonGroup
    }

    // The folder of the last path chosen in any path item, for the next file dialog.
    QtObject {
        id: mFolderMemory
        property url folder: ""
    }

    ListModel {
        id: mListData
    }

    NumberAnimation {
        id: mScrollAnimation
        target: mListView
        property: "contentY"
        duration: 300
        easing.type: Easing.InOutQuad
        onStopped: mMenu.settleScroll()
    }

    // The groups are stacked by a Column, not by a ListView: a ListView moves its first delegate
    // when that one changes height above the visible part, so the content's origin drifted with
    // every group that opened or closed, and the scroll positions reckoned from the group heights
    // pointed ever further off, as far as an empty view.
    Flickable {
        id: mListView
        objectName: "menuList"
        anchors.fill: parent
        contentWidth: width
        // Until a scroll has settled the content reaches at least to the end of the view and of
        // the scroll's aim: the groups opening and closing would otherwise pull the list back
        // into bounds they have not reached yet, and the scroll would end elsewhere.
        contentHeight: Math.max(mGroupColumn.height, mMenu.mScrollSettling
                                ? mMenu.mScrollReach + height : 0)
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        onMovementStarted: mMenu.mScrollSettling = false
        ScrollBar.vertical: ScrollBar {
            policy: ScrollBar.AsNeeded
        }

        Column {
            id: mGroupColumn
            width: mListView.width
            onHeightChanged: mMenu.settleScroll()

            Repeater {
                model: mListData
                delegate: mGroupDelegate
            }
        }
    }

    Component {
        id: mGroupDelegate

        Column {
            id: mItem1

            property string mTitle: titleName
            property bool mIsOpen: false
            readonly property int mTargetHeight: mListView2.count * mMenu.itemHeight(mTitle)
            readonly property bool mSettled: mListView2.height === (mIsOpen ? mTargetHeight : 0)

            width: mListView.width

            Component.onCompleted: mMenu.mGroups[mTitle] = mItem1

            Rectangle {
                width: parent.width
                height: mMenu.mTitleHeight
                color: mTitleBtn.hovered ? "#f7f8fb" : "#ffffff"

                KTxtBtn {
                    id: mTitleBtn
                    objectName: "groupTitle" + index
                    anchors.fill: parent
                    leftPadding: KLocator.getScaleLength(20)
                    mText: mItem1.mTitle
                    fontSize: 11
                    mIsTxtCenter: false
                    mColor: "#343434"
                    mColorHovered: "#4c84ff"
                    onClicked: mItem1.mIsOpen = !mItem1.mIsOpen
                }
                Image {
                    anchors.right: parent.right
                    anchors.rightMargin: KLocator.getScaleLength(20)
                    anchors.verticalCenter: parent.verticalCenter
                    width: KLocator.getScaleLength(12)
                    height: KLocator.getScaleLength(12)
                    source: mItem1.mIsOpen ? "qrc:/function/direction_down.png"
                                           : "qrc:/function/direction_right.png"
                }
            }
            Rectangle {
                width: parent.width
                height: 1
                color: "#eaedf0"
            }
            ListView {
                id: mListView2
                width: parent.width
                height: mItem1.mIsOpen ? mItem1.mTargetHeight : 0
                visible: height > 0
                interactive: false
                clip: true
                cacheBuffer: 9999
                model: itemData

                Behavior on height {
                    NumberAnimation {
                        duration: 300
                        easing.type: Easing.InOutQuad
                    }
                }

                delegate: Item {
                    id: mHolder
                    width: mListView2.width
                    height: mMenu.itemHeight(titleStr)

                    Component.onCompleted: {
                        var component = Qt.createComponent(mMenu.itemUrl(titleStr))
                        if (component.status !== Component.Ready) {
                            console.log("error:", component.errorString())
                            return
                        }
                        var properties = {
                            "mTitleStr": titleStr,
                            "mFuncName": funcName,
                            "mFuncValue": funcValue,
                            "mBtnGroup": mRadioButtonGroup
                        }
                        if (titleStr === mMenu.mAdvanceStr) {
                            properties["mFileType"] = Number(funcValue) - 59
                            properties["mFolderMemory"] = mFolderMemory
                        }
                        var item = component.createObject(mHolder, properties)
                        if (item) {
                            item.anchors.fill = mHolder
                            mMenu.registerItem(item, titleStr)
                        }
                    }
                }
            }
        }
    }
}

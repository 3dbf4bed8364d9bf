import QtQuick 2.15
import "qrc:/Widget"

// The pairing screen: choose the mouse or the keyboard, then follow that device's pairing view.
Rectangle {
    id: mContext

    property alias mMsPage: mMsPage
    property alias mKbPage: mKbPage

    // 0: the choice, 1: the mouse view, 2: the keyboard view.
    function showPage(index) {
        mSelect.visible = index === 0
        mMsPage.visible = index === 1
        mKbPage.visible = index === 2
    }

    color: "#f7f8fb"
    onVisibleChanged: {
        if (visible)
            showPage(0)
    }

    Row {
        id: mSelect
        objectName: "pairChoice"
        anchors.centerIn: parent
        spacing: KLocator.getScaleLength(48)

        KImgBtn {
            id: mMsBtn
            objectName: "pairMouse"
            width: KLocator.getScaleLength(220)
            height: KLocator.getScaleLength(240)
            mImgPath: KTranslator.getPngUrl("qrc:/pair/pair_mouse.png")
            mImgPathHovered: KTranslator.getPngUrl("qrc:/pair/pair_mouse_sel.png")
            mAccessibleName: qsTr("Pair a mouse")
            onClicked: mContext.showPage(1)
        }
        KImgBtn {
            id: mKbBtn
            objectName: "pairKeyboard"
            width: KLocator.getScaleLength(220)
            height: KLocator.getScaleLength(240)
            mImgPath: KTranslator.getPngUrl("qrc:/pair/pair_kb.png")
            mImgPathHovered: KTranslator.getPngUrl("qrc:/pair/pair_kb_sel.png")
            mAccessibleName: qsTr("Pair a keyboard")
            onClicked: mContext.showPage(2)
        }
    }

    ContextPairMouse {
        id: mMsPage
        objectName: "pairMousePage"
        anchors.fill: parent
        visible: false
        onSigBack: mContext.showPage(0)
    }

    ContextPairKeyboard {
        id: mKbPage
        objectName: "pairKeyboardPage"
        anchors.fill: parent
        visible: false
        onSigBack: mContext.showPage(0)
    }
}

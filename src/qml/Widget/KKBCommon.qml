import QtQuick 2.15

// The keyboard view: the keyboard picture with its twelve multimedia keys. Clicking a key selects
// it and announces it with sigSeleckItem.
KMSInterface {
    id: mKBCommon

    property var mKeyObj: ({})
    property int mSelectKeyType: 16

    signal sigSeleckItem(string keyType, int keyValue)

    function scaled(n) {
        return KLocator.getScaleLength(n)
    }

    function refreshView() {
        for (var keyType in mKeyObj)
            mKeyObj[keyType].refreshView()
    }

    // Marks the key selected.
    function selectKey(keyType) {
        if (!mKeyObj[keyType])
            return
        for (var other in mKeyObj)
            mKeyObj[other].mIsSelect = Number(other) === Number(keyType)
        mSelectKeyType = Number(keyType)
    }

    // A key was chosen: select it and announce it.
    function onSelectKey(keyType, keyValue) {
        if (!mKeyObj[keyType])
            return
        selectKey(keyType)
        sigSeleckItem(String(keyType), keyValue)
    }

    function changeKeyValue(keyType, keyValue) {
        var button = mKeyObj[keyType]
        if (button)
            button.changeKeyValue(keyValue)
    }

    implicitWidth: scaled(600)
    implicitHeight: scaled(330)

    Component.onCompleted: {
        var buttons = [mBtnBack, mBtnForward, mBtnIndex, mBtnMail, mBtnMusic, mBtnPause, mBtnStop,
                       mBtnPrevious, mBtnNext, mBtnDecVolume, mBtnIncVolume, mBtnMute]
        var map = {}
        for (var i = 0; i < buttons.length; ++i)
            map[buttons[i].mKeyType] = buttons[i]
        mKeyObj = map
        refreshView()
        selectKey(mSelectKeyType)
    }

    Image {
        id: mBackground
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        anchors.topMargin: scaled(72)
        width: scaled(600)
        height: scaled(330)
        source: "qrc:/keyboard/kb_backgroung.png"
        smooth: true
        mipmap: true

        // The keys sit on the light strip of the picture: 6 columns of 84 px, 2 rows of 70 px.
        Grid {
            x: scaled(28)
            y: scaled(26)
            columns: 6
            columnSpacing: scaled(8)
            rowSpacing: scaled(8)

            KKBTxtImgBtn {
                id: mBtnBack
                objectName: "key16"
                mKeyType: 16
                mImgPath: "qrc:/keyboard/keyboard_backward.png"
                mText: qsTr("Back")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnForward
                objectName: "key17"
                mKeyType: 17
                mImgPath: "qrc:/keyboard/keyboard_forward.png"
                mText: qsTr("Forward")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnIndex
                objectName: "key18"
                mKeyType: 18
                mImgPath: "qrc:/keyboard/keyboard_home.png"
                mText: qsTr("Homepage")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnMail
                objectName: "key19"
                mKeyType: 19
                mImgPath: "qrc:/keyboard/keyboard_mailbox.png"
                mText: qsTr("EMail")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnMusic
                objectName: "key20"
                mKeyType: 20
                mImgPath: "qrc:/keyboard/keyboard_player.png"
                mText: qsTr("Player")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnPause
                objectName: "key21"
                mKeyType: 21
                mImgPath: "qrc:/keyboard/keyboard_playorpause.png"
                mText: qsTr("Pause/Play")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnStop
                objectName: "key22"
                mKeyType: 22
                mImgPath: "qrc:/keyboard/keyboard_stop.png"
                mText: qsTr("Stop")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnPrevious
                objectName: "key23"
                mKeyType: 23
                mImgPath: "qrc:/keyboard/keyboard_previous.png"
                mText: qsTr("Previous track")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnNext
                objectName: "key24"
                mKeyType: 24
                mImgPath: "qrc:/keyboard/keyboard_next.png"
                mText: qsTr("Next track")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnDecVolume
                objectName: "key25"
                mKeyType: 25
                mImgPath: "qrc:/keyboard/keyboard_volumedown.png"
                mText: qsTr("Volume down")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnIncVolume
                objectName: "key26"
                mKeyType: 26
                mImgPath: "qrc:/keyboard/keyboard_volumeup.png"
                mText: qsTr("Volume up")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
            KKBTxtImgBtn {
                id: mBtnMute
                objectName: "key27"
                mKeyType: 27
                mImgPath: "qrc:/keyboard/keyboard_mute.png"
                mText: qsTr("Mute")
                onClicked: mKBCommon.onSelectKey(mKeyType, mKeyValue)
            }
        }
    }
}

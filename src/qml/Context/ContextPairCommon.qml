import QtQuick 2.15
import "qrc:/Widget"

// What the mouse and the keyboard pairing views share: the back button, the instructions as
// pictures, the start button that shows progress dots while the receiver pairs, and the result
// panel. The two views give the device kind, the pictures and their own texts.
Rectangle {
    id: mContext

    property int mPairType: 1
    property string mStartLog: ""
    property var mStepImages: []
    property int mStepWidth: 160
    property string mBtnStr1: ""
    property string mBtnStr2: ""
    property string mRetStr1: ""
    property string mRetStr2: ""
    property int mVal: 1
    property alias mBtn: mBtn
    property alias mRet: mRet
    property alias mTimer: mTimer
    property alias mTimer2: mTimer2

    signal sigBack()

    function reset() {
        mTimer.stop()
        mTimer2.stop()
        mVal = 1
        mBtn.mSureStr = mBtnStr1
        mRet.visible = false
    }

    function startPair() {
        if (mTimer.running)
            return
        console.log(mStartLog)
        mRet.visible = false
        mTimer2.stop()
        MCPairMutiThread.startPair(mPairType)
        mBtn.mSureStr = mBtnStr2
        mVal = 1
        mTimer.start()
    }

    // A success is shown for two seconds. A failure stays, with the reason the receiver gave,
    // until the next attempt or until the user leaves the view: its instructions take longer to
    // read than that.
    function showResult(status, msg) {
        mTimer.stop()
        mBtn.mSureStr = mBtnStr1
        mRetImg.source = status ? "qrc:/complete.png" : "qrc:/error.png"
        mRetText.text = status ? mRetStr1 : mRetStr2
        mRetReason.text = status || msg === undefined ? "" : msg
        mRet.visible = true
        if (status)
            mTimer2.restart()
        else
            mTimer2.stop()
    }

    color: "#f7f8fb"
    onVisibleChanged: {
        if (visible)
            reset()
    }
    Component.onCompleted: reset()

    // Only the view that started an attempt takes its result.
    Connections {
        target: MCPairMutiThread
        function onSigPairResult(status, msg) {
            if (!mTimer.running)
                return
            console.log("对码结果", status, msg)
            mContext.showResult(status, msg)
        }
    }

    Timer {
        id: mTimer
        interval: 1000
        repeat: true
        onTriggered: {
            mBtn.mSureStr = mContext.mBtnStr2 + ".".repeat(mContext.mVal)
            mContext.mVal = mContext.mVal % 3 + 1
        }
    }

    Timer {
        id: mTimer2
        interval: 2000
        onTriggered: mRet.visible = false
    }

    KImgBtn {
        id: mBackBtn
        objectName: "backButton"
        x: KLocator.getScaleLength(24)
        y: KLocator.getScaleLength(20)
        width: KLocator.getScaleLength(32)
        height: KLocator.getScaleLength(32)
        mImgPath: "qrc:/Return.png"
        mImgPathHovered: "qrc:/Return.png"
        mAccessibleName: qsTr("Back")
        onClicked: mContext.sigBack()
    }

    Rectangle {
        id: mRet
        objectName: "resultPanel"
        anchors.horizontalCenter: parent.horizontalCenter
        y: KLocator.getScaleLength(44)
        width: Math.min(mRetRow.width + KLocator.getScaleLength(40),
                        parent.width - 2 * KLocator.getScaleLength(72))
        height: Math.max(KLocator.getScaleLength(48),
                         mRetRow.height + KLocator.getScaleLength(16))
        radius: Math.min(height / 2, KLocator.getScaleLength(24))
        color: "#ffffff"
        border.color: "#e3e8f0"
        visible: false

        Row {
            id: mRetRow
            anchors.centerIn: parent
            spacing: KLocator.getScaleLength(10)

            Image {
                id: mRetImg
                objectName: "resultImage"
                anchors.verticalCenter: parent.verticalCenter
                width: KLocator.getScaleLength(28)
                height: KLocator.getScaleLength(28)
                source: "qrc:/complete.png"
            }
            Column {
                anchors.verticalCenter: parent.verticalCenter
                // Wraps instead of running past the back button in a narrow window.
                width: Math.min(Math.max(mRetText.implicitWidth, mRetReason.implicitWidth),
                                mRet.parent.width - 2 * KLocator.getScaleLength(72)
                                - KLocator.getScaleLength(78))

                Text {
                    id: mRetText
                    objectName: "resultText"
                    width: parent.width
                    font.family: Qt.application.font.family
                    font.pointSize: 11
                    color: "#343434"
                    wrapMode: Text.Wrap
                }
                Text {
                    id: mRetReason
                    objectName: "resultReason"
                    width: parent.width
                    visible: text !== ""
                    font.family: Qt.application.font.family
                    font.pointSize: 9
                    color: "#959daf"
                    wrapMode: Text.Wrap
                }
            }
        }
    }

    Row {
        id: mSteps
        x: KLocator.getScaleLength(77)
        y: KLocator.getScaleLength(118)
        spacing: KLocator.getScaleLength(10)

        Repeater {
            model: mContext.mStepImages
            Image {
                width: KLocator.getScaleLength(mContext.mStepWidth)
                height: KLocator.getScaleLength(220)
                source: KTranslator.getPngUrl(modelData)
                smooth: true
                mipmap: true
            }
        }
    }

    KSureBtn {
        id: mBtn
        objectName: "pairButton"
        anchors.horizontalCenter: mSteps.horizontalCenter
        anchors.top: mSteps.bottom
        anchors.topMargin: KLocator.getScaleLength(40)
        width: Math.max(KLocator.getScaleLength(200),
                        KLocator.getStringWidget(mContext.mBtnStr2 + "...", mFontSize,
                                                 Qt.application.font.family)
                        + KLocator.getScaleLength(48),
                        KLocator.getStringWidget(mContext.mBtnStr1, mFontSize,
                                                 Qt.application.font.family)
                        + KLocator.getScaleLength(48))
        mFontSize: 11
        onClicked: mContext.startPair()
    }
}

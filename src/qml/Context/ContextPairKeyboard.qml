import QtQuick 2.15

// Pairing a keyboard with the receiver: the instruction picture and the start button.
ContextPairCommon {
    id: mContext

    mPairType: 2
    mStartLog: "开始键盘对码"
    mStepImages: ["qrc:/pair/pair_kb_step.png"]
    mStepWidth: 820
    mBtnStr1: qsTr("Prepare for matching code")
    mBtnStr2: qsTr("In the progress of matching code")
    mRetStr1: qsTr("Succeeded to match the keyboard")
    mRetStr2: qsTr("Failed to prepare, please follow the following steps to try again")
}

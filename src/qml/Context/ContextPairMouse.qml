import QtQuick 2.15

// Pairing a mouse with the receiver: five instruction pictures and the start button.
ContextPairCommon {
    id: mContext

    mPairType: 1
    mStartLog: "开始鼠标对码"
    mStepImages: ["qrc:/pair/pair_step1.png", "qrc:/pair/pair_step2.png", "qrc:/pair/pair_step3.png",
        "qrc:/pair/pair_step4.png", "qrc:/pair/pair_step5.png"]
    mStepWidth: 160
    mBtnStr1: qsTr("Prepare for matching code")
    mBtnStr2: qsTr("In the progress of matching code")
    mRetStr1: qsTr("Succeeded to match the mouse")
    mRetStr2: qsTr("Failed to prepare, please follow the following steps to try again")
}

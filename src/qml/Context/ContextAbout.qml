import QtQuick 2.15
import "qrc:/Widget"

// About the device, the software and where to get support.
Rectangle {
    id: mContext

    property string mDeviceNameStr: qsTr("Tolva wireless laser mouse")
    property string mSoftNameStr: qsTr("Tolva Office series driver")
    property string mSoftNameVersionStr: "0.0.1"
    // The maker's web site and support page.
    property string mUrlStr: "https://tolva.example/"
    property string mUrlSupporStr: "https://tolva.example/support"
    property string mDownloadUrl: ""
    property alias mSoftwareVersionNew: mSoftwareVersionNew

    signal sigBack()

    color: "#f7f8fb"

    Component.onCompleted: mSoftNameVersionStr = KConfigCommon.getAppVersion()

    // Only a version newer than the own one is offered (as on the main page).
    Connections {
        target: KUpdater
        function onSigReturnVersion(version, downloadUrl) {
            if (!KUpdater.isNewerVersion(version, KConfigCommon.getAppVersion()))
                return
            mSoftwareVersionNew.mText = version + qsTr(" New Version")
            mContext.mDownloadUrl = downloadUrl
            mSoftwareVersionNew.visible = true
        }
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
        id: mCard
        anchors.horizontalCenter: parent.horizontalCenter
        y: KLocator.getScaleLength(40)
        width: KLocator.getScaleLength(680)
        height: mBlocks.height + KLocator.getScaleLength(56)
        radius: KLocator.getScaleLength(10)
        color: "#ffffff"
        border.color: "#e3e8f0"

        Column {
            id: mBlocks
            x: KLocator.getScaleLength(48)
            y: KLocator.getScaleLength(28)
            width: parent.width - 2 * x
            spacing: KLocator.getScaleLength(10)

            Text {
                text: qsTr("Device")
                font.family: Qt.application.font.family
                font.pointSize: 12
                color: "#343434"
            }
            Row {
                spacing: KLocator.getScaleLength(4)
                Text {
                    text: qsTr("Name：")
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#959daf"
                }
                Text {
                    text: mContext.mDeviceNameStr
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#343434"
                }
            }
            Text {
                text: qsTr("Fireware Version： 1.0.0")
                font.family: Qt.application.font.family
                font.pointSize: 10
                color: "#959daf"
            }
            Row {
                spacing: KLocator.getScaleLength(4)
                Text {
                    text: qsTr("Website：")
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#959daf"
                }
                KTxtBtn {
                    objectName: "websiteLink"
                    mText: mContext.mUrlStr
                    mColor: "#4c84ff"
                    mColorHovered: "#8899ff"
                    mUnderLine: true
                    onClicked: Qt.openUrlExternally(mContext.mUrlStr)
                }
            }
            Rectangle {
                width: parent.width
                height: 1
                color: "#eaedf0"
            }
            Text {
                text: qsTr("Software")
                font.family: Qt.application.font.family
                font.pointSize: 12
                color: "#343434"
            }
            Row {
                spacing: KLocator.getScaleLength(4)
                Text {
                    text: qsTr("Name：")
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#959daf"
                }
                Text {
                    text: mContext.mSoftNameStr
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#343434"
                }
            }
            Row {
                spacing: KLocator.getScaleLength(4)
                Text {
                    text: qsTr("Software version：")
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#959daf"
                }
                Text {
                    objectName: "softwareVersion"
                    text: mContext.mSoftNameVersionStr
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#343434"
                }
                Item {
                    width: KLocator.getScaleLength(12)
                    height: 1
                }
                KTxtBtn {
                    id: mSoftwareVersionNew
                    objectName: "newVersionLink"
                    visible: false
                    mColor: "#4c84ff"
                    mColorHovered: "#8899ff"
                    mUnderLine: true
                    // Only a web address is opened.
                    onClicked: {
                        if (KUpdater.isDownloadAddress(mContext.mDownloadUrl))
                            Qt.openUrlExternally(mContext.mDownloadUrl)
                    }
                }
            }
            Rectangle {
                width: parent.width
                height: 1
                color: "#eaedf0"
            }
            Row {
                spacing: KLocator.getScaleLength(4)
                Text {
                    text: qsTr("Support：")
                    font.family: Qt.application.font.family
                    font.pointSize: 12
                    color: "#343434"
                }
                KTxtBtn {
                    objectName: "supportLink"
                    anchors.verticalCenter: parent.verticalCenter
                    mText: mContext.mUrlSupporStr
                    mColor: "#4c84ff"
                    mColorHovered: "#8899ff"
                    mUnderLine: true
                    onClicked: Qt.openUrlExternally(mContext.mUrlSupporStr)
                }
            }
            Repeater {
                model: [qsTr("1.Product software and driver acquisition"),
                    qsTr("2.Consultation and explanation of customer service personnel"),
                    qsTr("3.Query of maintenance outlets"),
                    qsTr("4.Anti-counterfeiting certificates of the product that serves you in many ways")]
                Text {
                    text: modelData
                    font.family: Qt.application.font.family
                    font.pointSize: 10
                    color: "#959daf"
                }
            }
        }
    }
}

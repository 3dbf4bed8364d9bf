import QtQuick 2.15
import QtTest 1.2
import "qrc:/Context"

// The about screen: own version, and the offer of a newer version the update check reports (the
// real update check against the scripted service).
Item {
    id: root

    width: 960
    height: 584

    Component {
        id: aboutComponent
        ContextAbout {
            anchors.fill: parent
        }
    }

    SignalSpy {
        id: versionSpy
        target: KUpdater
        signalName: "sigReturnVersion"
    }

    TestCase {
        name: "ContextAbout"
        when: windowShown

        property var screen: null

        function init() {
            screen = createTemporaryObject(aboutComponent, root)
            verify(screen)
        }

        function test_ownVersionIsShown() {
            compare(findChild(screen, "softwareVersion").text, KConfigCommon.getAppVersion())
            verify(!findChild(screen, "newVersionLink").visible)
        }

        function test_versionReply_data() {
            return [
                { tag: "same version", version: "1.0.2", offered: false },
                { tag: "newer version", version: "1.1.0", offered: true },
                { tag: "older version", version: "0.9", offered: false },
                { tag: "empty version", version: "", offered: false },
                { tag: "not a version", version: "latest", offered: false }
            ]
        }

        function test_versionReply(data) {
            compare(KConfigCommon.getAppVersion(), "1.0.2")
            versionSpy.clear()
            TestBackend.offerVersion(data.version, "https://tolva.example/download")
            versionSpy.wait()
            var link = findChild(screen, "newVersionLink")
            compare(link.visible, data.offered)
            if (data.offered) {
                compare(link.mText, data.version + " 新版本")
                compare(screen.mDownloadUrl, "https://tolva.example/download")
            }
        }
    }
}

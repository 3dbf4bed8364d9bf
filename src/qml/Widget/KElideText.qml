import QtQuick 2.15
import QtQuick.Controls 2.15

// A label that ends in "…" where its width cuts mFullText (measured in its own font), and then
// shows the whole text as a tool tip while the pointer rests on it. Give it a width (or anchors)
// to cut at. Qt Quick's own eliding cannot be used: with the application font it cuts without
// the ellipsis.
Text {
    id: mText

    property string mFullText: ""
    readonly property bool mCut: text !== mFullText

    text: KLocator.elidedText(mFullText, font.pointSize, font.family,
                              width - leftPadding - rightPadding)
    font.family: Qt.application.font.family

    HoverHandler {
        id: mHover
        enabled: mText.mCut
    }
    ToolTip.visible: mHover.hovered && mCut
    ToolTip.delay: 500
    ToolTip.text: mFullText
}

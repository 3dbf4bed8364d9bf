import QtQuick 2.15
import QtQuick.Controls 2.15

// A label that ends in "…" where its width cuts it, and then shows the whole text as a tool tip
// while the pointer rests on it. Give it a width (or anchors) to cut at.
Text {
    id: mText

    elide: Text.ElideRight
    font.family: Qt.application.font.family

    HoverHandler {
        id: mHover
        enabled: mText.truncated
    }
    ToolTip.visible: mHover.hovered && mText.truncated
    ToolTip.delay: 500
    ToolTip.text: mText.text
}

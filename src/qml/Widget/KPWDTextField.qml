import QtQuick 2.15
import QtQuick.Controls 2.15

// The input field of the forms: a light box with a placeholder text.
//
// What the user types is never changed unseen: a keystroke the field's pattern or length refuses,
// and a paste that would not fit or not be taken whole, are reported with sigInputRefused(reason)
// (the form shows the reason in its tip line). A paste that does not fit is refused as a whole
// instead of being cut.
TextField {
    id: mField

    property string mTooLongStr: qsTr("At most %1 characters can be entered here")
    property string mCharacterStr: qsTr("\"%1\" cannot be used here")
    property string mPasteStr: qsTr("The pasted text cannot be used here")

    signal sigInputRefused(string reason)

    // The text before a keystroke, compared once the field has handled it.
    property string mTextBefore: ""

    function checkTyped(typed, full) {
        if (text !== mTextBefore)
            return
        if (full)
            sigInputRefused(mTooLongStr.arg(maximumLength))
        else
            sigInputRefused(mCharacterStr.arg(typed))
    }

    function checkPasted(pasted) {
        if (pasted !== "" && text === mTextBefore)
            sigInputRefused(mPasteStr)
    }

    // The clipboard's text, read without touching the field.
    function clipboardText() {
        mClipboard.text = ""
        mClipboard.paste()
        var clip = mClipboard.text
        mClipboard.text = ""
        return clip
    }

    padding: KLocator.getScaleLength(6)
    leftPadding: KLocator.getScaleLength(10)
    rightPadding: KLocator.getScaleLength(10)
    selectByMouse: true
    color: "#343434"
    placeholderTextColor: "#888c9e"
    font.family: Qt.application.font.family
    font.pointSize: 10
    verticalAlignment: TextInput.AlignVCenter
    // Named by its placeholder (for password fields the toolkit offers it as the description
    // only, never a name).
    Accessible.name: placeholderText
    Accessible.description: placeholderText

    Keys.onPressed: {
        mTextBefore = text
        if (event.matches(StandardKey.Paste)) {
            var clip = clipboardText()
            var after = text.slice(0, selectionStart) + clip + text.slice(selectionEnd)
            if (after.length > maximumLength) {
                event.accepted = true
                sigInputRefused(mTooLongStr.arg(maximumLength))
                return
            }
            Qt.callLater(checkPasted, clip)
            return
        }
        var typed = event.text
        if (typed.length === 1 && typed.charCodeAt(0) >= 0x20 && typed.charCodeAt(0) !== 0x7f
                && !(event.modifiers & (Qt.ControlModifier | Qt.AltModifier)))
            Qt.callLater(checkTyped, typed,
                         selectionStart === selectionEnd && text.length >= maximumLength)
    }

    // Holds the clipboard's text for the paste check; never shown.
    TextInput {
        id: mClipboard
        visible: false
        width: 0
        height: 0
    }

    background: Rectangle {
        implicitWidth: KLocator.getScaleLength(200)
        implicitHeight: KLocator.getScaleLength(40)
        radius: KLocator.getScaleLength(4)
        color: "#edeff4"
        border.width: 1
        border.color: mField.activeFocus ? "#4c84ff" : "#edeff4"
    }
}

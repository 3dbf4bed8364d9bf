import QtQuick 2.15

// Password recovery: the success view, left empty (the dialog closes on success instead).
Item {
    id: mView

    signal sigClose()
}

import QtQuick 2.15
import QtQuick.Window 2.15

// A root document whose object cannot be created: an unknown property.
Window {
    visible: false
    notAProperty: 1
}

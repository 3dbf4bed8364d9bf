import QtQuick 2.15

// Placeholder for a wheel-function menu: shown under the menu name "MenuWheelStr", no content.
Rectangle {
    color: "red"
}

import QtQuick 2.15

// The mirror image of KMSSelectItem1, for labels to the left of the mouse picture: name and edit
// mark on the left, the line ending in the dot on the right.
KMSSelectItem1 {
    mIsMirrored: true
}

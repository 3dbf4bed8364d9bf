import QtQuick 2.15

// Placeholder for a further mouse model view; it has no content.
Item {}

import QtQuick
import QtQuick.Controls

// A menu item that shows its key, as desktop menus do, in the desktop's language and
// spelling (Strg+O in German): its action's shortcut, or `sequence` for a key that a tile
// handles itself.
MenuItem {
    id: menuItem

    property var sequence: action && action.shortcut ? action.shortcut : ""
    readonly property string keys: keyName.nativeText

    Shortcut {
        id: keyName
        enabled: false
        sequence: menuItem.sequence
    }

    contentItem: Item {
        implicitWidth: itemText.implicitWidth + (menuItem.keys ? keyText.implicitWidth + 32 : 0)
        implicitHeight: itemText.implicitHeight

        Label {
            id: itemText

            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            text: menuItem.text
            font: menuItem.font
            enabled: menuItem.enabled
        }
        Label {
            id: keyText

            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: menuItem.keys
            font: menuItem.font
            enabled: menuItem.enabled
            opacity: 0.6
        }
    }
}

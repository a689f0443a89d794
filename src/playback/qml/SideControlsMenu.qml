import QtQuick
import QtQuick.Controls
import Marquetrix.State
import Marquetrix.Playback

// The tile's crop, loop and open controls as the items of a drop-down menu, each with its
// caption: the form a narrow tile's bar keeps behind its "more" button. Items added where
// the menu is used come after these.
Menu {
    id: root

    required property PlayerState playerState
    required property ViewState viewState
    readonly property bool menuOpen: visible || cropMenu.visible || openMenu.visible

    signal openFileRequested()

    SideControlsActions {
        id: actions

        playerState: root.playerState
        viewState: root.viewState
    }

    Menu {
        id: cropMenu

        title: qsTr("Crop")

        MenuItem {
            text: qsTr("Landscape")
            icon.source: "qrc:/marquetrix/icons/crop-landscape.svg"
            icon.color: palette.windowText
            onTriggered: actions.cropLandscape()
        }
        MenuItem {
            text: qsTr("Portrait")
            icon.source: "qrc:/marquetrix/icons/crop-portrait.svg"
            icon.color: palette.windowText
            onTriggered: actions.cropPortrait()
        }
        MenuItem {
            text: qsTr("Original")
            onTriggered: actions.cropOriginal()
        }
    }

    MenuItem {
        objectName: "loopItem"
        text: actions.loopCaption
        icon.source: "qrc:/marquetrix/icons/media-playlist-repeat.svg"
        // The icons are drawn white for the dark bar; on the menu's ground they take its
        // text colour.
        icon.color: palette.windowText
        onTriggered: actions.toggleLoop()
    }

    Menu {
        id: openMenu

        title: qsTr("Open")

        MenuItem {
            text: qsTr("Open File")
            onTriggered: root.openFileRequested()
        }
        MenuItem {
            text: qsTr("Open URL")
            onTriggered: actions.openUrlIntoTile()
        }
    }
}

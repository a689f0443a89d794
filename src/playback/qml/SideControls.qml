import QtQuick
import QtQuick.Controls
import Marquetrix.State
import Marquetrix.Playback

// The tile's crop, loop and open controls as three icon buttons in a row (their menu form is
// SideControlsMenu). The open panel belongs to the tile, which outlives these controls: they
// only ask for it.
Row {
    id: root

    required property PlayerState playerState
    required property ViewState viewState

    readonly property alias actions: actions
    readonly property alias cropMenu: cropMenu
    readonly property alias openMenu: openMenu
    readonly property bool menuOpen: cropMenu.visible || openMenu.visible

    signal openFileRequested()

    SideControlsActions {
        id: actions

        playerState: root.playerState
        viewState: root.viewState
    }

    ToolButton {
        id: cropButton

        objectName: "cropButton"
        focusPolicy: Qt.NoFocus
        width: 35
        rightPadding: 3
        display: AbstractButton.IconOnly
        text: qsTr("Crop")
        icon.name: "transform-crop"
        icon.source: "qrc:/marquetrix/icons/transform-crop.svg"
        icon.color: "white"
        ToolTip.visible: hovered
        ToolTip.text: qsTr("Crop video")
        Accessible.name: qsTr("Crop video")
        onClicked: cropMenu.popup()

        Menu {
            id: cropMenu

            MenuItem {
                text: qsTr("Landscape")
                icon.source: "qrc:/marquetrix/icons/crop-landscape.svg"
                onTriggered: actions.cropLandscape()
            }
            MenuItem {
                text: qsTr("Portrait")
                icon.source: "qrc:/marquetrix/icons/crop-portrait.svg"
                onTriggered: actions.cropPortrait()
            }
            MenuItem {
                text: qsTr("Original")
                onTriggered: actions.cropOriginal()
            }
        }
    }

    ToolButton {
        id: loopButton

        objectName: "loopButton"
        focusPolicy: Qt.NoFocus
        width: 35
        display: AbstractButton.IconOnly
        text: actions.loopCaption
        icon.name: "media-playlist-repeat"
        icon.source: "qrc:/marquetrix/icons/media-playlist-repeat.svg"
        icon.color: root.playerState.repeatEnabled ? "white" : "gray"
        ToolTip.visible: hovered
        ToolTip.text: actions.loopCaption
        Accessible.name: actions.loopCaption
        onClicked: actions.toggleLoop()
    }

    ToolButton {
        id: openButton

        objectName: "openButton"
        focusPolicy: Qt.NoFocus
        width: 35
        rightPadding: 10
        display: AbstractButton.IconOnly
        text: qsTr("Open")
        icon.name: "media-eject"
        icon.source: "qrc:/marquetrix/icons/media-eject.svg"
        icon.color: "white"
        ToolTip.visible: hovered
        ToolTip.text: qsTr("Open new video")
        Accessible.name: qsTr("Open video")
        onClicked: openMenu.popup()

        Menu {
            id: openMenu

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
}

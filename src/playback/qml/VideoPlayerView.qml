import QtQuick
import QtQuick.Controls
import Marquetrix.State
import Marquetrix.Playback

// One tile: owns the tile's PlayerState, shows the picture, the loading indicator, the
// hover border and, while hovered, the control bar. Its TileController ticks the player
// binding every 0.3 s and removes a video that failed.
Item {
    id: root

    required property VideoMetadata videoMeta
    required property ViewState viewState
    required property LayoutState layoutState
    required property var engine

    readonly property string uuid: videoMeta.idText
    readonly property alias playerState: tileState
    readonly property alias tile: tile
    readonly property alias surface: surface

    PlayerState {
        id: tileState

        videoMeta: root.videoMeta
    }

    TileController {
        id: tile

        playerState: tileState
        viewState: root.viewState
        layoutState: root.layoutState
        hovered: hover.hovered
    }

    HoverHandler {
        id: hover
    }

    VideoSurface {
        id: surface

        anchors.fill: parent
        visible: !tile.failed
    }

    VideoView {
        playerState: tileState
        viewState: root.viewState
        layoutState: root.layoutState
        engine: root.engine
        drawable: surface.videoSink
    }

    BusyIndicator {
        anchors.centerIn: parent
        running: root.videoMeta.loading && !tile.failed
        visible: running
    }

    Loader {
        objectName: "controlsLoader"
        anchors.fill: parent
        z: 1
        active: tile.controlsShown
        opacity: active ? 1 : 0
        Behavior on opacity {
            NumberAnimation {
                duration: 150
            }
        }
        sourceComponent: VideoControlsView {
            playerState: tileState
            viewState: root.viewState
            playerId: root.uuid
        }
    }

    Rectangle {
        anchors.fill: parent
        z: 2
        visible: tile.borderWidth > 0
        color: "transparent"
        border.width: tile.borderWidth
        border.color: "white"
    }
}

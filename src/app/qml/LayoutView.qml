import QtQuick
import Marquetrix
import Marquetrix.State
import Marquetrix.Playback

// The window's tiles on black: one VideoPlayerView per placed video, at the rectangle the
// layout gives it. Rows are keyed by the video, so a relayout moves and resizes tiles and
// never rebuilds the tile (and player) of a video that stays. While the window is being
// resized, the arrangement last found is stretched to the window until the new one is
// there. A tile can be dropped on another to swap the two; the tile under the drag lights
// up.
Item {
    id: root

    required property LayoutState layoutState
    required property ViewState viewState
    required property MediaEngine engine
    // Shown instead of tiles when no layout could be found.
    property Component welcomeContent
    // The window's player keys.
    property TileKeys keys: null
    // Whose sound the window lets through.
    property SoundFocus soundFocus: null
    // The window's videos played in step.
    property TileSync sync: null
    readonly property alias model: layoutModel
    readonly property alias tiles: tiles
    readonly property real stretchX: layoutModel.areaWidth > 0 ? width / layoutModel.areaWidth : 1
    readonly property real stretchY: layoutModel.areaHeight > 0 ? height / layoutModel.areaHeight
                                                                : 1

    LayoutViewModel {
        id: layoutModel

        layoutState: root.layoutState
        layoutAlgorithm: AppSettings.layoutAlgorithm
        onIsMainFocusedChanged: {
            if (isMainFocused && root.Window.window)
                root.Window.window.requestActivate()
        }
    }

    Loader {
        anchors.fill: parent
        active: layoutModel.layoutFailed && root.welcomeContent !== null
        sourceComponent: root.welcomeContent
    }

    Repeater {
        id: tiles

        model: layoutModel

        delegate: Item {
            id: tile

            objectName: "tile"
            required property VideoMetadata videoMeta
            required property string videoId
            required property real tileX
            required property real tileY
            required property real tileWidth
            required property real tileHeight
            readonly property alias playerView: playerView

            x: tileX * root.stretchX
            y: tileY * root.stretchY
            width: tileWidth * root.stretchX
            height: tileHeight * root.stretchY

            Drag.dragType: Drag.Automatic
            Drag.active: dragHandler.active
            Drag.supportedActions: Qt.MoveAction
            Drag.mimeData: ({ "text/plain": tile.videoId })

            VideoPlayerView {
                id: playerView

                anchors.fill: parent
                videoMeta: tile.videoMeta
                viewState: root.viewState
                layoutState: root.layoutState
                engine: root.engine
                keys: root.keys
                soundFocus: root.soundFocus
                sync: root.sync
            }

            DragHandler {
                id: dragHandler

                target: null
                // A drag on a control (the seek slider) stays with the control.
                grabPermissions: PointerHandler.CanTakeOverFromHandlersOfSameType
                                 | PointerHandler.ApprovesTakeOverByAnything
            }

            DropArea {
                id: tileDrop

                objectName: "tileDropArea"
                anchors.fill: parent
                z: 3
                // Files and links are not a tile's text: they go on to the window, which
                // opens them.
                onEntered: drag => drag.accepted = drag.hasText && !drag.hasUrls
                onDropped: drop => {
                    const items = drop.hasText && !drop.hasUrls ? [drop.text] : [];
                    if (layoutModel.handleLeafDrop(items, tile.videoId))
                        drop.accept(Qt.MoveAction);
                }
            }

            Rectangle {
                objectName: "tileDropHighlight"
                anchors.fill: parent
                z: 3
                visible: tileDrop.containsDrag && !dragHandler.active
                color: "#403daee9"
                border.color: "#3daee9"
                border.width: 4
            }
        }
    }
}

import QtQuick
import Marquetrix
import Marquetrix.State
import Marquetrix.Playback

// The window's tiles on black: one VideoPlayerView per placed video, at the rectangle the
// layout gives it. Rows are keyed by the video, so a relayout moves and resizes tiles and
// never rebuilds the tile (and player) of a video that stays. A tile can be dropped on
// another to swap the two.
Rectangle {
    id: root

    required property LayoutState layoutState
    required property ViewState viewState
    required property var engine
    // Shown instead of tiles when no layout could be found.
    property Component welcomeContent
    readonly property alias model: layoutModel
    readonly property alias tiles: tiles

    color: "black"

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

            required property VideoMetadata videoMeta
            required property string videoId
            required property real tileX
            required property real tileY
            required property real tileWidth
            required property real tileHeight
            readonly property alias playerView: playerView

            x: tileX
            y: tileY
            width: tileWidth
            height: tileHeight

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
            }

            DragHandler {
                id: dragHandler

                target: null
                // A drag on a control (the seek slider) stays with the control.
                grabPermissions: PointerHandler.CanTakeOverFromHandlersOfSameType
                                 | PointerHandler.ApprovesTakeOverByAnything
            }

            DropArea {
                anchors.fill: parent
                // Files and links are not a tile's text: they go on to the window, which
                // opens them.
                onEntered: drag => drag.accepted = drag.hasText && !drag.hasUrls
                onDropped: drop => {
                    const items = drop.hasText && !drop.hasUrls ? [drop.text] : [];
                    if (layoutModel.handleLeafDrop(items, tile.videoId))
                        drop.accept(Qt.MoveAction);
                }
            }
        }
    }
}

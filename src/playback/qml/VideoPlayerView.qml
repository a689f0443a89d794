import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import Marquetrix.State
import Marquetrix.Playback

// One tile: owns the tile's PlayerState, shows the picture, the loading indicator, the
// hover border and, while hovered, the control bar. Its TileController ticks the player
// binding every 0.3 s and removes a video that failed. A right click offers the tile's
// actions as a menu; a left click makes the tile the one the window's player keys act on.
Item {
    id: root

    required property VideoMetadata videoMeta
    required property ViewState viewState
    required property LayoutState layoutState
    required property MediaEngine engine
    // The window's player keys; none where the tile stands alone.
    property TileKeys keys: null
    // Whose sound the window lets through; none: this tile is always heard.
    property SoundFocus soundFocus: null
    // The window's videos played in step; none where the tile stands alone.
    property TileSync sync: null

    readonly property string uuid: videoMeta.idText
    readonly property alias playerState: tileState
    readonly property alias tile: tile
    readonly property alias surface: surface
    readonly property alias contextMenu: contextMenu

    PlayerState {
        id: tileState

        videoMeta: root.videoMeta
    }

    TileController {
        id: tile

        playerState: tileState
        viewState: root.viewState
        layoutState: root.layoutState
        keys: root.keys
        soundFocus: root.soundFocus
        sync: root.sync
        hovered: hover.hovered
        menuOpen: controlsLoader.item ? controlsLoader.item.menuOpen : false
    }

    // The same requests as the bar's, for the context menu.
    VideoControls {
        id: tileControls

        playerState: tileState
    }

    SideControlsActions {
        id: tileActions

        playerState: tileState
        viewState: root.viewState
        engine: root.engine
    }

    HoverHandler {
        id: hover
    }

    TapHandler {
        acceptedButtons: Qt.LeftButton
        gesturePolicy: TapHandler.DragThreshold
        onTapped: tile.select()
    }

    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: {
            tile.select()
            contextMenu.popup()
        }
    }

    // The picture, on black where it does not reach.
    VideoPicture {
        id: surface

        anchors.fill: parent
        visible: !tile.failed
    }

    VideoView {
        playerState: tileState
        viewState: root.viewState
        layoutState: root.layoutState
        drawable: surface.videoSink
    }

    // Only while the video is on its way: a tile paused before it got going waits for nobody.
    BusyIndicator {
        anchors.centerIn: parent
        running: root.videoMeta.loading && root.videoMeta.playing && !tile.failed
        visible: running
    }

    // Over the last picture while a live source that dropped is connected again.
    Label {
        objectName: "reconnectNotice"
        anchors.centerIn: parent
        visible: root.videoMeta.reconnectAttempt > 0
        padding: 8
        text: qsTr("Reconnecting\u2026 (%1)").arg(root.videoMeta.reconnectAttempt)
        color: "white"
        background: Rectangle {
            color: "#99000000"
            radius: 6
        }
    }

    // The one tile heard while the others are silenced.
    Rectangle {
        objectName: "soundBadge"
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        anchors.margins: 8
        width: 28
        height: 28
        radius: 14
        color: "#99000000"
        visible: tile.heard

        Image {
            anchors.centerIn: parent
            width: 20
            height: 20
            source: tileState.muted ? "qrc:/marquetrix/icons/audio-volume-muted.svg"
                                    : "qrc:/marquetrix/icons/audio-volume-high.svg"
            sourceSize: Qt.size(20, 20)
        }
    }

    // The tile's place in its sync group.
    Label {
        objectName: "syncLabel"
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 8
        visible: tile.synced
        padding: 4
        text: tile.syncText
        color: "white"
        background: Rectangle {
            color: "#99000000"
            radius: 4
        }
    }

    Loader {
        id: controlsLoader

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
            onOpenFileRequested: FileDialogCheck.open(fileDialog)
        }
    }

    Rectangle {
        objectName: "border"
        anchors.fill: parent
        z: 2
        visible: tile.borderWidth > 0
        color: "transparent"
        border.width: tile.borderWidth
        border.color: tile.selected && !tile.hovered ? "#3daee9" : "white"
    }

    Menu {
        id: contextMenu

        objectName: "tileMenu"

        MenuItem {
            objectName: "tileMenuPlay"
            text: tileState.playing ? qsTr("Pause") : qsTr("Play")
            onTriggered: tileControls.playPause()
        }
        MenuItem {
            text: qsTr("Back 15 seconds")
            onTriggered: tileControls.jumpBackward()
        }
        MenuItem {
            text: qsTr("Forward 15 seconds")
            onTriggered: tileControls.jumpForward()
        }
        KeyedMenuItem {
            objectName: "tileMenuMute"
            text: qsTr("Mute")
            sequence: "M"
            checkable: true
            checked: tileState.muted
            onTriggered: tileControls.toggleMute()
        }
        MenuItem {
            objectName: "tileMenuLoop"
            text: qsTr("Loop")
            checkable: true
            checked: tileState.repeatEnabled
            onTriggered: tileActions.toggleLoop()
        }
        Menu {
            title: qsTr("Speed")

            KeyedMenuItem {
                objectName: "tileMenuFaster"
                text: qsTr("Faster")
                sequence: "]"
                onTriggered: tileControls.changeSpeed(1)
            }
            KeyedMenuItem {
                objectName: "tileMenuSlower"
                text: qsTr("Slower")
                sequence: "["
                onTriggered: tileControls.changeSpeed(-1)
            }
            KeyedMenuItem {
                objectName: "tileMenuNormalSpeed"
                text: qsTr("Normal Speed")
                sequence: "="
                onTriggered: tileControls.changeSpeed(0)
            }
        }
        KeyedMenuItem {
            objectName: "tileMenuNextFrame"
            text: qsTr("Next Frame")
            sequence: "."
            enabled: !tileState.playing
            onTriggered: tile.nextFrame()
        }
        Menu {
            title: qsTr("Sync")

            KeyedMenuItem {
                objectName: "tileMenuSyncAll"
                text: qsTr("Sync All to This Tile")
                sequence: "Y"
                enabled: root.sync !== null && root.layoutState.videoMetas.length > 1
                onTriggered: tile.syncAll()
            }
            KeyedMenuItem {
                objectName: "tileMenuUnsync"
                text: qsTr("Unsync")
                sequence: "Shift+Y"
                enabled: tile.synced
                onTriggered: tile.unsync()
            }
            MenuSeparator {}
            KeyedMenuItem {
                objectName: "tileMenuNudgeFrameEarlier"
                text: qsTr("Nudge Earlier by One Frame")
                sequence: ","
                enabled: tile.synced && !tileState.playing
                onTriggered: tile.nudgeFrame(-1)
            }
            MenuItem {
                objectName: "tileMenuNudgeFrameLater"
                text: qsTr("Nudge Later by One Frame")
                enabled: tile.synced && !tileState.playing
                onTriggered: tile.nudgeFrame(1)
            }
            KeyedMenuItem {
                objectName: "tileMenuNudgeEarlier"
                text: qsTr("Nudge Earlier by 100 ms")
                sequence: "Shift+,"
                enabled: tile.synced
                onTriggered: tile.nudge(-100)
            }
            KeyedMenuItem {
                objectName: "tileMenuNudgeLater"
                text: qsTr("Nudge Later by 100 ms")
                sequence: "Shift+."
                enabled: tile.synced
                onTriggered: tile.nudge(100)
            }
        }
        KeyedMenuItem {
            objectName: "tileMenuSnapshot"
            text: qsTr("Snapshot")
            sequence: "S"
            onTriggered: tileControls.snapshot()
        }
        Menu {
            title: qsTr("Subtitles")

            MenuItem {
                objectName: "tileMenuSubtitleFile"
                text: qsTr("Load Subtitle File\u2026")
                onTriggered: FileDialogCheck.open(subtitleDialog)
            }
            KeyedMenuItem {
                objectName: "tileMenuShowSubtitles"
                text: qsTr("Show Subtitles")
                sequence: "V"
                checkable: true
                checked: root.videoMeta.subtitlesShown
                onTriggered: tileControls.toggleSubtitles()
            }
        }
        Menu {
            title: qsTr("Crop")

            MenuItem {
                objectName: "tileMenuLandscape"
                text: qsTr("Landscape")
                onTriggered: tileActions.cropLandscape()
            }
            MenuItem {
                objectName: "tileMenuPortrait"
                text: qsTr("Portrait")
                onTriggered: tileActions.cropPortrait()
            }
            MenuItem {
                objectName: "tileMenuOriginal"
                text: qsTr("Original")
                onTriggered: tileActions.cropOriginal()
            }
        }
        MenuSeparator {}
        MenuItem {
            objectName: "tileMenuOpenFile"
            text: qsTr("Open File\u2026")
            onTriggered: FileDialogCheck.open(fileDialog)
        }
        MenuItem {
            objectName: "tileMenuOpenUrl"
            text: qsTr("Open URL\u2026")
            onTriggered: tileActions.openUrlIntoTile()
        }
        MenuSeparator {}
        MenuItem {
            objectName: "tileMenuClose"
            text: qsTr("Close")
            onTriggered: tileControls.close()
        }
    }

    FileDialog {
        id: subtitleDialog

        objectName: "subtitleDialog"
        fileMode: FileDialog.OpenFile
        nameFilters: [qsTr("Subtitles (*.srt *.ass *.ssa *.vtt)"), qsTr("All files (*)")]
        onAccepted: tileControls.setSubtitleFile(selectedFile)
    }

    // The tile's open panel: it outlives the bar, which goes when the pointer leaves.
    FileDialog {
        id: fileDialog

        objectName: "tileFileDialog"
        fileMode: FileDialog.OpenFile
        nameFilters: FileDialogCheck.videoFileFilters
        onAccepted: tileActions.openFileIntoTile(selectedFile)
    }
}

import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import Marquetrix
import Marquetrix.State
import Marquetrix.Playback
import Marquetrix.Opening

// The main window's content: the tiles or the welcome content on black, the full-screen
// banner, the two notices, the two dialog slots, drops, keys and the idle pointer. Its
// logic is the controller's.
FocusScope {
    id: root

    required property ContentController controller
    required property url helpUrl
    readonly property ViewState viewState: root.controller.viewState
    readonly property LayoutState layoutState: root.controller.layoutState
    readonly property bool dialogOpen: openUrlSlot.visible || settingsSlot.visible
                                       || FileDialogCheck.dialogShown

    // The open panel of the window's own menus and buttons: its files go to this window,
    // also when a desktop dialog holds the focus meanwhile.
    function openFiles() {
        FileDialogCheck.open(fileDialog)
    }

    Binding {
        target: root.controller
        property: "isFocused"
        value: root.activeFocus
    }

    TileKeys {
        id: tileKeys

        sync: root.controller.sync
        onFullScreenRequested: root.controller.toggleFullScreen()
    }

    SoundFocus {
        id: tileSound

        keys: tileKeys
        mode: AppSettings.soundMode
    }

    Component {
        id: welcome
        InitialView {
            viewState: root.viewState
            layoutState: root.layoutState
            helpUrl: root.helpUrl
            onOpenFilesRequested: root.openFiles()
        }
    }

    Loader {
        id: welcomeLoader
        objectName: "welcomeContent"
        anchors.fill: parent
        active: root.layoutState.videoMetas.length === 0
        sourceComponent: welcome
    }

    Loader {
        id: layoutLoader
        objectName: "layoutView"
        anchors.fill: parent
        active: root.layoutState.videoMetas.length > 0
        sourceComponent: LayoutView {
            layoutState: root.layoutState
            viewState: root.viewState
            engine: root.controller.engine
            keys: tileKeys
            soundFocus: tileSound
            sync: root.controller.sync
            welcomeContent: welcome
        }
    }

    Rectangle {
        objectName: "fullscreenBanner"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        anchors.topMargin: 50
        visible: root.layoutState.isFullscreen && !root.viewState.hideControls
        width: Math.min(400, bannerText.implicitWidth + 40)
        height: Math.min(100, bannerText.implicitHeight + 30)
        radius: 20
        color: "#404040"
        opacity: 0.7

        Label {
            id: bannerText
            anchors.centerIn: parent
            text: qsTr("Press esc to exit fullscreen")
            color: "white"
            font.pixelSize: 30
        }
    }

    // Above the tiles but taking only file and link drags: a tile dragged onto another
    // carries its id as text and passes through to the tiles.
    DropArea {
        id: windowDrop

        anchors.fill: parent
        keys: ["text/uri-list"]
        onDropped: drop => {
            root.controller.handleDrop(drop.urls)
            drop.accept(Qt.CopyAction)
        }
    }

    Rectangle {
        objectName: "windowDropHighlight"
        anchors.fill: parent
        visible: windowDrop.containsDrag
        color: "#303daee9"
        border.color: "#3daee9"
        border.width: 6
    }

    HoverHandler {
        cursorShape: root.controller.pointerHidden ? Qt.BlankCursor : Qt.ArrowCursor
        onPointChanged: root.controller.pointerMoved(point.scenePosition)
    }

    TapHandler {
        acceptedButtons: Qt.LeftButton
        grabPermissions: PointerHandler.ApprovesTakeOverByAnything
        gesturePolicy: TapHandler.DragThreshold
        onDoubleTapped: root.controller.toggleFullScreen()
    }

    Keys.onPressed: event => {
        if (event.key === Qt.Key_Escape)
            root.controller.exitFullscreen()
        else if (event.key === Qt.Key_Space)
            root.controller.togglePause()
        else
            tileKeys.press(event.key, event.modifiers)
        event.accepted = true
    }

    // The window's content takes the keyboard focus back whenever it lost it, unless a
    // menu, popup or dialog holds it: those need their keys (Escape, arrows, Return).
    function reclaimFocus() {
        if (root.activeFocus || root.dialogOpen)
            return
        for (let item = root.Window.activeFocusItem; item; item = item.parent) {
            if (item === Overlay.overlay)
                return
        }
        root.forceActiveFocus()
    }
    Connections {
        target: root.Window.window
        function onActiveFocusItemChanged() {
            Qt.callLater(root.reclaimFocus)
        }
    }

    AlertToast {
        objectName: "swapToast"
        title: qsTr("Can only swap videos of equal aspect ratio")
        shown: root.layoutState.showSwapAlert
        onDismissed: root.layoutState.showSwapAlert = false
    }

    AlertToast {
        objectName: "videoLimitToast"
        title: qsTr("At most %1 videos can be open at once").arg(root.layoutState.maxVideos)
        shown: root.layoutState.showVideoLimitAlert
        onDismissed: root.layoutState.showVideoLimitAlert = false
    }

    AlertToast {
        objectName: "snapshotToast"
        title: root.viewState.snapshotNotice
        shown: title !== ""
        onDismissed: root.viewState.snapshotNotice = ""
    }

    AlertToast {
        objectName: "failedToast"
        title: root.controller.failureNotice
        failure: true
        shown: root.viewState.showFailedToOpenAlert
        onDismissed: root.viewState.showFailedToOpenAlert = false
    }

    Popup {
        id: openUrlSlot
        objectName: "openUrlSlot"
        anchors.centerIn: parent
        modal: true
        padding: 0
        visible: root.viewState.openUrlVisible
        closePolicy: Popup.CloseOnEscape
        onClosed: if (root.viewState.openUrlVisible) root.viewState.openUrlVisible = false

        VideoOpener {
            viewState: root.viewState
            layoutState: root.layoutState
            engine: root.controller.engine
        }
    }

    Popup {
        id: settingsSlot
        objectName: "settingsSlot"
        anchors.centerIn: parent
        modal: true
        padding: 0
        visible: root.viewState.layoutSettingsVisible
        closePolicy: Popup.CloseOnEscape
        onClosed: if (root.viewState.layoutSettingsVisible) root.viewState.layoutSettingsVisible = false
        onOpened: settingsView.forceActiveFocus()

        LayoutSettingsView {
            id: settingsView
            viewState: root.viewState
        }
    }

    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        title: qsTr("Open Files")
        fileMode: FileDialog.OpenFiles
        nameFilters: FileDialogCheck.videoFileFilters
        onAccepted: root.controller.openFiles(selectedFiles)
    }

    AlertToast {
        id: fileDialogToast
        objectName: "fileDialogToast"
        property string reason
        title: qsTr("Cannot show the file dialog: %1").arg(reason)
        failure: true
        shown: reason !== ""
        onDismissed: reason = ""
    }
    Connections {
        target: FileDialogCheck
        function onRefused(reason) { fileDialogToast.reason = reason }
    }

    Component.onCompleted: {
        root.controller.stopAll()
        root.controller.setMeasuredArea(width, height)
        Qt.callLater(() => root.forceActiveFocus())
    }

    // There is no end-of-resize notice on every window system: the size settles once it
    // has stopped changing for a moment.
    Timer {
        id: resizeEnd
        interval: 150
        onTriggered: root.controller.refreshMeasuredArea(root.width, root.height)
    }
    onWidthChanged: resizeEnd.restart()
    onHeightChanged: resizeEnd.restart()
    Connections {
        target: root.Window.window
        function onActiveChanged() {
            if (root.Window.window.active)
                root.controller.refreshMeasuredArea(root.width, root.height)
        }
    }
}

import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import Marquetrix
import Marquetrix.Opening
import Marquetrix.Playback

// The one main window: the menus, the toolbar (hidden in full screen) and the content.
ApplicationWindow {
    id: window

    required property ContentController controller
    readonly property alias appDelegate: appDelegate
    readonly property alias updateChecker: updateChecker
    readonly property alias commands: commands
    readonly property alias session: session

    title: ""
    width: 1280
    height: 800
    minimumWidth: 640
    minimumHeight: 480
    color: "black"

    AppDelegate {
        id: appDelegate
    }

    UpdateChecker {
        id: updateChecker
    }

    SessionKeeper {
        id: session
        controller: content.controller
    }

    // Whose sound is heard: one choice of three.
    ActionGroup {
        id: soundModes
    }

    AppCommands {
        id: commands
        focused: window.active ? content.controller : null
    }

    menuBar: MenuBar {
        visible: !content.layoutState.isFullscreen
        // Qt 6.4's bar stays in its open mode when a menu closes while the pointer rests on
        // the bar (Escape): the next menu then opens on hover and closes again on the click
        // meant to open it. Without hover, every click opens its menu.
        delegate: MenuBarItem {
            hoverEnabled: false
        }

        Menu {
            title: qsTr("&File")
            delegate: KeyedMenuItem {}
            Action {
                objectName: "openFilesAction"
                text: qsTr("Open Files")
                shortcut: "Ctrl+O"
                onTriggered: content.openFiles()
            }
            Action {
                objectName: "openUrlAction"
                text: qsTr("Open URL")
                shortcut: "Ctrl+Shift+O"
                onTriggered: commands.showOpenUrl()
            }
            MenuSeparator {}
            Action {
                objectName: "savePlaylistAction"
                text: qsTr("Save as Playlist\u2026")
                enabled: commands.playbackEnabled
                onTriggered: FileDialogCheck.open(playlistDialog)
            }
            Action {
                objectName: "clearSessionAction"
                text: qsTr("Clear Session")
                onTriggered: session.clear()
            }
            MenuSeparator {}
            Action {
                text: qsTr("Quit")
                shortcut: "Ctrl+Q"
                onTriggered: window.close()
            }
        }
        Menu {
            title: qsTr("&Playback")
            delegate: KeyedMenuItem {}
            Action {
                objectName: "pauseAllAction"
                text: commands.pauseAllTitle
                shortcut: "Space"
                enabled: commands.playbackEnabled
                onTriggered: commands.pauseAll()
            }
            Action {
                objectName: "repeatAllAction"
                text: commands.repeatAllTitle
                shortcut: "Ctrl+R"
                enabled: commands.playbackEnabled
                onTriggered: commands.repeatAll()
            }
            Action {
                objectName: "muteAllAction"
                text: commands.muteAllTitle
                shortcut: "Ctrl+T"
                enabled: commands.playbackEnabled
                onTriggered: commands.muteAll()
            }
            MenuSeparator {}
            Action {
                objectName: "fasterAllAction"
                text: qsTr("Faster All")
                shortcut: "Ctrl+]"
                enabled: commands.playbackEnabled
                onTriggered: commands.changeSpeedAll(1)
            }
            Action {
                objectName: "slowerAllAction"
                text: qsTr("Slower All")
                shortcut: "Ctrl+["
                enabled: commands.playbackEnabled
                onTriggered: commands.changeSpeedAll(-1)
            }
            Action {
                objectName: "normalSpeedAllAction"
                text: qsTr("Normal Speed All")
                shortcut: "Ctrl+="
                enabled: commands.playbackEnabled
                onTriggered: commands.changeSpeedAll(0)
            }
            MenuSeparator {}
            Action {
                objectName: "seekAllBackAction"
                text: qsTr("Seek All Back 5 Seconds")
                shortcut: "Ctrl+Left"
                enabled: commands.playbackEnabled
                onTriggered: commands.seekAll(-5)
            }
            Action {
                objectName: "seekAllForwardAction"
                text: qsTr("Seek All Forward 5 Seconds")
                shortcut: "Ctrl+Right"
                enabled: commands.playbackEnabled
                onTriggered: commands.seekAll(5)
            }
            MenuSeparator {}
            Action {
                objectName: "snapshotAllAction"
                text: qsTr("Snapshot All")
                shortcut: "Shift+S"
                enabled: commands.playbackEnabled
                onTriggered: commands.snapshotAll(window)
            }
            MenuSeparator {}
            Action {
                objectName: "soundMode0"
                text: qsTr("Sound from All Tiles")
                checkable: true
                checked: AppSettings.soundMode === 0
                ActionGroup.group: soundModes
                onTriggered: AppSettings.soundMode = 0
            }
            Action {
                objectName: "soundMode1"
                text: qsTr("Sound from the Tile Under the Pointer")
                checkable: true
                checked: AppSettings.soundMode === 1
                ActionGroup.group: soundModes
                onTriggered: AppSettings.soundMode = 1
            }
            Action {
                objectName: "soundMode2"
                text: qsTr("Sound from the Focused Tile")
                checkable: true
                checked: AppSettings.soundMode === 2
                ActionGroup.group: soundModes
                onTriggered: AppSettings.soundMode = 2
            }
        }
        Menu {
            title: qsTr("&Layout")
            delegate: KeyedMenuItem {}
            Action {
                objectName: "shuffleAction"
                text: qsTr("Shuffle layout")
                shortcut: "Ctrl+L"
                enabled: commands.shuffleEnabled
                onTriggered: commands.shuffle()
            }
            Action {
                objectName: "settingsAction"
                text: qsTr("Settings")
                onTriggered: commands.showLayoutSettings()
            }
        }
        Menu {
            title: qsTr("&Help")
            delegate: KeyedMenuItem {}
            Action {
                objectName: "keyboardShortcutsAction"
                text: qsTr("Keyboard shortcuts")
                shortcut: "F1"
                onTriggered: window.showKeyboardShortcuts()
            }
            Action {
                objectName: "helpAction"
                text: qsTr("Marquetrix Help")
                onTriggered: Qt.openUrlExternally(commands.helpUrl)
            }
            Action {
                objectName: "checkForUpdatesAction"
                text: qsTr("Check for Updates\u2026")
                enabled: window.updateChecker.canCheckForUpdates
                onTriggered: window.updateChecker.checkForUpdates()
            }
            Action {
                objectName: "aboutAction"
                text: qsTr("About Marquetrix")
                onTriggered: window.appDelegate.showAboutWindow()
            }
        }
    }

    header: ToolBar {
        visible: !content.layoutState.isFullscreen

        RowLayout {
            anchors.fill: parent

            Item { Layout.fillWidth: true }
            ToolButton {
                objectName: "addVideoButton"
                focusPolicy: Qt.NoFocus
                text: qsTr("Add video")
                icon.name: "list-add"
                icon.source: "qrc:/marquetrix/icons/list-add.svg"
                display: AbstractButton.TextBesideIcon
                onClicked: addMenu.open()

                Menu {
                    id: addMenu
                    objectName: "addMenu"
                    y: parent.height
                    MenuItem {
                        text: qsTr("Open Files")
                        onTriggered: content.openFiles()
                    }
                    MenuItem {
                        text: qsTr("Open URL")
                        onTriggered: content.controller.showOpenUrl()
                    }
                }
            }
            ToolButton {
                objectName: "fullscreenButton"
                focusPolicy: Qt.NoFocus
                icon.name: "view-fullscreen"
                icon.source: "qrc:/marquetrix/icons/view-fullscreen.svg"
                text: qsTr("Full screen")
                display: AbstractButton.IconOnly
                onClicked: content.controller.toggleFullScreen()
            }
        }
    }

    ContentView {
        id: content
        anchors.fill: parent
        controller: window.controller
        helpUrl: commands.helpUrl
        focus: true
    }

    Connections {
        target: content.controller
        function onToggleFullScreenRequested() {
            if (window.visibility === Window.FullScreen)
                window.showNormal()
            else
                window.showFullScreen()
        }
    }
    onVisibilityChanged: shown => content.controller.setFullscreen(shown === Window.FullScreen)
    // The application ends with its main window, also while the About window is open.
    onClosing: {
        content.controller.stopAll()
        Qt.quit()
    }

    function showKeyboardShortcuts() {
        helpWindow.show()
        helpWindow.raise()
        helpWindow.requestActivate()
    }

    HelpWindow {
        id: helpWindow
        objectName: "helpWindow"
    }

    // "?" is a shifted key on most layouts; both spellings reach the list.
    Shortcut {
        sequences: ["Ctrl+?", "Ctrl+Shift+?"]
        onActivated: window.showKeyboardShortcuts()
    }

    UpdateNotice {
        checker: window.updateChecker
    }

    FileDialog {
        id: playlistDialog
        objectName: "playlistDialog"
        title: qsTr("Save as Playlist")
        fileMode: FileDialog.SaveFile
        nameFilters: [qsTr("Playlists (*.m3u8)")]
        defaultSuffix: "m3u8"
        currentFolder: session.playlistFolder
        onAccepted: session.saveAsPlaylist(selectedFile)
    }

    AlertToast {
        title: session.failure
        failure: true
        shown: session.failure !== ""
        onDismissed: session.dismissFailure()
    }
}

import QtQuick
import QtQuick.Controls
import Marquetrix.State
import Marquetrix.Playback

// The control bar laid over a hovered tile: title, close button, and a rounded row with the
// seek slider, the transport buttons, mute and volume, and the side controls. What each
// control does and how the bar measures itself comes from VideoControls. Its buttons never
// take the keyboard focus: the window's keys stay with the window.
Item {
    id: root

    required property PlayerState playerState
    required property ViewState viewState
    property string playerId
    readonly property bool closeHovered: closeButton.hovered
    readonly property alias controls: controls
    // The tile keeps the bar while one of these is open: the pointer is then over the menu.
    readonly property bool menuOpen: sideMenu.menuOpen || inlineSide.menuOpen

    signal openFileRequested()

    VideoControls {
        id: controls

        playerState: root.playerState
        width: root.width
    }

    // The title stays readable on a light picture.
    Rectangle {
        x: title.x + title.padding - 6
        y: title.y + title.padding - 2
        width: Math.min(title.contentWidth, title.width - 2 * title.padding) + 12
        height: title.contentHeight + 4
        radius: 4
        color: "#99000000"
        visible: title.text !== ""
    }

    Label {
        id: title

        objectName: "title"
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.right: closeButton.left
        padding: controls.titlePadding
        text: root.playerState.videoMeta ? root.playerState.videoMeta.title : ""
        textFormat: Text.PlainText
        elide: Text.ElideRight
        maximumLineCount: 1
        font.pixelSize: 22
        color: "white"
        style: Text.Raised
        styleColor: "black"

        HoverHandler {
            id: titleHover
        }

        // Its own tooltip, not the window's shared one: it goes with the bar. Only a title
        // cut short needs it, and only after the pointer rests on it.
        ToolTip {
            objectName: "titleToolTip"
            visible: titleHover.hovered && title.truncated
            delay: 800
            text: title.text
            // The title may come from a web page: shown as text, never as markup.
            contentItem: Label {
                text: title.text
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
            }
        }
    }

    ToolButton {
        id: closeButton

        objectName: "closeButton"
        focusPolicy: Qt.NoFocus
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.margins: controls.widthClass === VideoControls.Tiny ? 2 : 30
        width: 25
        height: 25
        padding: 0
        flat: true
        display: AbstractButton.IconOnly
        opacity: hovered ? 1.0 : 0.7
        icon.name: "window-close"
        icon.source: "qrc:/marquetrix/icons/window-close.svg"
        icon.color: "transparent"
        icon.width: 25
        icon.height: 25
        background: null
        ToolTip.visible: hovered
        ToolTip.text: qsTr("Close")
        Accessible.name: qsTr("Close video")
        onClicked: controls.close()
    }

    Rectangle {
        id: bar

        anchors.centerIn: parent
        width: Math.min(root.width, Math.max(controls.rowMinimumWidth,
                        Math.min(controls.rowMaximumWidth, root.width - 2 * controls.rowPadding)))
        height: rows.implicitHeight + 12
        radius: 12
        color: "#202020"
        opacity: 0.9

        Column {
            id: rows

            anchors.centerIn: parent
            width: parent.width - 2 * controls.rowPadding
            spacing: 2

            Row {
                id: seekRow

                width: parent.width
                spacing: 4

                Label {
                    id: positionLabel

                    objectName: "positionLabel"
                    anchors.verticalCenter: parent.verticalCenter
                    visible: controls.widthClass !== VideoControls.Tiny
                    text: controls.positionText
                    color: "white"
                }
                Slider {
                    id: seekSlider

                    objectName: "seekSlider"
                    focusPolicy: Qt.NoFocus
                    width: parent.width - (positionLabel.visible ? positionLabel.width
                                                                   + durationLabel.width + 8 : 0)
                    from: 0
                    to: root.playerState.videoMeta ? root.playerState.videoMeta.mediaLength : 0
                    value: root.playerState.displayedPosition
                    Accessible.name: qsTr("Position")
                    onMoved: root.playerState.displayedPosition = value
                    onPressedChanged: controls.setEditing(pressed)
                }
                Label {
                    id: durationLabel

                    objectName: "durationLabel"
                    anchors.verticalCenter: parent.verticalCenter
                    visible: positionLabel.visible
                    text: controls.durationText
                    color: "white"
                }
            }

            Row {
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: controls.widthClass === VideoControls.Wide ? controls.spacing / 2 : 0

                ToolButton {
                    objectName: "backButton"
                    focusPolicy: Qt.NoFocus
                    visible: controls.transportInline
                    display: AbstractButton.IconOnly
                    icon.name: "media-seek-backward"
                    icon.source: "qrc:/marquetrix/icons/media-seek-backward.svg"
                    icon.color: "white"
                    ToolTip.visible: hovered
                    ToolTip.text: qsTr("Back 15 seconds")
                    Accessible.name: ToolTip.text
                    onClicked: controls.jumpBackward()
                }
                ToolButton {
                    objectName: "playButton"
                    focusPolicy: Qt.NoFocus
                    display: AbstractButton.IconOnly
                    icon.name: root.playerState.playing ? "media-playback-pause"
                                                        : "media-playback-start"
                    icon.source: root.playerState.playing
                                 ? "qrc:/marquetrix/icons/media-playback-pause.svg"
                                 : "qrc:/marquetrix/icons/media-playback-start.svg"
                    icon.color: "white"
                    ToolTip.visible: hovered
                    ToolTip.text: root.playerState.playing ? qsTr("Pause") : qsTr("Play")
                    Accessible.name: ToolTip.text
                    onClicked: controls.playPause()
                }
                ToolButton {
                    objectName: "forwardButton"
                    focusPolicy: Qt.NoFocus
                    visible: controls.transportInline
                    display: AbstractButton.IconOnly
                    icon.name: "media-seek-forward"
                    icon.source: "qrc:/marquetrix/icons/media-seek-forward.svg"
                    icon.color: "white"
                    ToolTip.visible: hovered
                    ToolTip.text: qsTr("Forward 15 seconds")
                    Accessible.name: ToolTip.text
                    onClicked: controls.jumpForward()
                }
                ToolButton {
                    objectName: "muteButton"
                    focusPolicy: Qt.NoFocus
                    display: AbstractButton.IconOnly
                    flat: true
                    icon.name: root.playerState.muted ? "audio-volume-muted" : "audio-volume-high"
                    icon.source: root.playerState.muted
                                 ? "qrc:/marquetrix/icons/audio-volume-muted.svg"
                                 : "qrc:/marquetrix/icons/audio-volume-high.svg"
                    icon.color: "white"
                    ToolTip.visible: hovered
                    ToolTip.text: root.playerState.muted ? qsTr("Unmute") : qsTr("Mute")
                    Accessible.name: ToolTip.text
                    onClicked: controls.toggleMute()
                }
                Slider {
                    objectName: "volumeSlider"
                    focusPolicy: Qt.NoFocus
                    visible: controls.transportInline
                    anchors.verticalCenter: parent.verticalCenter
                    width: controls.volumeWidth
                    height: 20
                    from: 0
                    to: 100
                    value: root.playerState.videoMeta ? root.playerState.videoMeta.volume : 0
                    Accessible.name: qsTr("Volume")
                    onMoved: root.playerState.videoMeta.volume = value
                }
                Label {
                    objectName: "rateLabel"
                    anchors.verticalCenter: parent.verticalCenter
                    visible: text !== ""
                    text: controls.rateText
                    color: "white"
                }
                SideControls {
                    id: inlineSide

                    anchors.verticalCenter: parent.verticalCenter
                    visible: controls.sideControlsInline
                    playerState: root.playerState
                    viewState: root.viewState
                    onOpenFileRequested: root.openFileRequested()
                }
                ToolButton {
                    objectName: "moreButton"
                    focusPolicy: Qt.NoFocus
                    visible: !controls.sideControlsInline
                    display: AbstractButton.IconOnly
                    icon.name: "view-more-horizontal"
                    icon.source: "qrc:/marquetrix/icons/view-more.svg"
                    icon.color: "white"
                    ToolTip.visible: hovered
                    ToolTip.text: qsTr("More")
                    Accessible.name: ToolTip.text
                    onClicked: sideMenu.popup(0, height)

                    SideControlsMenu {
                        id: sideMenu

                        objectName: "moreMenu"
                        playerState: root.playerState
                        viewState: root.viewState
                        onOpenFileRequested: root.openFileRequested()

                        // What a tiny bar leaves out of its row.
                        MenuItem {
                            text: qsTr("Back 15 seconds")
                            visible: !controls.transportInline
                            height: visible ? implicitHeight : 0
                            onTriggered: controls.jumpBackward()
                        }
                        MenuItem {
                            text: qsTr("Forward 15 seconds")
                            visible: !controls.transportInline
                            height: visible ? implicitHeight : 0
                            onTriggered: controls.jumpForward()
                        }
                    }
                }
            }
        }
    }
}

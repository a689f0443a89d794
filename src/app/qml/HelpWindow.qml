import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The keyboard shortcuts, as a list beside the main window.
Window {
    id: window

    title: qsTr("Keyboard shortcuts")
    width: 460
    height: 520
    minimumWidth: 320
    minimumHeight: 240
    color: palette.window

    ListModel {
        id: shortcuts

        ListElement { keys: qsTr("Space"); action: qsTr("Pause or play all videos") }
        ListElement { keys: "Esc"; action: qsTr("Leave full screen") }
        ListElement { keys: qsTr("Ctrl+O"); action: qsTr("Open files") }
        ListElement { keys: qsTr("Ctrl+Shift+O"); action: qsTr("Open a link") }
        ListElement { keys: qsTr("Ctrl+R"); action: qsTr("Repeat all videos") }
        ListElement { keys: qsTr("Ctrl+T"); action: qsTr("Mute all videos") }
        ListElement { keys: qsTr("Ctrl+L"); action: qsTr("Shuffle the layout") }
        ListElement { keys: qsTr("Ctrl+] / Ctrl+["); action: qsTr("All videos faster or slower") }
        ListElement { keys: qsTr("Ctrl+="); action: qsTr("All videos at normal speed") }
        ListElement { keys: qsTr("Shift+S"); action: qsTr("Snapshot of every video and of the window") }
        ListElement { keys: qsTr("Ctrl+\u2190 / Ctrl+\u2192"); action: qsTr("All videos back or forward 5 seconds") }
        ListElement { keys: qsTr("F1, Ctrl+?"); action: qsTr("Show this list") }
        ListElement { keys: ""; action: qsTr("For the video under the pointer, or the one clicked last:") }
        ListElement { keys: "\u2190 / \u2192"; action: qsTr("Back or forward 5 seconds") }
        ListElement { keys: qsTr("Shift+\u2190 / \u2192"); action: qsTr("Back or forward 1 minute") }
        ListElement { keys: "\u2191 / \u2193"; action: qsTr("Volume up or down") }
        ListElement { keys: "M"; action: qsTr("Mute or unmute") }
        ListElement { keys: "F"; action: qsTr("Full screen") }
        ListElement { keys: "0 \u2013 9"; action: qsTr("Jump to 0 % \u2013 90 %") }
        ListElement { keys: qsTr("Home / End"); action: qsTr("Jump to the start or the end") }
        ListElement { keys: "] / ["; action: qsTr("Faster or slower (0.25\u00d7 \u2013 4\u00d7)") }
        ListElement { keys: "="; action: qsTr("Normal speed") }
        ListElement { keys: "."; action: qsTr("Next frame of a paused video") }
        ListElement { keys: "S"; action: qsTr("Snapshot into the pictures folder") }
        ListElement { keys: "V"; action: qsTr("Show or hide subtitles") }
        ListElement { keys: "Y"; action: qsTr("Sync all videos to this one") }
        ListElement { keys: qsTr("Shift+Y"); action: qsTr("Unsync") }
        ListElement { keys: ", / ."; action: qsTr("Synced and paused: nudge one frame earlier or later (. on the leader: next frame of all)") }
        ListElement { keys: qsTr("Shift+, / Shift+."); action: qsTr("Synced: nudge 100 ms earlier or later") }
    }

    ListView {
        objectName: "shortcutList"
        anchors.fill: parent
        anchors.margins: 16
        model: shortcuts
        spacing: 6
        delegate: RowLayout {
            required property string keys
            required property string action

            width: ListView.view.width
            spacing: 16

            Label {
                Layout.preferredWidth: 150
                text: keys
                font.bold: true
                textFormat: Text.PlainText
            }
            Label {
                Layout.fillWidth: true
                text: action
                wrapMode: Text.WordWrap
                font.italic: keys === ""
                textFormat: Text.PlainText
            }
        }
    }

    Shortcut {
        sequence: StandardKey.Cancel
        onActivated: window.close()
    }
}

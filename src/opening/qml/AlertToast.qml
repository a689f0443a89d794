import QtQuick
import QtQuick.Controls

// The one notice of the application: centred, for `duration` ms or until tapped; `dismissed`
// resets the flag behind it. A failure shows a red cross above its title.
Rectangle {
    id: toast

    required property string title
    property bool shown: false
    property bool failure: false
    property int duration: 3000
    signal dismissed()

    visible: shown
    anchors.centerIn: parent
    z: 100
    radius: 12
    color: "#e6303030"
    width: content.implicitWidth + 48
    height: content.implicitHeight + 32

    Column {
        id: content
        anchors.centerIn: parent
        spacing: 8

        Label {
            anchors.horizontalCenter: parent.horizontalCenter
            visible: toast.failure
            text: "\u2715"
            color: "red"
            font.pixelSize: 32
        }

        Label {
            objectName: "toastTitle"
            text: toast.title
            textFormat: Text.PlainText
            color: "white"
            font.bold: true
            font.pixelSize: 16
        }
    }

    Timer {
        running: toast.shown
        interval: toast.duration
        onTriggered: toast.dismissed()
    }

    TapHandler {
        onTapped: toast.dismissed()
    }
}

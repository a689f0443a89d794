import QtQuick
import QtQuick.Controls

// A short red notice in the centre, for `duration` ms or until tapped.
Rectangle {
    id: toast

    required property string title
    property int duration: 3000
    property bool shown: false
    signal dismissed()

    visible: shown
    z: 100
    radius: 10
    color: "#d32f2f"
    width: message.implicitWidth + 40
    height: message.implicitHeight + 24

    Label {
        id: message
        anchors.centerIn: parent
        text: toast.title
        textFormat: Text.PlainText
        color: "white"
        font.bold: true
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

import QtQuick
import QtMultimedia

// The picture of one tile. The engine draws into `videoSink`; the picture keeps its aspect
// ratio on a black ground.
Rectangle {
    readonly property alias videoSink: output.videoSink

    color: "black"

    VideoOutput {
        id: output

        anchors.fill: parent
        fillMode: VideoOutput.PreserveAspectFit
    }
}

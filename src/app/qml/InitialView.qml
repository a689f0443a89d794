import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Marquetrix.State

// The welcome content while no video is open.
Item {
    id: root

    required property ViewState viewState
    required property LayoutState layoutState
    required property url helpUrl
    signal openFilesRequested()

    ColumnLayout {
        anchors.centerIn: parent
        width: Math.min(600, root.width - 40)
        spacing: 6

        Image {
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: Math.min(200, root.height / 4)
            Layout.preferredHeight: Layout.preferredWidth
            source: "Logo.svg"
            sourceSize: Qt.size(200, 200)
            fillMode: Image.PreserveAspectFit
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: -10
            text: "Marquetrix"
            color: "white"
            font.pixelSize: 24
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            Layout.bottomMargin: 10
            text: qsTr("Play everything. All at once!")
            color: "white"
            font.bold: true
            font.pixelSize: 20
        }
        Label {
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            textFormat: Text.StyledText
            color: "white"
            text: qsTr("<b>Marquetrix</b> supports playback of multiple videos at once, and automatically handles the layout of the videos. You can open files from your computer, files on web servers, and online streams.")
        }
        Button {
            objectName: "showHelp"
            Layout.alignment: Qt.AlignHCenter
            flat: true
            text: qsTr("Show help")
            font.pixelSize: 16
            font.underline: true
            palette.buttonText: "#4da3ff"
            onClicked: Qt.openUrlExternally(root.helpUrl)
            Keys.onReturnPressed: root.viewState.helpVisible = true
        }
        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 20

            Button {
                objectName: "welcomeOpenFiles"
                flat: true
                text: qsTr("Open Files")
                font.pixelSize: 18
                palette.buttonText: "#4da3ff"
                onClicked: root.openFilesRequested()
            }
            Button {
                objectName: "welcomeOpenUrl"
                flat: true
                text: qsTr("Open URL")
                font.pixelSize: 18
                palette.buttonText: "#4da3ff"
                onClicked: root.viewState.openUrlVisible = true
            }
        }
    }

    Row {
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.rightMargin: 85
        anchors.topMargin: 10
        spacing: 8
        visible: !root.layoutState.isFullscreen

        Label {
            text: qsTr("Here you can add new videos")
            color: "white"
            font.pixelSize: 20
        }
        Label {
            text: "\u2191"
            color: "white"
            font.pixelSize: 20
        }
    }
}

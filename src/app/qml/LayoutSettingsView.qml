import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Marquetrix
import Marquetrix.State

// The layout objective; a choice is stored and takes effect at once. Return closes.
Pane {
    id: root

    required property ViewState viewState

    padding: 15
    implicitWidth: 500
    implicitHeight: Math.max(160, column.implicitHeight + 30)
    focus: true
    Keys.onReturnPressed: done.clicked()
    Keys.onEnterPressed: done.clicked()

    ColumnLayout {
        id: column
        anchors.fill: parent
        spacing: 8

        Label {
            text: qsTr("Layout settings")
            font.bold: true
            font.pixelSize: 15
        }
        Label {
            Layout.fillWidth: true
            Layout.minimumHeight: 50
            wrapMode: Text.WordWrap
            font.pixelSize: 12
            text: qsTr("The layout algorithm can be configured to minimize wasted screen space, or to prioritize keeping the videos sizes more uniform, or to use a compromise between the two approaches.")
        }
        MenuSeparator {
            Layout.fillWidth: true
        }
        Label {
            text: qsTr("Layout algorithm")
            font.bold: true
            font.pixelSize: 12
        }
        Repeater {
            model: [
                { title: qsTr("Prioritize screen usage"), value: 0 },
                { title: qsTr("Balanced"), value: 1 },
                { title: qsTr("Prioritize uniform video sizes"), value: 2 }
            ]
            delegate: RadioButton {
                required property var modelData
                objectName: "algorithm" + modelData.value
                text: modelData.title
                checked: AppSettings.layoutAlgorithm === modelData.value
                onToggled: AppSettings.layoutAlgorithm = modelData.value
            }
        }
        MenuSeparator {
            Layout.fillWidth: true
        }
        CheckBox {
            objectName: "restoreSession"
            text: qsTr("Restore videos on start")
            checked: AppSettings.restoreSession
            onToggled: AppSettings.restoreSession = checked
        }
        Button {
            id: done
            objectName: "settingsDone"
            Layout.alignment: Qt.AlignRight
            text: qsTr("Done")
            font.pixelSize: 16
            highlighted: true
            onClicked: root.viewState.layoutSettingsVisible = false
        }
    }
}

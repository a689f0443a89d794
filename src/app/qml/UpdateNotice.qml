import QtQuick
import QtQuick.Controls
import Marquetrix

// Tells the user what the last update check found.
Dialog {
    id: dialog

    required property UpdateChecker checker

    objectName: "updateNotice"
    anchors.centerIn: parent
    modal: true
    width: 440
    title: qsTr("Check for Updates\u2026")

    Label {
        objectName: "updateMessage"
        width: dialog.availableWidth
        text: dialog.checker.message
        textFormat: Text.PlainText
        wrapMode: Text.WordWrap
    }

    footer: DialogButtonBox {
        Button {
            text: qsTr("Open release page")
            visible: dialog.checker.result === UpdateChecker.UpdateAvailable
                     && dialog.checker.releaseUrl.toString().length > 0
            onClicked: Qt.openUrlExternally(dialog.checker.releaseUrl)
        }
        Button {
            text: qsTr("OK")
            DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
        }
    }

    Connections {
        target: dialog.checker
        function onFinished() { dialog.open() }
    }
}

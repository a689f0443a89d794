import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Marquetrix.Opening
import Marquetrix.Playback
import Marquetrix.State

// The open-by-link dialog's content. Its logic is the controller's; this file lays it out.
Pane {
    id: root

    required property ViewState viewState
    required property LayoutState layoutState
    // The media engine the new tiles' players come from.
    required property MediaEngine engine

    readonly property alias controller: controller

    padding: 20
    // Sized by the form alone: the toast beside it would leave the pane without a content
    // size, and the background would cover only the padding.
    contentWidth: 450
    contentHeight: form.implicitHeight

    VideoOpenerController {
        id: controller
        viewState: root.viewState
        layoutState: root.layoutState
        engine: root.engine
    }

    ColumnLayout {
        id: form
        anchors.fill: parent
        spacing: 10

        Label {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Provide a link to a video file or stream.")
        }

        TextField {
            id: linkField
            objectName: "videoUrlField"
            Layout.fillWidth: true
            placeholderText: qsTr("Video URL")
            font.pixelSize: 18
            enabled: !controller.loadingUrl
            text: controller.videoUrl
            onTextEdited: controller.videoUrl = text
            onAccepted: openButton.clicked()
            background: Rectangle {
                radius: 8
                border.color: palette.mid
                color: palette.base
            }
        }

        Label {
            Layout.fillWidth: true
            Layout.topMargin: 5
            horizontalAlignment: Text.AlignHCenter
            text: qsTr("Authentication")
            font.bold: true
        }

        Frame {
            Layout.fillWidth: true
            padding: 10
            background: Rectangle {
                radius: 6
                color: "transparent"
                border.color: palette.mid
            }

            ColumnLayout {
                anchors.fill: parent

                RowLayout {
                    Layout.margins: 5
                    Label { text: qsTr("Username") }
                    TextField {
                        objectName: "usernameField"
                        Layout.fillWidth: true
                        placeholderText: qsTr("Username")
                        text: controller.username
                        onTextEdited: controller.username = text
                    }
                }
                RowLayout {
                    Layout.margins: 5
                    Label { text: qsTr("Password") }
                    TextField {
                        objectName: "passwordField"
                        Layout.fillWidth: true
                        placeholderText: qsTr("Password")
                        echoMode: TextInput.Password
                        text: controller.password
                        onTextEdited: controller.password = text
                    }
                }
                CheckBox {
                    objectName: "saveCredentialsBox"
                    Layout.leftMargin: 10
                    text: qsTr("Store password in key chain")
                    checked: controller.saveCredentials
                    onToggled: controller.saveCredentials = checked
                }
            }
        }

        Label {
            objectName: "errorLine"
            Layout.fillWidth: true
            visible: controller.errorMessage !== ""
            text: controller.errorMessage
            textFormat: Text.PlainText
            color: "red"
            wrapMode: Text.Wrap
        }

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            visible: controller.loadingUrl

            Label {
                id: loadingLabel
                objectName: "loadingLabel"
                Layout.preferredWidth: 350
                Layout.preferredHeight: 30
                verticalAlignment: Text.AlignVCenter
                font.pixelSize: 20
                text: controller.loadingText
                Behavior on text {
                    SequentialAnimation {
                        NumberAnimation { target: loadingLabel; property: "opacity"; to: 0; duration: 120 }
                        PropertyAction {}
                        NumberAnimation { target: loadingLabel; property: "opacity"; to: 1; duration: 300; easing.type: Easing.OutBack }
                    }
                }
            }
            BusyIndicator {
                Layout.leftMargin: 10
                Layout.rightMargin: 10
                running: controller.loadingUrl
            }
        }

        RowLayout {
            Layout.alignment: Qt.AlignHCenter

            Button {
                objectName: "cancelButton"
                text: qsTr("Cancel")
                font.pixelSize: 16
                highlighted: true
                enabled: !controller.loadingUrl
                onClicked: controller.cancel()
            }
            Button {
                id: openButton
                objectName: "openButton"
                text: controller.loadingUrl ? qsTr("Loading...") : qsTr("Open URL")
                font.pixelSize: 16
                highlighted: true
                enabled: !controller.loadingUrl && controller.videoUrl !== ""
                onClicked: if (enabled) controller.openEnteredUrl()
            }
        }
    }

    AlertToast {
        failure: true
        title: qsTr("Failed to store credentials")
        duration: 2000
        shown: controller.failedToSaveCredentials
        onDismissed: controller.failedToSaveCredentials = false
    }
}

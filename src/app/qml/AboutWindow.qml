import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Marquetrix

// The About window: the product and its version, and the licences of the libraries we ship.
Window {
    id: window

    title: qsTr("About Marquetrix")
    width: 720
    height: 480
    minimumWidth: 400
    minimumHeight: 200
    color: palette.window

    RowLayout {
        anchors.fill: parent
        anchors.margins: 15
        spacing: 10

        ListView {
            id: sidebar
            objectName: "aboutSidebar"
            Layout.fillHeight: true
            Layout.preferredWidth: 150
            Layout.minimumWidth: 100
            Layout.maximumWidth: 200
            model: [qsTr("About"), qsTr("Licenses")]
            currentIndex: 0
            delegate: ItemDelegate {
                required property string modelData
                required property int index
                width: sidebar.width
                text: modelData
                highlighted: ListView.isCurrentItem
                onClicked: sidebar.currentIndex = index
            }
        }

        StackLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            currentIndex: sidebar.currentIndex

            ColumnLayout {
                spacing: 6
                Item { Layout.fillHeight: true }
                Image {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.preferredWidth: 200
                    Layout.preferredHeight: 200
                    source: "Logo.svg"
                    sourceSize: Qt.size(200, 200)
                }
                Label {
                    Layout.alignment: Qt.AlignHCenter
                    text: "Marquetrix"
                    font.pixelSize: 30
                }
                Label {
                    objectName: "aboutVersion"
                    Layout.alignment: Qt.AlignHCenter
                    visible: AboutInfo.version.length > 0
                    text: qsTr("Version %1").arg(AboutInfo.version)
                    font.pixelSize: 12
                }
                Item { Layout.fillHeight: true }
            }

            ScrollView {
                Layout.minimumWidth: 470
                Layout.minimumHeight: 200
                padding: 15
                ScrollBar.vertical.policy: ScrollBar.AlwaysOn

                ColumnLayout {
                    width: parent.width
                    spacing: 10

                    Label {
                        text: qsTr("Open source licenses")
                        font.pixelSize: 24
                    }
                    Label {
                        Layout.fillWidth: true
                        wrapMode: Text.WordWrap
                        text: qsTr("Marquetrix gratefully uses open source libraries as part of its code base. Following are the corresponding licenses and attributions.")
                    }
                    Repeater {
                        model: AboutInfo.licenses
                        delegate: ColumnLayout {
                            required property var modelData
                            Layout.fillWidth: true
                            Label {
                                Layout.fillWidth: true
                                wrapMode: Text.WordWrap
                                text: modelData.heading
                                font.bold: true
                                font.pixelSize: 16
                            }
                            Label {
                                Layout.fillWidth: true
                                wrapMode: Text.WordWrap
                                textFormat: Text.PlainText
                                text: modelData.text
                            }
                        }
                    }
                }
            }
        }
    }
}

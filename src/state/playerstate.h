#pragma once

#include "notifyingproperty.h"
#include "videometadata.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlparserstatus.h>
#include <QtQml/qqmlregistration.h>
#include <memory>

namespace marquetrix {

// The live state of one tile: the play wish, position, editing, mute, repeat and cropping
// requests. Every field notifies on every assignment; the tile's player binding runs after
// each notification.
//
// Built from a record in C++, or in QML as `PlayerState { videoMeta: record }`, which takes
// its seeds from the record once the object is complete.
class PlayerState : public QObject, public QQmlParserStatus
{
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    QML_ELEMENT

public:
    explicit PlayerState(QObject *parent = nullptr);
    explicit PlayerState(std::shared_ptr<VideoMetadata> videoMeta, QObject *parent = nullptr);

    void classBegin() override {}
    void componentComplete() override;

    // Records are shared references: the state keeps the one it shows alive.
    Q_PROPERTY(marquetrix::VideoMetadata *videoMeta READ videoMeta WRITE setVideoMeta NOTIFY
                   videoMetaChanged)
    VideoMetadata *videoMeta() const { return m_videoMeta.get(); }
    std::shared_ptr<VideoMetadata> videoMetaRef() const { return m_videoMeta; }
    void setVideoMeta(VideoMetadata *value);
    void setVideoMeta(std::shared_ptr<VideoMetadata> value);
    Q_SIGNAL void videoMetaChanged();

    Q_PROPERTY(bool playing READ playing WRITE setPlaying NOTIFY playingChanged)
    MARQUETRIX_NOTIFYING(bool, playing, setPlaying, playingChanged, false)
    Q_SIGNAL void playingChanged();

    Q_PROPERTY(bool controlsVisible READ controlsVisible WRITE setControlsVisible NOTIFY
                   controlsVisibleChanged)
    MARQUETRIX_NOTIFYING(bool, controlsVisible, setControlsVisible, controlsVisibleChanged, false)
    Q_SIGNAL void controlsVisibleChanged();

    Q_PROPERTY(bool editingPosition READ editingPosition WRITE setEditingPosition NOTIFY
                   editingPositionChanged)
    MARQUETRIX_NOTIFYING(bool, editingPosition, setEditingPosition, editingPositionChanged, false)
    Q_SIGNAL void editingPositionChanged();

    Q_PROPERTY(float position READ position WRITE setPosition NOTIFY positionChanged)
    MARQUETRIX_NOTIFYING(float, position, setPosition, positionChanged, 0)
    Q_SIGNAL void positionChanged();

    Q_PROPERTY(float displayedPosition READ displayedPosition WRITE setDisplayedPosition NOTIFY
                   displayedPositionChanged)
    MARQUETRIX_NOTIFYING(float, displayedPosition, setDisplayedPosition, displayedPositionChanged,
                         0)
    Q_SIGNAL void displayedPositionChanged();

    Q_PROPERTY(bool videoLoaded READ videoLoaded WRITE setVideoLoaded NOTIFY videoLoadedChanged)
    MARQUETRIX_NOTIFYING(bool, videoLoaded, setVideoLoaded, videoLoadedChanged, false)
    Q_SIGNAL void videoLoadedChanged();

    Q_PROPERTY(
        bool repeatEnabled READ repeatEnabled WRITE setRepeatEnabled NOTIFY repeatEnabledChanged)
    MARQUETRIX_NOTIFYING(bool, repeatEnabled, setRepeatEnabled, repeatEnabledChanged, false)
    Q_SIGNAL void repeatEnabledChanged();

    Q_PROPERTY(bool isClosed READ isClosed WRITE setIsClosed NOTIFY isClosedChanged)
    MARQUETRIX_NOTIFYING(bool, isClosed, setIsClosed, isClosedChanged, false)
    Q_SIGNAL void isClosedChanged();

    Q_PROPERTY(bool muted READ muted WRITE setMuted NOTIFY mutedChanged)
    MARQUETRIX_NOTIFYING(bool, muted, setMuted, mutedChanged, false)
    Q_SIGNAL void mutedChanged();

    // Kept quiet by the window's choice of whose sound is heard; the tile's own mute and
    // volume stay as the user set them.
    Q_PROPERTY(bool silenced READ silenced WRITE setSilenced NOTIFY silencedChanged)
    MARQUETRIX_NOTIFYING(bool, silenced, setSilenced, silencedChanged, false)
    Q_SIGNAL void silencedChanged();

    // "16:9" or "9:16" asks for a crop; empty means no request.
    Q_PROPERTY(QString changeCropping READ changeCropping WRITE setChangeCropping NOTIFY
                   changeCroppingChanged)
    MARQUETRIX_NOTIFYING(QString, changeCropping, setChangeCropping, changeCroppingChanged)
    Q_SIGNAL void changeCroppingChanged();

    Q_PROPERTY(bool restoreCropping READ restoreCropping WRITE setRestoreCropping NOTIFY
                   restoreCroppingChanged)
    MARQUETRIX_NOTIFYING(bool, restoreCropping, setRestoreCropping, restoreCroppingChanged, false)
    Q_SIGNAL void restoreCroppingChanged();

    // Asks a paused tile for its next picture.
    Q_PROPERTY(bool stepFrame READ stepFrame WRITE setStepFrame NOTIFY stepFrameChanged)
    MARQUETRIX_NOTIFYING(bool, stepFrame, setStepFrame, stepFrameChanged, false)
    Q_SIGNAL void stepFrameChanged();

    // Bumped by the tile's tick so that the player binding runs even when nothing else changes.
    Q_PROPERTY(qint64 index READ index WRITE setIndex NOTIFY indexChanged)
    MARQUETRIX_NOTIFYING(qint64, index, setIndex, indexChanged, 0)
    Q_SIGNAL void indexChanged();

    // True until the binding has paused the first automatic start (it starts without a surface).
    Q_PROPERTY(bool justOpened READ justOpened WRITE setJustOpened NOTIFY justOpenedChanged)
    MARQUETRIX_NOTIFYING(bool, justOpened, setJustOpened, justOpenedChanged, true)
    Q_SIGNAL void justOpenedChanged();

private:
    void keepRecordCurrent();
    void seedFromRecord();

    std::shared_ptr<VideoMetadata> m_videoMeta;
};

} // namespace marquetrix

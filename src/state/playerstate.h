#pragma once

#include "videometadata.h"

#include <QObject>
#include <QString>
#include <QUrl>
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
    bool playing() const { return m_playing; }
    void setPlaying(bool value)
    {
        m_playing = value;
        emit playingChanged();
    }
    Q_SIGNAL void playingChanged();

    Q_PROPERTY(bool controlsVisible READ controlsVisible WRITE setControlsVisible NOTIFY
                   controlsVisibleChanged)
    bool controlsVisible() const { return m_controlsVisible; }
    void setControlsVisible(bool value)
    {
        m_controlsVisible = value;
        emit controlsVisibleChanged();
    }
    Q_SIGNAL void controlsVisibleChanged();

    Q_PROPERTY(bool editingPosition READ editingPosition WRITE setEditingPosition NOTIFY
                   editingPositionChanged)
    bool editingPosition() const { return m_editingPosition; }
    void setEditingPosition(bool value)
    {
        m_editingPosition = value;
        emit editingPositionChanged();
    }
    Q_SIGNAL void editingPositionChanged();

    Q_PROPERTY(float position READ position WRITE setPosition NOTIFY positionChanged)
    float position() const { return m_position; }
    void setPosition(float value)
    {
        m_position = value;
        emit positionChanged();
    }
    Q_SIGNAL void positionChanged();

    Q_PROPERTY(float displayedPosition READ displayedPosition WRITE setDisplayedPosition NOTIFY
                   displayedPositionChanged)
    float displayedPosition() const { return m_displayedPosition; }
    void setDisplayedPosition(float value)
    {
        m_displayedPosition = value;
        emit displayedPositionChanged();
    }
    Q_SIGNAL void displayedPositionChanged();

    Q_PROPERTY(bool videoLoaded READ videoLoaded WRITE setVideoLoaded NOTIFY videoLoadedChanged)
    bool videoLoaded() const { return m_videoLoaded; }
    void setVideoLoaded(bool value)
    {
        m_videoLoaded = value;
        emit videoLoadedChanged();
    }
    Q_SIGNAL void videoLoadedChanged();

    Q_PROPERTY(
        bool repeatEnabled READ repeatEnabled WRITE setRepeatEnabled NOTIFY repeatEnabledChanged)
    bool repeatEnabled() const { return m_repeatEnabled; }
    void setRepeatEnabled(bool value)
    {
        m_repeatEnabled = value;
        emit repeatEnabledChanged();
    }
    Q_SIGNAL void repeatEnabledChanged();

    Q_PROPERTY(bool isClosed READ isClosed WRITE setIsClosed NOTIFY isClosedChanged)
    bool isClosed() const { return m_isClosed; }
    void setIsClosed(bool value)
    {
        m_isClosed = value;
        emit isClosedChanged();
    }
    Q_SIGNAL void isClosedChanged();

    // Declared for symmetry with the record; replacement requests travel on the record.
    Q_PROPERTY(QUrl newURL READ newURL WRITE setNewURL NOTIFY newURLChanged)
    QUrl newURL() const { return m_newURL; }
    void setNewURL(const QUrl &value)
    {
        m_newURL = value;
        emit newURLChanged();
    }
    Q_SIGNAL void newURLChanged();

    Q_PROPERTY(bool muted READ muted WRITE setMuted NOTIFY mutedChanged)
    bool muted() const { return m_muted; }
    void setMuted(bool value)
    {
        m_muted = value;
        emit mutedChanged();
    }
    Q_SIGNAL void mutedChanged();

    // "16:9" or "9:16" asks for a crop; empty means no request.
    Q_PROPERTY(QString changeCropping READ changeCropping WRITE setChangeCropping NOTIFY
                   changeCroppingChanged)
    QString changeCropping() const { return m_changeCropping; }
    void setChangeCropping(const QString &value)
    {
        m_changeCropping = value;
        emit changeCroppingChanged();
    }
    Q_SIGNAL void changeCroppingChanged();

    Q_PROPERTY(bool restoreCropping READ restoreCropping WRITE setRestoreCropping NOTIFY
                   restoreCroppingChanged)
    bool restoreCropping() const { return m_restoreCropping; }
    void setRestoreCropping(bool value)
    {
        m_restoreCropping = value;
        emit restoreCroppingChanged();
    }
    Q_SIGNAL void restoreCroppingChanged();

    // Bumped by the tile's tick so that the player binding runs even when nothing else changes.
    Q_PROPERTY(qint64 index READ index WRITE setIndex NOTIFY indexChanged)
    qint64 index() const { return m_index; }
    void setIndex(qint64 value)
    {
        m_index = value;
        emit indexChanged();
    }
    Q_SIGNAL void indexChanged();

    // True until the binding has paused the first automatic start (it starts without a surface).
    Q_PROPERTY(bool justOpened READ justOpened WRITE setJustOpened NOTIFY justOpenedChanged)
    bool justOpened() const { return m_justOpened; }
    void setJustOpened(bool value)
    {
        m_justOpened = value;
        emit justOpenedChanged();
    }
    Q_SIGNAL void justOpenedChanged();

private:
    void seedFromRecord();

    std::shared_ptr<VideoMetadata> m_videoMeta;
    bool m_playing = false;
    bool m_controlsVisible = false;
    bool m_editingPosition = false;
    float m_position = 0;
    float m_displayedPosition = 0;
    bool m_videoLoaded = false;
    bool m_repeatEnabled = false;
    bool m_isClosed = false;
    QUrl m_newURL;
    bool m_muted = false;
    QString m_changeCropping;
    bool m_restoreCropping = false;
    qint64 m_index = 0;
    bool m_justOpened = true;
};

} // namespace marquetrix

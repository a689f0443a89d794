#pragma once

#include "aspectratiotype.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QtQml/qqmlregistration.h>
#include <memory>

namespace marquetrix {

class MediaListPlayer;
class MediaPlayer;

// One open video, shared by everything that shows or commands it. Records are held by
// std::shared_ptr (the window's list, the tile's state, scheduled steps), have no QObject
// parent, and are equal when their ids are equal.
//
// Changing a record is not meant to re-render anything: the window and the player binding
// react to the published fields of PlayerState, ViewState and LayoutState only. The fields
// still notify so that QML can show them (title, loading, error, ...).
class VideoMetadata : public QObject, public std::enable_shared_from_this<VideoMetadata>
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Records are created by the paths that open videos")

public:
    // The engine objects are declared only: they are created, and their deleter captured,
    // where the engine is known.
    VideoMetadata(const QUuid &id, std::shared_ptr<MediaListPlayer> mediaPlayer,
                  std::shared_ptr<MediaPlayer> audioMediaPlayer = nullptr);
    ~VideoMetadata() override;

    // A new video opened into the same tile: fresh id, the given player and title, and the
    // current record's volume and repeat setting; everything else starts over.
    static std::shared_ptr<VideoMetadata> replacement(const VideoMetadata &current,
                                                      std::shared_ptr<MediaListPlayer> mediaPlayer,
                                                      const QString &title);

    Q_PROPERTY(QUuid id READ id CONSTANT)
    QUuid id() const { return m_id; }

    // The id as text, as a dragged tile carries it: 36 upper-case characters with hyphens.
    Q_PROPERTY(QString idText READ idText CONSTANT)
    QString idText() const { return m_id.toString(QUuid::WithoutBraces).toUpper(); }

    const std::shared_ptr<MediaListPlayer> &mediaPlayer() const { return m_mediaPlayer; }
    const std::shared_ptr<MediaPlayer> &audioMediaPlayer() const { return m_audioMediaPlayer; }

    // What the layout sees: the forced crop ratio when there is one, else width / height.
    float effectiveAspectRatio() const;

    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    QString title() const { return m_title; }
    void setTitle(const QString &value)
    {
        m_title = value;
        emit titleChanged();
    }
    Q_SIGNAL void titleChanged();

    Q_PROPERTY(marquetrix::AspectRatioType aspectRatioType READ aspectRatioType WRITE
                   setAspectRatioType NOTIFY aspectRatioTypeChanged)
    marquetrix::AspectRatioType aspectRatioType() const { return m_aspectRatioType; }
    void setAspectRatioType(marquetrix::AspectRatioType value)
    {
        m_aspectRatioType = value;
        emit aspectRatioTypeChanged();
    }
    Q_SIGNAL void aspectRatioTypeChanged();

    Q_PROPERTY(qint64 width READ width WRITE setWidth NOTIFY widthChanged)
    qint64 width() const { return m_width; }
    void setWidth(qint64 value)
    {
        m_width = value;
        emit widthChanged();
    }
    Q_SIGNAL void widthChanged();

    Q_PROPERTY(qint64 height READ height WRITE setHeight NOTIFY heightChanged)
    qint64 height() const { return m_height; }
    void setHeight(qint64 value)
    {
        m_height = value;
        emit heightChanged();
    }
    Q_SIGNAL void heightChanged();

    Q_PROPERTY(bool ended READ ended WRITE setEnded NOTIFY endedChanged)
    bool ended() const { return m_ended; }
    void setEnded(bool value)
    {
        m_ended = value;
        emit endedChanged();
    }
    Q_SIGNAL void endedChanged();

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

    Q_PROPERTY(float mediaLength READ mediaLength WRITE setMediaLength NOTIFY mediaLengthChanged)
    float mediaLength() const { return m_mediaLength; }
    void setMediaLength(float value)
    {
        m_mediaLength = value;
        emit mediaLengthChanged();
    }
    Q_SIGNAL void mediaLengthChanged();

    // Its notifier cannot be called positionChanged: that name is the seek trigger below.
    Q_PROPERTY(float position READ position WRITE setPosition NOTIFY positionValueChanged)
    float position() const { return m_position; }
    void setPosition(float value)
    {
        m_position = value;
        emit positionValueChanged();
    }
    Q_SIGNAL void positionValueChanged();

    Q_PROPERTY(bool positionChanged READ positionChanged WRITE setPositionChanged NOTIFY
                   positionChangedChanged)
    bool positionChanged() const { return m_positionChanged; }
    void setPositionChanged(bool value)
    {
        m_positionChanged = value;
        emit positionChangedChanged();
    }
    Q_SIGNAL void positionChangedChanged();

    Q_PROPERTY(float volume READ volume WRITE setVolume NOTIFY volumeChanged)
    float volume() const { return m_volume; }
    void setVolume(float value)
    {
        m_volume = value;
        emit volumeChanged();
    }
    Q_SIGNAL void volumeChanged();

    Q_PROPERTY(bool muted READ muted WRITE setMuted NOTIFY mutedChanged)
    bool muted() const { return m_muted; }
    void setMuted(bool value)
    {
        m_muted = value;
        emit mutedChanged();
    }
    Q_SIGNAL void mutedChanged();

    Q_PROPERTY(bool videoLoaded READ videoLoaded WRITE setVideoLoaded NOTIFY videoLoadedChanged)
    bool videoLoaded() const { return m_videoLoaded; }
    void setVideoLoaded(bool value)
    {
        m_videoLoaded = value;
        emit videoLoadedChanged();
    }
    Q_SIGNAL void videoLoadedChanged();

    Q_PROPERTY(bool timeChanged READ timeChanged WRITE setTimeChanged NOTIFY timeChangedChanged)
    bool timeChanged() const { return m_timeChanged; }
    void setTimeChanged(bool value)
    {
        m_timeChanged = value;
        emit timeChangedChanged();
    }
    Q_SIGNAL void timeChangedChanged();

    Q_PROPERTY(bool doPause READ doPause WRITE setDoPause NOTIFY doPauseChanged)
    bool doPause() const { return m_doPause; }
    void setDoPause(bool value)
    {
        m_doPause = value;
        emit doPauseChanged();
    }
    Q_SIGNAL void doPauseChanged();

    Q_PROPERTY(bool error READ error WRITE setError NOTIFY errorChanged)
    bool error() const { return m_error; }
    void setError(bool value)
    {
        m_error = value;
        emit errorChanged();
    }
    Q_SIGNAL void errorChanged();

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

    // Replace this video by the media at this address in the same tile; empty: no request.
    Q_PROPERTY(QUrl newURL READ newURL WRITE setNewURL NOTIFY newURLChanged)
    QUrl newURL() const { return m_newURL; }
    void setNewURL(const QUrl &value)
    {
        m_newURL = value;
        emit newURLChanged();
    }
    Q_SIGNAL void newURLChanged();

    Q_PROPERTY(bool forcePlay READ forcePlay WRITE setForcePlay NOTIFY forcePlayChanged)
    bool forcePlay() const { return m_forcePlay; }
    void setForcePlay(bool value)
    {
        m_forcePlay = value;
        emit forcePlayChanged();
    }
    Q_SIGNAL void forcePlayChanged();

    Q_PROPERTY(bool isStreamingURL READ isStreamingURL WRITE setIsStreamingURL NOTIFY
                   isStreamingURLChanged)
    bool isStreamingURL() const { return m_isStreamingURL; }
    void setIsStreamingURL(bool value)
    {
        m_isStreamingURL = value;
        emit isStreamingURLChanged();
    }
    Q_SIGNAL void isStreamingURLChanged();

    Q_PROPERTY(bool globalMuteEnabled READ globalMuteEnabled WRITE setGlobalMuteEnabled NOTIFY
                   globalMuteEnabledChanged)
    bool globalMuteEnabled() const { return m_globalMuteEnabled; }
    void setGlobalMuteEnabled(bool value)
    {
        m_globalMuteEnabled = value;
        emit globalMuteEnabledChanged();
    }
    Q_SIGNAL void globalMuteEnabledChanged();

    Q_PROPERTY(bool globalMuteDisabled READ globalMuteDisabled WRITE setGlobalMuteDisabled NOTIFY
                   globalMuteDisabledChanged)
    bool globalMuteDisabled() const { return m_globalMuteDisabled; }
    void setGlobalMuteDisabled(bool value)
    {
        m_globalMuteDisabled = value;
        emit globalMuteDisabledChanged();
    }
    Q_SIGNAL void globalMuteDisabledChanged();

    Q_PROPERTY(bool globalRepeatEnabled READ globalRepeatEnabled WRITE setGlobalRepeatEnabled NOTIFY
                   globalRepeatEnabledChanged)
    bool globalRepeatEnabled() const { return m_globalRepeatEnabled; }
    void setGlobalRepeatEnabled(bool value)
    {
        m_globalRepeatEnabled = value;
        emit globalRepeatEnabledChanged();
    }
    Q_SIGNAL void globalRepeatEnabledChanged();

    Q_PROPERTY(bool globalRepeatDisabled READ globalRepeatDisabled WRITE setGlobalRepeatDisabled
                   NOTIFY globalRepeatDisabledChanged)
    bool globalRepeatDisabled() const { return m_globalRepeatDisabled; }
    void setGlobalRepeatDisabled(bool value)
    {
        m_globalRepeatDisabled = value;
        emit globalRepeatDisabledChanged();
    }
    Q_SIGNAL void globalRepeatDisabledChanged();

    Q_PROPERTY(
        float overriddenAR READ overriddenAR WRITE setOverriddenAR NOTIFY overriddenARChanged)
    float overriddenAR() const { return m_overriddenAR; }
    void setOverriddenAR(float value)
    {
        m_overriddenAR = value;
        emit overriddenARChanged();
    }
    Q_SIGNAL void overriddenARChanged();

    Q_PROPERTY(bool loading READ loading WRITE setLoading NOTIFY loadingChanged)
    bool loading() const { return m_loading; }
    void setLoading(bool value)
    {
        m_loading = value;
        emit loadingChanged();
    }
    Q_SIGNAL void loadingChanged();

private:
    const QUuid m_id;
    const std::shared_ptr<MediaListPlayer> m_mediaPlayer;
    const std::shared_ptr<MediaPlayer> m_audioMediaPlayer;
    QString m_title;
    marquetrix::AspectRatioType m_aspectRatioType = AspectRatioType::unknown;
    qint64 m_width = 16;
    qint64 m_height = 9;
    bool m_ended = false;
    bool m_playing = true;
    bool m_controlsVisible = false;
    float m_mediaLength = 0;
    float m_position = 0;
    bool m_positionChanged = false;
    float m_volume = 100;
    bool m_muted = false;
    bool m_videoLoaded = false;
    bool m_timeChanged = false;
    bool m_doPause = false;
    bool m_error = false;
    bool m_repeatEnabled = false;
    bool m_isClosed = false;
    QUrl m_newURL;
    bool m_forcePlay = false;
    bool m_isStreamingURL = false;
    bool m_globalMuteEnabled = false;
    bool m_globalMuteDisabled = false;
    bool m_globalRepeatEnabled = false;
    bool m_globalRepeatDisabled = false;
    float m_overriddenAR = 0;
    bool m_loading = true;
};

inline bool operator==(const VideoMetadata &a, const VideoMetadata &b)
{
    return a.id() == b.id();
}

inline size_t qHash(const VideoMetadata &meta, size_t seed = 0)
{
    return qHash(meta.id(), seed);
}

} // namespace marquetrix

#pragma once

#include "aspectratiotype.h"
#include "notifyingproperty.h"

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
// still notify so that QML can show them (title, loading, error, ...), and a change of the
// shape the layout sees (size or crop) says so once, with shapeChanged, to the window's
// LayoutState that lists the record.
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

    // This record is a new video opened into the tile of `current`: it takes over the
    // volume and repeat setting; everything else starts over.
    void continueFrom(const VideoMetadata &current);

    Q_PROPERTY(QUuid id READ id CONSTANT)
    QUuid id() const { return m_id; }

    // The id as text, as a dragged tile carries it: 36 upper-case characters with hyphens.
    Q_PROPERTY(QString idText READ idText CONSTANT)
    QString idText() const { return m_id.toString(QUuid::WithoutBraces).toUpper(); }

    const std::shared_ptr<MediaListPlayer> &mediaPlayer() const { return m_mediaPlayer; }
    const std::shared_ptr<MediaPlayer> &audioMediaPlayer() const { return m_audioMediaPlayer; }

    // Once for every assignment that changes the size or the crop ratio.
    Q_SIGNAL void shapeChanged();
    // The picture's size as the engine reports it: one shape change for the pair.
    void setVideoSize(qint64 width, qint64 height);

    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    MARQUETRIX_NOTIFYING(QString, title, setTitle, titleChanged)
    Q_SIGNAL void titleChanged();

    Q_PROPERTY(marquetrix::AspectRatioType aspectRatioType READ aspectRatioType WRITE
                   setAspectRatioType NOTIFY aspectRatioTypeChanged)
    MARQUETRIX_NOTIFYING(marquetrix::AspectRatioType, aspectRatioType, setAspectRatioType,
                         aspectRatioTypeChanged, AspectRatioType::unknown)
    Q_SIGNAL void aspectRatioTypeChanged();

    Q_PROPERTY(qint64 width READ width WRITE setWidth NOTIFY widthChanged)
    qint64 width() const { return m_width; }
    void setWidth(qint64 value);
    Q_SIGNAL void widthChanged();

    Q_PROPERTY(qint64 height READ height WRITE setHeight NOTIFY heightChanged)
    qint64 height() const { return m_height; }
    void setHeight(qint64 value);
    Q_SIGNAL void heightChanged();

    Q_PROPERTY(bool ended READ ended WRITE setEnded NOTIFY endedChanged)
    MARQUETRIX_NOTIFYING(bool, ended, setEnded, endedChanged, false)
    Q_SIGNAL void endedChanged();

    Q_PROPERTY(bool playing READ playing WRITE setPlaying NOTIFY playingChanged)
    MARQUETRIX_NOTIFYING(bool, playing, setPlaying, playingChanged, true)
    Q_SIGNAL void playingChanged();

    Q_PROPERTY(bool controlsVisible READ controlsVisible WRITE setControlsVisible NOTIFY
                   controlsVisibleChanged)
    MARQUETRIX_NOTIFYING(bool, controlsVisible, setControlsVisible, controlsVisibleChanged, false)
    Q_SIGNAL void controlsVisibleChanged();

    Q_PROPERTY(float mediaLength READ mediaLength WRITE setMediaLength NOTIFY mediaLengthChanged)
    MARQUETRIX_NOTIFYING(float, mediaLength, setMediaLength, mediaLengthChanged, 0)
    Q_SIGNAL void mediaLengthChanged();

    // Its notifier cannot be called positionChanged: that name is the seek trigger below.
    Q_PROPERTY(float position READ position WRITE setPosition NOTIFY positionValueChanged)
    MARQUETRIX_NOTIFYING(float, position, setPosition, positionValueChanged, 0)
    Q_SIGNAL void positionValueChanged();

    Q_PROPERTY(bool positionChanged READ positionChanged WRITE setPositionChanged NOTIFY
                   positionChangedChanged)
    MARQUETRIX_NOTIFYING(bool, positionChanged, setPositionChanged, positionChangedChanged, false)
    Q_SIGNAL void positionChangedChanged();

    Q_PROPERTY(float volume READ volume WRITE setVolume NOTIFY volumeChanged)
    MARQUETRIX_NOTIFYING(float, volume, setVolume, volumeChanged, 100)
    Q_SIGNAL void volumeChanged();

    Q_PROPERTY(bool muted READ muted WRITE setMuted NOTIFY mutedChanged)
    MARQUETRIX_NOTIFYING(bool, muted, setMuted, mutedChanged, false)
    Q_SIGNAL void mutedChanged();

    // The speed, 1 for normal (see PlaybackRate).
    Q_PROPERTY(float rate READ rate WRITE setRate NOTIFY rateChanged)
    MARQUETRIX_NOTIFYING(float, rate, setRate, rateChanged, 1)
    Q_SIGNAL void rateChanged();

    // The share of that speed a sync group plays the video at to keep it in step (1: none);
    // not the user's speed, and not shown as it.
    Q_PROPERTY(float syncRate READ syncRate WRITE setSyncRate NOTIFY syncRateChanged)
    MARQUETRIX_NOTIFYING(float, syncRate, setSyncRate, syncRateChanged, 1)
    Q_SIGNAL void syncRateChanged();

    // Trigger: seek to this time exactly (ms); -1: no request.
    Q_PROPERTY(qint64 seekTarget READ seekTarget WRITE setSeekTarget NOTIFY seekTargetChanged)
    MARQUETRIX_NOTIFYING(qint64, seekTarget, setSeekTarget, seekTargetChanged, -1)
    Q_SIGNAL void seekTargetChanged();

    // The subtitle file drawn into the picture; empty: none.
    Q_PROPERTY(QUrl subtitleFile READ subtitleFile WRITE setSubtitleFile NOTIFY subtitleFileChanged)
    MARQUETRIX_NOTIFYING(QUrl, subtitleFile, setSubtitleFile, subtitleFileChanged)
    Q_SIGNAL void subtitleFileChanged();

    Q_PROPERTY(bool subtitlesShown READ subtitlesShown WRITE setSubtitlesShown NOTIFY
                   subtitlesShownChanged)
    MARQUETRIX_NOTIFYING(bool, subtitlesShown, setSubtitlesShown, subtitlesShownChanged, true)
    Q_SIGNAL void subtitlesShownChanged();

    // Asks the tile for a snapshot of its picture.
    Q_PROPERTY(bool snapshotRequested READ snapshotRequested WRITE setSnapshotRequested NOTIFY
                   snapshotRequestedChanged)
    MARQUETRIX_NOTIFYING(bool, snapshotRequested, setSnapshotRequested, snapshotRequestedChanged,
                         false)
    Q_SIGNAL void snapshotRequestedChanged();

    Q_PROPERTY(bool videoLoaded READ videoLoaded WRITE setVideoLoaded NOTIFY videoLoadedChanged)
    MARQUETRIX_NOTIFYING(bool, videoLoaded, setVideoLoaded, videoLoadedChanged, false)
    Q_SIGNAL void videoLoadedChanged();

    Q_PROPERTY(bool timeChanged READ timeChanged WRITE setTimeChanged NOTIFY timeChangedChanged)
    MARQUETRIX_NOTIFYING(bool, timeChanged, setTimeChanged, timeChangedChanged, false)
    Q_SIGNAL void timeChangedChanged();

    Q_PROPERTY(bool doPause READ doPause WRITE setDoPause NOTIFY doPauseChanged)
    MARQUETRIX_NOTIFYING(bool, doPause, setDoPause, doPauseChanged, false)
    Q_SIGNAL void doPauseChanged();

    Q_PROPERTY(bool error READ error WRITE setError NOTIFY errorChanged)
    MARQUETRIX_NOTIFYING(bool, error, setError, errorChanged, false)
    Q_SIGNAL void errorChanged();

    // The live source dropped and is being connected again: the number of the attempt
    // under way or awaited; 0 while it plays.
    Q_PROPERTY(int reconnectAttempt READ reconnectAttempt WRITE setReconnectAttempt NOTIFY
                   reconnectAttemptChanged)
    MARQUETRIX_NOTIFYING(int, reconnectAttempt, setReconnectAttempt, reconnectAttemptChanged, 0)
    Q_SIGNAL void reconnectAttemptChanged();

    // A source known to be live although the engine cannot tell (a live HLS playlist, which
    // it gives the length of its window): it shows no length and comes back when it drops.
    Q_PROPERTY(bool liveSource READ liveSource WRITE setLiveSource NOTIFY liveSourceChanged)
    MARQUETRIX_NOTIFYING(bool, liveSource, setLiveSource, liveSourceChanged, false)
    Q_SIGNAL void liveSourceChanged();

    Q_PROPERTY(
        bool repeatEnabled READ repeatEnabled WRITE setRepeatEnabled NOTIFY repeatEnabledChanged)
    MARQUETRIX_NOTIFYING(bool, repeatEnabled, setRepeatEnabled, repeatEnabledChanged, false)
    Q_SIGNAL void repeatEnabledChanged();

    Q_PROPERTY(bool isClosed READ isClosed WRITE setIsClosed NOTIFY isClosedChanged)
    MARQUETRIX_NOTIFYING(bool, isClosed, setIsClosed, isClosedChanged, false)
    Q_SIGNAL void isClosedChanged();

    // The record of another video to play in this one's tile, in its place; null: no request.
    Q_PROPERTY(marquetrix::VideoMetadata *replacement READ replacement NOTIFY replacementChanged)
    VideoMetadata *replacement() const { return m_replacement.get(); }
    void setReplacement(std::shared_ptr<VideoMetadata> value);
    // The request, which it clears.
    std::shared_ptr<VideoMetadata> takeReplacement();
    Q_SIGNAL void replacementChanged();

    Q_PROPERTY(bool forcePlay READ forcePlay WRITE setForcePlay NOTIFY forcePlayChanged)
    MARQUETRIX_NOTIFYING(bool, forcePlay, setForcePlay, forcePlayChanged, false)
    Q_SIGNAL void forcePlayChanged();

    Q_PROPERTY(bool isStreamingUrl READ isStreamingUrl WRITE setIsStreamingUrl NOTIFY
                   isStreamingUrlChanged)
    MARQUETRIX_NOTIFYING(bool, isStreamingUrl, setIsStreamingUrl, isStreamingUrlChanged, false)
    Q_SIGNAL void isStreamingUrlChanged();

    // The page a stream was found on, when the engine plays a link read from it: what opens
    // the video again later. Empty for files and links played as they are.
    Q_PROPERTY(QUrl pageUrl READ pageUrl WRITE setPageUrl NOTIFY pageUrlChanged)
    MARQUETRIX_NOTIFYING(QUrl, pageUrl, setPageUrl, pageUrlChanged)
    Q_SIGNAL void pageUrlChanged();

    Q_PROPERTY(bool globalMuteEnabled READ globalMuteEnabled WRITE setGlobalMuteEnabled NOTIFY
                   globalMuteEnabledChanged)
    MARQUETRIX_NOTIFYING(bool, globalMuteEnabled, setGlobalMuteEnabled, globalMuteEnabledChanged,
                         false)
    Q_SIGNAL void globalMuteEnabledChanged();

    Q_PROPERTY(bool globalMuteDisabled READ globalMuteDisabled WRITE setGlobalMuteDisabled NOTIFY
                   globalMuteDisabledChanged)
    MARQUETRIX_NOTIFYING(bool, globalMuteDisabled, setGlobalMuteDisabled, globalMuteDisabledChanged,
                         false)
    Q_SIGNAL void globalMuteDisabledChanged();

    Q_PROPERTY(bool globalRepeatEnabled READ globalRepeatEnabled WRITE setGlobalRepeatEnabled NOTIFY
                   globalRepeatEnabledChanged)
    MARQUETRIX_NOTIFYING(bool, globalRepeatEnabled, setGlobalRepeatEnabled,
                         globalRepeatEnabledChanged, false)
    Q_SIGNAL void globalRepeatEnabledChanged();

    Q_PROPERTY(bool globalRepeatDisabled READ globalRepeatDisabled WRITE setGlobalRepeatDisabled
                   NOTIFY globalRepeatDisabledChanged)
    MARQUETRIX_NOTIFYING(bool, globalRepeatDisabled, setGlobalRepeatDisabled,
                         globalRepeatDisabledChanged, false)
    Q_SIGNAL void globalRepeatDisabledChanged();

    Q_PROPERTY(
        float overriddenAR READ overriddenAR WRITE setOverriddenAR NOTIFY overriddenARChanged)
    float overriddenAR() const { return m_overriddenAR; }
    void setOverriddenAR(float value);
    Q_SIGNAL void overriddenARChanged();

    Q_PROPERTY(bool loading READ loading WRITE setLoading NOTIFY loadingChanged)
    MARQUETRIX_NOTIFYING(bool, loading, setLoading, loadingChanged, true)
    Q_SIGNAL void loadingChanged();

private:
    template <typename T> void assignShape(T &field, T value, void (VideoMetadata::*notify)());

    const QUuid m_id;
    const std::shared_ptr<MediaListPlayer> m_mediaPlayer;
    const std::shared_ptr<MediaPlayer> m_audioMediaPlayer;
    std::shared_ptr<VideoMetadata> m_replacement;
    qint64 m_width = 16;
    qint64 m_height = 9;
    float m_overriddenAR = 0;
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

#pragma once

#include "audiooutput.h"
#include "media.h"
#include "mediaengine.h"
#include "medialist.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "mediaplayerdelegate.h"

#include <QList>
#include <QStringList>
#include <QUrl>
#include <memory>
#include <optional>

namespace marquetrix {

// A media engine for unit tests of the logic above it. Nothing plays: a test sets what the
// player reports and reads the calls made on it, in `calls` ("play", "crop 16:9", ...). Like
// the real engine's, play, pause and stop take effect later: here when the test says so.

struct FakeMedia : Media
{
    explicit FakeMedia(const QUrl &address) : mediaUrl(address) {}
    qint64 length() const override { return lengthMs; }
    QList<TrackInformation> tracksInformation() const override { return tracks; }
    QUrl url() const override { return mediaUrl; }
    bool isLive() const override { return false; }

    QUrl mediaUrl;
    qint64 lengthMs = 0;
    QList<TrackInformation> tracks;
};

struct FakeMediaList : MediaList
{
    explicit FakeMediaList(QList<std::shared_ptr<Media>> media) : items(std::move(media)) {}
    int count() const override { return static_cast<int>(items.size()); }
    std::shared_ptr<Media> mediaAtIndex(int index) const override { return items.value(index); }
    void removeMediaAtIndex(int i) override { items.remove(i, i >= 0 && i < count() ? 1 : 0); }

    QList<std::shared_ptr<Media>> items;
};

struct FakeAudioOutput : AudioOutput
{
    explicit FakeAudioOutput(QStringList &listCalls) : calls(listCalls) {}
    int volume() const override { return currentVolume; }
    void setVolume(int v) override { calls << "setVolume " + QString::number(currentVolume = v); }
    bool isMuted() const override { return currentlyMuted; }
    void setMuted(bool m) override
    {
        calls << ((currentlyMuted = m) ? "setMuted true" : "setMuted false");
    }

    QStringList &calls;
    int currentVolume = 100;
    bool currentlyMuted = false;
};

class FakeMediaPlayer : public MediaPlayer
{
public:
    explicit FakeMediaPlayer(QStringList &calls) : m_calls(calls) {}
    void setDelegate(MediaPlayerDelegate *delegate) override { m_delegate = delegate; }
    MediaPlayerDelegate *delegate() const { return m_delegate; }
    QVideoSink *drawable() const override { return m_drawable; }
    void setDrawable(QVideoSink *s) override
    {
        m_calls << ((m_drawable = s) ? "drawable set" : "drawable none");
    }
    QImage picture() const override { return {}; }
    bool isPlaying() const override { return playing; }
    void pause() override { m_calls << QStringLiteral("player.pause"); }
    PlaybackState state() const override { return playbackState; }
    Media *media() const override { return currentMedia.get(); }
    std::optional<qint64> time() const override { return timeMs; }
    void jumpBackward(int s) override { m_calls << "jumpBackward " + QString::number(s); }
    void jumpForward(int s) override { m_calls << "jumpForward " + QString::number(s); }
    void setVideoCropGeometry(const std::optional<QString> &g) override
    {
        m_calls << "crop " + g.value_or("none");
    }
    AudioOutput *audio() override { return audioOutput.get(); }
    float rate() const override { return currentRate; }
    void setRate(float r) override { m_calls << "rate " + QString::number(currentRate = r); }
    void nextFrame() override { m_calls << QStringLiteral("nextFrame"); }
    void seekTo(qint64 ms) override { m_calls << "seekTo " + QString::number(ms); }
    qint64 frameDuration() const override { return 40; }
    QUrl subtitleFile() const override { return subtitle; }
    void setSubtitleFile(const QUrl &f) override { m_calls << "subtitle " + (subtitle = f).path(); }

    // Delivers events to the delegate the way the engine does (nothing when none is set).
    void sendStateChanged() { m_delegate ? m_delegate->mediaPlayerStateChanged(this) : void(); }
    void sendTimeChanged() { m_delegate ? m_delegate->mediaPlayerTimeChanged(this) : void(); }

    bool playing = false;
    PlaybackState playbackState = PlaybackState::Stopped;
    std::shared_ptr<FakeMedia> currentMedia;
    std::optional<qint64> timeMs;
    std::unique_ptr<FakeAudioOutput> audioOutput;
    float currentRate = 1;
    QUrl subtitle;

private:
    QStringList &m_calls;
    MediaPlayerDelegate *m_delegate = nullptr;
    QVideoSink *m_drawable = nullptr;
};

class FakeMediaListPlayer : public MediaListPlayer
{
public:
    explicit FakeMediaListPlayer(QStringList engineOptions)
        : options(std::move(engineOptions)), player(calls)
    {
    }
    void setMediaList(std::shared_ptr<MediaList> list) override;
    std::shared_ptr<MediaList> mediaList() const override { return m_list; }
    void setRootMedia(std::shared_ptr<Media> media) override
    {
        setMediaList(std::make_shared<FakeMediaList>(QList{media}));
    }
    void setRepeatMode(int m) override
    {
        calls << "setRepeatMode " + QString::number(repeatMode = m);
    }
    void play() override { calls << QStringLiteral("play"); }
    void pause() override { calls << QStringLiteral("pause"); }
    void stop() override { calls << QStringLiteral("stop"); }
    MediaPlayer *mediaPlayer() const override { return &player; }
    // The play, pause and stop asked for so far take effect: the player plays if the last of
    // them was a play.
    void takeEffect();

    QStringList options;
    QStringList calls;
    int repeatMode = 0;
    mutable FakeMediaPlayer player;

private:
    std::shared_ptr<MediaList> m_list;
};

class FakeMediaEngine : public MediaEngine
{
public:
    std::shared_ptr<MediaListPlayer> createListPlayer(const QStringList &options) override;
    std::shared_ptr<Media> createMedia(const QUrl &url) override
    {
        return std::make_shared<FakeMedia>(url);
    }
    std::shared_ptr<MediaList> createMediaList(const QList<std::shared_ptr<Media>> &media) override
    {
        return std::make_shared<FakeMediaList>(media);
    }
    // Everything this engine created, oldest first.
    QList<std::shared_ptr<FakeMediaListPlayer>> listPlayers;
};

} // namespace marquetrix

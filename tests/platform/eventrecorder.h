#pragma once

#include "media.h"
#include "mediaplayer.h"
#include "mediaplayerdelegate.h"

#include <QCoreApplication>
#include <QList>
#include <QObject>
#include <QSize>
#include <QThread>

namespace marquetrix::test {

// A player delegate that records what the engine told it, as a caller would see it at
// the moment of each event, and signals each event for QSignalSpy and QTRY_*.
class EventRecorder : public QObject, public MediaPlayerDelegate
{
    Q_OBJECT
public:
    QList<PlaybackState> states;
    qint64 lastTime = -1;
    qint64 maxTime = -1;
    int timeEvents = 0;
    int nextMediaEvents = 0;
    QSize videoSize;
    qint64 length = 0;
    bool offGuiThread = false;
    bool unknownPlayer = false;

    explicit EventRecorder(MediaPlayer *expected = nullptr) : m_expected(expected) {}
    void expect(MediaPlayer *player) { m_expected = player; }

    // Events reporting the state; a state event may repeat the state (new track sizes).
    int count(PlaybackState state) const { return int(states.count(state)); }
    // How often the player went into the state.
    int entered(PlaybackState state) const
    {
        int times = 0;
        for (qsizetype i = 0; i < states.size(); ++i)
            times += states[i] == state && (i == 0 || states[i - 1] != state);
        return times;
    }
    int events() const { return int(states.size()) + timeEvents + nextMediaEvents; }

    void mediaPlayerStateChanged(MediaPlayer *player) override
    {
        check(player);
        states.append(player->state());
        if (Media *media = player->media()) {
            length = media->length();
            for (const TrackInformation &track : media->tracksInformation())
                if (track.type == TrackInformation::Type::Video && track.videoWidth.value_or(0) > 0)
                    videoSize = QSize(*track.videoWidth, track.videoHeight.value_or(0));
        }
        emit stateChanged(player->state());
    }

    void mediaPlayerTimeChanged(MediaPlayer *player) override
    {
        check(player);
        ++timeEvents;
        lastTime = player->time().value_or(-1);
        maxTime = std::max(maxTime, lastTime);
        emit timeChanged(lastTime);
    }

    void mediaListPlayerNextMedia(MediaListPlayer *, Media *) override { ++nextMediaEvents; }

signals:
    void stateChanged(marquetrix::PlaybackState state);
    void timeChanged(qint64 time);

private:
    void check(MediaPlayer *player)
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            offGuiThread = true;
        if (player != m_expected)
            unknownPlayer = true;
    }

    MediaPlayer *m_expected;
};

} // namespace marquetrix::test

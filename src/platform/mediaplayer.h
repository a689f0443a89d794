#pragma once

#include "playbackstate.h"

#include <QImage>
#include <QString>
#include <QUrl>
#include <QtGlobal>
#include <optional>

class QVideoSink;

namespace marquetrix {

class AudioOutput;
class Media;
class MediaPlayerDelegate;

// The player owned by a MediaListPlayer: picture, time and audio.
class MediaPlayer
{
public:
    virtual ~MediaPlayer() = default;

    // Not owned; the delegate must outlive the player or be reset to nullptr first.
    virtual void setDelegate(MediaPlayerDelegate *delegate) = 0;

    // Where the picture goes; nullptr detaches it and no further frame is delivered.
    virtual QVideoSink *drawable() const = 0;
    virtual void setDrawable(QVideoSink *sink) = 0;
    // The picture as the tile shows it (cropped) at the video's own size, which the
    // drawable may not hold; null before the first picture.
    virtual QImage picture() const = 0;

    virtual bool isPlaying() const = 0;
    virtual void pause() = 0;
    virtual PlaybackState state() const = 0;
    // nullptr before a media was given.
    virtual Media *media() const = 0;
    // Milliseconds; absent while the engine does not know. Between the engine's own reports,
    // which come a quarter to half a second apart, the time goes on with the clock.
    virtual std::optional<qint64> time() const = 0;
    // To this time exactly, in milliseconds; at or past the end, the media ends there.
    virtual void seekTo(qint64 milliseconds) = 0;

    virtual void jumpBackward(int seconds) = 0;
    virtual void jumpForward(int seconds) = 0;

    // "16:9", "9:16", or std::nullopt to remove the crop.
    virtual void setVideoCropGeometry(const std::optional<QString> &geometry) = 0;

    // nullptr before playback has created the audio output.
    virtual AudioOutput *audio() = 0;

    // The speed, 1 for normal; it holds for every later run too.
    virtual float rate() const = 0;
    virtual void setRate(float rate) = 0;
    // A paused player shows its next picture and stays paused.
    virtual void nextFrame() = 0;
    // How long one picture of the video stays on the screen (ms); 40 while unknown.
    virtual qint64 frameDuration() const = 0;

    // A subtitle file drawn into the picture; an empty URL: no subtitles.
    virtual QUrl subtitleFile() const = 0;
    virtual void setSubtitleFile(const QUrl &file) = 0;
};

} // namespace marquetrix

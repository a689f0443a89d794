#pragma once

#include <QHash>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

namespace marquetrix::test {

enum class ClipPattern
{
    // ffmpeg's moving test picture.
    TestSource,
    // Still picture: red top left, green top right, blue bottom left, white bottom right.
    Quadrants,
};

struct ClipRequest
{
    QSize size{640, 360};
    double seconds = 1.0;
    int fps = 25;
    bool audio = true;
    ClipPattern pattern = ClipPattern::TestSource;
    // "mp4", "mkv" or "ts". A keyframe every second, AAC audio.
    QString container = QStringLiteral("mp4");
    // "h264" or "vp9" (decoded to planar YUV with a range flag rather than a "J" format).
    QString codec = QStringLiteral("h264");
    // How the picture's RGB is turned into YCbCr and the stream tagged, as ffmpeg names the
    // matrix and range ("bt709 pc"); empty: untagged, ffmpeg's BT.601 limited range.
    QString colour = {};
    // An MP4 with its index first, as files for the web are made: a player can then play
    // the start of it before the rest has arrived.
    bool indexFirst = false;
};

// Makes media files with ffmpeg's lavfi sources in a temporary directory that lives as
// long as the generator; each distinct clip is encoded once per generator.
class MediaGenerator
{
public:
    QString directory() const { return m_dir.path(); }
    // What went wrong with the last call that returned an empty path.
    QString failure() const { return m_failure; }
    QString clip(const ClipRequest &request = {});
    // An HLS playlist of 1 s segments of a 3 s 640x360 clip, beside it in the directory.
    QString hlsPlaylist();
    // A VOD playlist that lists the first segment of hlsPlaylist() `times` times.
    QString repeatingHlsPlaylist(int times);

private:
    QString run(const QString &name, const QStringList &arguments);

    QTemporaryDir m_dir;
    QHash<QString, QString> m_made;
    QString m_failure;
};

} // namespace marquetrix::test

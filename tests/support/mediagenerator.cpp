#include "mediagenerator.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

namespace marquetrix::test {

namespace {

QString lavfiSource(const ClipRequest &clip)
{
    const QString base = QStringLiteral("s=%1x%2:r=%3:d=%4")
                             .arg(clip.size.width())
                             .arg(clip.size.height())
                             .arg(clip.fps)
                             .arg(clip.seconds);
    const QString box = QStringLiteral(",drawbox=x=%1:y=%2:w=%3:h=%4:color=%5:t=fill");
    switch (clip.pattern) {
    case ClipPattern::TestSource:
        return QStringLiteral("testsrc2=") + base;
    case ClipPattern::Quadrants:
        return QStringLiteral("color=c=red:") + base +
               box.arg(u"iw/2", u"0", u"iw/2", u"ih/2", u"lime") +
               box.arg(u"0", u"ih/2", u"iw/2", u"ih/2", u"blue") +
               box.arg(u"iw/2", u"ih/2", u"iw/2", u"ih/2", u"white");
    case ClipPattern::VerticalBands:
        return QStringLiteral("color=c=red:") + base +
               box.arg(u"iw/3", u"0", u"iw/3", u"ih", u"lime") +
               box.arg(u"2*iw/3", u"0", u"iw/3", u"ih", u"blue");
    case ClipPattern::HorizontalBands:
        return QStringLiteral("color=c=red:") + base +
               box.arg(u"0", u"ih/3", u"iw", u"ih/3", u"lime") +
               box.arg(u"0", u"2*ih/3", u"iw", u"ih/3", u"blue");
    }
    return {};
}

QStringList colourArguments(ClipColour colour)
{
    if (colour == ClipColour::Untagged)
        return {};
    const bool bt709 = colour == ClipColour::Bt709Limited || colour == ClipColour::Bt709Full;
    const bool full = colour == ClipColour::Bt601Full || colour == ClipColour::Bt709Full;
    const QString standard = bt709 ? QStringLiteral("bt709") : QStringLiteral("smpte170m");
    const QString range = full ? QStringLiteral("pc") : QStringLiteral("tv");
    // The drawn colours are converted from RGB with the matrix and range the tags name.
    return {"-vf",
            QStringLiteral("format=gbrp,scale=out_color_matrix=%1:out_range=%2")
                .arg(bt709 ? u"bt709" : u"bt601", range),
            "-colorspace",
            standard,
            "-color_primaries",
            standard,
            "-color_trc",
            standard,
            "-color_range",
            range};
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

} // namespace

MediaGenerator::MediaGenerator()
{
    if (!m_dir.isValid())
        m_failure = QStringLiteral("cannot create a temporary directory");
}

bool MediaGenerator::runFfmpeg(const QStringList &arguments)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{"-hide_banner", "-loglevel", "error", "-y"} + arguments);
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0) {
        m_failure = QStringLiteral("ffmpeg failed (%1): %2")
                        .arg(ffmpeg.errorString(), QString::fromLocal8Bit(ffmpeg.readAll()));
        return false;
    }
    return true;
}

QString MediaGenerator::clip(const ClipRequest &clip)
{
    const QString name = QStringLiteral("clip-%1x%2-%3s-%4fps-%5-p%6-c%7-%8%9.%10")
                             .arg(clip.size.width())
                             .arg(clip.size.height())
                             .arg(clip.seconds)
                             .arg(clip.fps)
                             .arg(clip.audio ? "av" : "v")
                             .arg(int(clip.pattern))
                             .arg(int(clip.colour))
                             .arg(clip.codec)
                             .arg(clip.indexFirst ? "-i" : "")
                             .arg(clip.container);
    if (m_made.contains(name))
        return m_made.value(name);
    const QString path = m_dir.filePath(name);
    QStringList arguments{"-f", "lavfi", "-i", lavfiSource(clip)};
    if (clip.audio)
        arguments
            << "-f"
            << "lavfi"
            << "-i"
            << QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(clip.seconds);
    arguments << colourArguments(clip.colour);
    if (clip.codec == QLatin1String("vp9"))
        arguments << "-c:v"
                  << "libvpx-vp9"
                  << "-deadline"
                  << "realtime"
                  << "-cpu-used"
                  << "8";
    else
        arguments << "-c:v"
                  << "libx264"
                  << "-preset"
                  << "veryfast";
    arguments << "-pix_fmt"
              << "yuv420p"
              << "-g" << QString::number(clip.fps) << "-t" << QString::number(clip.seconds);
    if (clip.audio)
        arguments << "-c:a"
                  << "aac"
                  << "-b:a"
                  << "64k";
    if (clip.indexFirst)
        arguments << "-movflags"
                  << "+faststart";
    arguments << path;
    if (!runFfmpeg(arguments))
        return {};
    m_made.insert(name, path);
    return path;
}

QString MediaGenerator::writeBytes(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        m_failure = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return {};
    }
    return file.fileName();
}

QString MediaGenerator::corruptFile()
{
    const QString source = clip({.container = QStringLiteral("mkv")});
    QFile file(source);
    if (source.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    const QByteArray noise = randomBytes(bytes.size());
    for (qsizetype i = 1024; i < bytes.size(); ++i)
        bytes[i] = noise[i];
    return writeBytes(QStringLiteral("corrupt.mkv"), bytes);
}

QString MediaGenerator::truncatedFile()
{
    // Without faststart ffmpeg writes the index after the media data.
    const QString source = clip({.seconds = 2.0});
    QFile file(source);
    if (source.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return writeBytes(QStringLiteral("truncated.mp4"), bytes.left(bytes.size() / 2));
}

QString MediaGenerator::garbageFile()
{
    return writeBytes(QStringLiteral("garbage.mp4"), randomBytes(200 * 1024));
}

QString MediaGenerator::hlsPlaylist()
{
    const QString playlist = m_dir.filePath(QStringLiteral("stream.m3u8"));
    if (m_made.contains(playlist))
        return playlist;
    ClipRequest source;
    source.seconds = 3.0;
    const QStringList arguments{"-f",
                                "lavfi",
                                "-i",
                                lavfiSource(source),
                                "-f",
                                "lavfi",
                                "-i",
                                "sine=frequency=440:sample_rate=48000:duration=3",
                                "-c:v",
                                "libx264",
                                "-preset",
                                "veryfast",
                                "-pix_fmt",
                                "yuv420p",
                                "-g",
                                "25",
                                "-c:a",
                                "aac",
                                "-t",
                                "3",
                                "-f",
                                "hls",
                                "-hls_time",
                                "1",
                                "-hls_list_size",
                                "0",
                                "-hls_playlist_type",
                                "vod",
                                "-hls_segment_filename",
                                m_dir.filePath(QStringLiteral("stream-%03d.ts")),
                                playlist};
    if (!runFfmpeg(arguments))
        return {};
    m_made.insert(playlist, playlist);
    return playlist;
}

QString MediaGenerator::repeatingHlsPlaylist(int times)
{
    if (hlsPlaylist().isEmpty())
        return {};
    QByteArray text = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:1\n"
                      "#EXT-X-PLAYLIST-TYPE:VOD\n";
    for (int i = 0; i < times; ++i)
        text += "#EXTINF:1.0,\nstream-000.ts\n";
    text += "#EXT-X-ENDLIST\n";
    return writeBytes(QStringLiteral("repeating-%1.m3u8").arg(times), text);
}

} // namespace marquetrix::test

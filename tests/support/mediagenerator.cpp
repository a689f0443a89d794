#include "mediagenerator.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>

namespace marquetrix::test {

namespace {

QString lavfiSource(const ClipRequest &clip)
{
    const QString base = QString::asprintf("s=%dx%d:r=%d:d=%g", clip.size.width(),
                                           clip.size.height(), clip.fps, clip.seconds);
    if (clip.pattern == ClipPattern::TestSource)
        return QStringLiteral("testsrc2=") + base;
    const QString box = QStringLiteral(",drawbox=x=%1:y=%2:w=iw/2:h=ih/2:color=%3:t=fill");
    // A light grey bar across the middle of the white quadrant's lower half: a grey shows a
    // wrong range, which saturated colours clip away.
    return QStringLiteral("color=c=red:") + base + box.arg(u"iw/2", u"0", u"lime") +
           box.arg(u"0", u"ih/2", u"blue") + box.arg(u"iw/2", u"ih/2", u"white") +
           QStringLiteral(",drawbox=x=iw*17/32:y=ih*25/32:w=iw/4:h=ih/8:color=0xC0C0C0:t=fill");
}

QStringList colourArguments(const QString &colour)
{
    if (colour.isEmpty())
        return {};
    const QString matrix = colour.section(u' ', 0, 0);
    const QString standard = matrix == u"bt709" ? matrix : QStringLiteral("smpte170m");
    // The drawn colours are converted from RGB with the matrix and range the tags name.
    return QStringLiteral("-vf format=gbrp,scale=out_color_matrix=%1:out_range=%2 -colorspace %3 "
                          "-color_primaries %3 -color_trc %3 -color_range %2")
        .arg(matrix, colour.section(u' ', 1, 1), standard)
        .split(u' ');
}

} // namespace

QString MediaGenerator::run(const QString &name, const QStringList &arguments)
{
    if (m_made.contains(name))
        return m_made.value(name);
    const QString path = m_dir.filePath(name);
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-hide_banner", "-loglevel", "error", "-y"} +
                                               arguments + QStringList{path});
    if (!m_dir.isValid() || !ffmpeg.waitForFinished(120000) ||
        ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        m_failure = QStringLiteral("ffmpeg failed (%1): %2")
                        .arg(ffmpeg.errorString(), QString::fromLocal8Bit(ffmpeg.readAll()));
        return {};
    }
    m_made.insert(name, path);
    return path;
}

QString MediaGenerator::clip(const ClipRequest &clip)
{
    QStringList arguments{"-f", "lavfi", "-i", lavfiSource(clip)};
    if (clip.audio)
        arguments << QStringLiteral("-f lavfi -i sine=frequency=440:sample_rate=48000:duration=%1 "
                                    "-c:a aac -b:a 64k")
                         .arg(clip.seconds)
                         .split(u' ');
    arguments << colourArguments(clip.colour);
    if (clip.codec == QLatin1String("vp9"))
        arguments += {"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8"};
    else
        arguments += {"-c:v", "libx264", "-preset", "veryfast"};
    arguments += {"-pix_fmt", "yuv420p", "-g", QString::number(clip.fps)};
    if (clip.indexFirst)
        arguments += {"-movflags", "+faststart"};
    // Clips that differ in anything are made with different arguments.
    const QByteArray key =
        QCryptographicHash::hash(arguments.join(u' ').toUtf8(), QCryptographicHash::Sha1);
    const QString name = QString::fromLatin1(key.toHex().left(16)) + u'.' + clip.container;
    return run(name, arguments);
}

QString MediaGenerator::hlsPlaylist()
{
    const QString source = clip({.seconds = 3.0});
    if (source.isEmpty())
        return {};
    return run(
        QStringLiteral("stream.m3u8"),
        QStringLiteral("-i %1 -c copy -f hls -hls_time 1 -hls_list_size 0 -hls_playlist_type "
                       "vod -hls_segment_filename %2")
            .arg(source, m_dir.filePath(QStringLiteral("stream-%03d.ts")))
            .split(u' '));
}

QString MediaGenerator::repeatingHlsPlaylist(int times)
{
    QFile file(m_dir.filePath(QStringLiteral("repeating-%1.m3u8").arg(times)));
    const QByteArray text =
        "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:1\n#EXT-X-PLAYLIST-TYPE:VOD\n" +
        QByteArray("#EXTINF:1.0,\nstream-000.ts\n").repeated(times) + "#EXT-X-ENDLIST\n";
    if (hlsPlaylist().isEmpty())
        return {};
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        m_failure = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return {};
    }
    return file.fileName();
}

} // namespace marquetrix::test

#include "codedclip.h"

#include <QProcess>

namespace marquetrix::bench {

QString makeCodedClip(const QString &path, QSize size, int fps, double seconds,
                      const QString &filters, QString &failure)
{
    const QString duration = QString::number(seconds);
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-hide_banner",
                  "-loglevel",
                  "error",
                  "-y",
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("testsrc2=s=%1x%2:r=%3:d=%4,")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(fps)
                          .arg(duration) +
                      filters,
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("sine=frequency=440:sample_rate=48000:duration=") + duration,
                  "-c:a",
                  "aac",
                  "-b:a",
                  "64k",
                  "-c:v",
                  "libx264",
                  "-preset",
                  "veryfast",
                  "-pix_fmt",
                  "yuv420p",
                  "-g",
                  QString::number(fps),
                  path});
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0) {
        failure = QStringLiteral("ffmpeg failed (%1): %2")
                      .arg(ffmpeg.errorString(), QString::fromLocal8Bit(ffmpeg.readAll()));
        return {};
    }
    return path;
}

} // namespace marquetrix::bench

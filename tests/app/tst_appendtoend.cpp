// The real program under X: started with generated clips as arguments, its window shows each
// clip's picture in a tile of its own. Its command line answers --help and --version without
// a display, refuses unknown options, and a missing file costs only its own tile.

#include "mediagenerator.h"
#include "testhttpserver.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTest>

using namespace marquetrix::test;

namespace {

const QString program = QStringLiteral(MARQUETRIX_BINARY);

bool isRed(QRgb p)
{
    return qRed(p) > 160 && qGreen(p) < 96 && qBlue(p) < 96;
}

bool isWhite(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200;
}

// Column ranges (at least `minWidth` wide) in which some row has red: each quadrant clip
// shows red in its top-left quarter, so two tiles side by side give two ranges.
QList<QPair<int, int>> redColumnRanges(const QImage &image, int minWidth)
{
    QList<QPair<int, int>> ranges;
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        bool red = false;
        for (int y = 0; x < image.width() && y < image.height() && !red; y += 4)
            red = isRed(image.pixel(x, y));
        if (red && start < 0)
            start = x;
        if (!red && start >= 0) {
            if (x - start >= minWidth)
                ranges.append({start, x});
            start = -1;
        }
    }
    return ranges;
}

int countWhite(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            count += isWhite(image.pixel(x, y));
    return count;
}

} // namespace

class TestAppEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void windowShowsTheClipsGiven();
    void quitsPromptlyWhileAStreamIsBusy();
};

void TestAppEndToEnd::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutPattern");
    QTest::newRow("version") << QStringList{"--version"} << 0
                             << "^Marquetrix \\d+\\.\\d+\\.\\d+\n$";
    QTest::newRow("help") << QStringList{"--help"} << 0
                          << "Usage: marquetrix \\[options\\] \\[FILE\\|URL...\\].*--fullscreen";
    QTest::newRow("help wins over files") << QStringList{"a.mp4", "-h"} << 0 << "^Usage: ";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << "^$";
}

void TestAppEndToEnd::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutPattern);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No display is needed to answer these.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(QRegularExpression(stdoutPattern, QRegularExpression::DotMatchesEverythingOption)
                 .match(out)
                 .hasMatch(),
             qPrintable(out));
}

void TestAppEndToEnd::windowShowsTheClipsGiven()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("needs the X server of the test session (scripts/test-session)");
    MediaGenerator media;
    const QString landscape =
        media.clip({.size = {640, 360}, .seconds = 30, .pattern = ClipPattern::Quadrants});
    const QString portrait =
        media.clip({.size = {360, 640}, .seconds = 30, .pattern = ClipPattern::Quadrants});
    QVERIFY2(!landscape.isEmpty() && !portrait.isEmpty(), qPrintable(media.failure()));

    QScreen *screen = QGuiApplication::primaryScreen();
    const QImage before = screen->grabWindow(0).toImage();
    QVERIFY(redColumnRanges(before, 20).isEmpty());

    QProcess app;
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A file that is not there fails alone; the clips around it still open.
    app.start(program, {QStringLiteral("--"), landscape,
                        media.directory() + QStringLiteral("/missing.mp4"), portrait});
    QVERIFY(app.waitForStarted(10000));

    QList<QPair<int, int>> ranges;
    const auto twoTilesShown = [&] {
        const QImage shot = screen->grabWindow(0).toImage();
        ranges = redColumnRanges(shot, 20);
        return ranges.size() == 2 && countWhite(shot) > 1000;
    };
    QTRY_VERIFY_WITH_TIMEOUT(twoTilesShown(), 30000);
    // The two tiles stand apart, side by side.
    QVERIFY(ranges.at(0).second < ranges.at(1).first);
    QCOMPARE(app.state(), QProcess::Running);

    app.terminate();
    QVERIFY(app.waitForFinished(15000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
}

void TestAppEndToEnd::quitsPromptlyWhileAStreamIsBusy()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("needs the X server of the test session (scripts/test-session)");
    // libVLC takes seconds to stop a playlist this long.
    MediaGenerator media;
    const QString playlist = media.repeatingHlsPlaylist(10000);
    QVERIFY2(!playlist.isEmpty(), qPrintable(media.failure()));
    TestHttpServer http(media.directory());
    QVERIFY(http.start());

    QProcess app;
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(program, {http.url(QFileInfo(playlist).fileName()).toString()});
    QVERIFY(app.waitForStarted(10000));
    // Past the playlist, the player fetches segments.
    QTRY_VERIFY_WITH_TIMEOUT(http.requestCount() > 3, 60000);

    QElapsedTimer clock;
    clock.start();
    app.terminate();
    QVERIFY(app.waitForFinished(60000));
    qInfo("Quitting took %lld ms", clock.elapsed());
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
}

QTEST_MAIN(TestAppEndToEnd)
#include "tst_appendtoend.moc"

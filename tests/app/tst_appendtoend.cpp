// The real program under X: started with generated clips as arguments (paths whatever their
// bytes, file URLs, an rtsps link), its window shows each clip's picture in a tile of its own. Its
// command line answers --help and --version without a display, refuses unknown options, and a
// missing file costs only its own tile and is reported as missing.

#include "mediagenerator.h"
#include "testhttpserver.h"
#include "rtsptestserver.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <filesystem>

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

// The argument for `printf %b`: bytes outside ASCII as octal escapes, so that a name that is
// not UTF-8 reaches the program as its bytes (QProcess would encode text).
QString printfEscaped(const QByteArray &bytes)
{
    QString escaped;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        escaped += byte < 0x80 ? QString(QLatin1Char(c))
                               : QStringLiteral("\\0%1").arg(byte, 3, 8, QLatin1Char('0'));
    }
    return escaped;
}

std::filesystem::path fileSystemPath(const QByteArray &bytes)
{
    return {std::string(bytes.constData(), size_t(bytes.size()))};
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
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void windowShowsTheClipsGiven_data();
    void windowShowsTheClipsGiven();
    void quitsPromptlyWhileAStreamIsBusy();

private:
    MediaGenerator m_media;
    RtspTestServer m_rtsps;
    QByteArray m_dir;
    QByteArray m_landscape;
    QByteArray m_portrait;
};

void TestAppEndToEnd::initTestCase()
{
    const QString landscape =
        m_media.clip({.size = {640, 360}, .seconds = 30, .pattern = ClipPattern::Quadrants});
    const QString portrait =
        m_media.clip({.size = {360, 640}, .seconds = 30, .pattern = ClipPattern::Quadrants});
    QVERIFY2(!landscape.isEmpty() && !portrait.isEmpty(), qPrintable(m_media.failure()));
    m_dir = QFile::encodeName(m_media.directory());
    m_landscape = QFile::encodeName(landscape);
    m_portrait = QFile::encodeName(portrait);
    // Names a file system takes and a URL does not carry as they are: bytes that are not
    // UTF-8 (Latin-1 "été"), blanks around the name.
    std::filesystem::copy_file(fileSystemPath(m_landscape),
                               fileSystemPath(m_dir + "/\xe9t\xe9.mp4"));
    std::filesystem::copy_file(fileSystemPath(m_portrait),
                               fileSystemPath(m_dir + "/ portrait .mp4 "));
    QVERIFY2(m_rtsps.start({.tls = true, .clip = landscape}), qPrintable(m_rtsps.failure()));
}

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

void TestAppEndToEnd::windowShowsTheClipsGiven_data()
{
    QTest::addColumn<QList<QByteArray>>("arguments");
    QTest::addColumn<int>("tiles");
    // A line the log must hold: the notice's text for an item that failed.
    QTest::addColumn<QByteArray>("logged");
    const QByteArray url = "file://" + m_dir.toPercentEncoding("/");
    QTest::newRow("paths, a missing file between")
        << QList<QByteArray>{"--", m_landscape, m_dir + "/missing.mp4", m_portrait} << 2
        << "File not found: " + m_dir + "/missing.mp4";
    QTest::newRow("names not UTF-8, blanks around")
        << QList<QByteArray>{m_dir + "/\xe9t\xe9.mp4", m_dir + "/ portrait .mp4 "} << 2
        << QByteArray();
    QTest::newRow("file URLs, one of a missing file")
        << QList<QByteArray>{url + "/%E9t%E9.mp4", url + "/gone.mp4",
                             url + "/%20portrait%20.mp4%20"}
        << 2 << "File not found: " + m_dir + "/gone.mp4";
    QTest::newRow("rtsps link") << QList<QByteArray>{m_rtsps.url().toEncoded()} << 1
                                << QByteArray();
    // Run in the clips' folder: relative paths, and one that names no file (not a host).
    QTest::newRow("relative paths") << QList<QByteArray>{"sub/clip.mp4", "\xe9t\xe9.mp4"} << 1
                                    << QByteArray("File not found: sub/clip.mp4");
}

void TestAppEndToEnd::windowShowsTheClipsGiven()
{
    QFETCH(QList<QByteArray>, arguments);
    QFETCH(int, tiles);
    QFETCH(QByteArray, logged);
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("needs the X server of the test session (scripts/test-session)");

    QScreen *screen = QGuiApplication::primaryScreen();
    const QImage before = screen->grabWindow(0).toImage();
    QVERIFY(redColumnRanges(before, 20).isEmpty());

    // The shell turns each escaped argument back into its bytes and starts the program.
    QStringList shellArguments{
        QStringLiteral("-c"),
        QStringLiteral("for a; do set -- \"$@\" \"$(printf '%b' \"$a\")\"; shift; done; "
                       "exec \"$0\" \"$@\""),
        program};
    for (const QByteArray &argument : arguments)
        shellArguments.append(printfEscaped(argument));
    QProcess app;
    app.setWorkingDirectory(QFile::decodeName(m_dir));
    QByteArray log;
    connect(&app, &QProcess::readyReadStandardError, &app,
            [&] { log += app.readAllStandardError(); });
    app.start(QStringLiteral("/bin/sh"), shellArguments);
    QVERIFY(app.waitForStarted(10000));

    QList<QPair<int, int>> ranges;
    const auto tilesShown = [&] {
        const QImage shot = screen->grabWindow(0).toImage();
        ranges = redColumnRanges(shot, 20);
        return ranges.size() == tiles && countWhite(shot) > 1000;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(tilesShown() && log.contains(logged), log.constData(), 30000);
    // Tiles stand apart, side by side.
    for (qsizetype i = 1; i < ranges.size(); ++i)
        QVERIFY(ranges.at(i - 1).second < ranges.at(i).first);
    // Nothing was taken for a web link.
    QVERIFY2(!log.contains("https://"), log.constData());
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

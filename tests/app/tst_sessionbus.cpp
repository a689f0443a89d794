// The window on the test session's private bus, as the desktop reaches it: a later start of the
// real program hands its items to the running window, and a media-player client (gdbus, as
// media-key daemons and player widgets speak to players) plays, pauses and reads the tiles.

#include "appwindow.h"
#include "contentcontroller.h"
#include "layoutstate.h"
#include "mediagenerator.h"
#include "mprisservice.h"
#include "singleinstance.h"
#include "videometadata.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QTest>
#include <csignal>

using namespace marquetrix;
using namespace marquetrix::test;

namespace {

const QString kProgram = QStringLiteral(MARQUETRIX_BINARY);

// A call to the window's media-player interface, as a client makes it; the reply as gdbus
// prints it.
QString mpris(const QStringList &call)
{
    QProcess gdbus;
    gdbus.start("gdbus",
                QStringList{"call", "--session", "--dest", "org.mpris.MediaPlayer2.marquetrix",
                            "--object-path", "/org/mpris/MediaPlayer2", "--method"} +
                    call);
    // The window answers from this process's event loop.
    if (!QTest::qWaitFor([&] { return gdbus.state() == QProcess::NotRunning; }, 10000))
        return "(no answer)";
    return QString::fromUtf8(gdbus.readAllStandardOutput() + gdbus.readAllStandardError());
}

QString playerProperty(const QString &name)
{
    return mpris({"org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2.Player", name});
}

bool allPlaying(const AppWindow &app, bool playing)
{
    const auto &tiles = app.layoutState()->videoMetas();
    return !tiles.isEmpty() && std::all_of(tiles.cbegin(), tiles.cend(), [&](const auto &tile) {
        return tile->playing() == playing;
    });
}

} // namespace

class SessionBusTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_clip = m_media.clip({.size = {320, 180}, .seconds = 3});
        QVERIFY2(!m_clip.isEmpty(), qPrintable(m_media.failure()));
        for (const char *name : {"b c.mp4", "d.mp4", "e.mp4"})
            QVERIFY(QFile::copy(m_clip, m_media.directory() + '/' + name));
    }

    // As a file manager's "Open With" does: a relative name (from the later start's own
    // directory), a file:// link and an absolute path become tiles of the running window in
    // the order given, and the later start exits at once without a window of its own.
    void laterStartHandsItsItemsOver()
    {
        AppWindow app;
        QVERIFY2(app.start({m_clip}), qPrintable(app.failure()));
        SingleInstance instance;
        QVERIFY(instance.claim());
        instance.serve(app.controller(), app.window());
        QTRY_COMPARE(app.tileCount(), 1);

        QProcess later;
        later.setWorkingDirectory(m_media.directory());
        QElapsedTimer took;
        took.start();
        later.start(kProgram,
                    {"b c.mp4", QUrl::fromLocalFile(m_media.directory() + "/d.mp4").toString(),
                     m_media.directory() + "/e.mp4"});
        QTRY_VERIFY_WITH_TIMEOUT(later.state() == QProcess::NotRunning, 10000);
        qInfo("The later start exited after %lld ms", took.elapsed());
        QCOMPARE(later.exitStatus(), QProcess::NormalExit);
        QCOMPARE(later.exitCode(), 0);
        QTRY_COMPARE(app.tileCount(), 4);
        QCOMPARE(app.titles().mid(1), QStringList({"b c.mp4", "d.mp4", "e.mp4"}));
    }

    // A window that holds the name but no longer answers (stopped, hung) must not keep the
    // user from opening videos: the later start gives up on it and opens its own window.
    void hungOwnerDoesNotBlockAStart()
    {
        QProcess owner;
        QProcess later;
        auto stop = qScopeGuard([&] {
            ::kill(static_cast<pid_t>(owner.processId()), SIGCONT);
            for (QProcess *process : {&owner, &later})
                process->kill(), process->waitForFinished();
        });
        owner.start(kProgram);
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(
                                     "org.marquetrix.Marquetrix"),
                                 10000);
        ::kill(static_cast<pid_t>(owner.processId()), SIGSTOP);
        QVERIFY(AppWindow::launch(later, kProgram, {m_clip}));
        QCOMPARE(later.state(), QProcess::Running);
    }

    // Play-pause from the desktop acts on every tile, as the window's own Pause All does; the
    // status follows and its change is announced; the metadata names the first tile.
    void mediaKeysReachEveryTile()
    {
        const QString moving = m_media.clip({.size = {320, 180}, .seconds = 30});
        QVERIFY2(!moving.isEmpty(), qPrintable(m_media.failure()));
        AppWindow app;
        QVERIFY2(app.start({moving, moving}), qPrintable(app.failure()));
        MprisService service(app.controller(), app.window());
        QVERIFY(service.claim());
        QTRY_VERIFY(allPlaying(app, true));
        QTRY_VERIFY(playerProperty("PlaybackStatus").contains("'Playing'"));

        QProcess monitor;
        auto stopMonitor = qScopeGuard([&] { monitor.kill(), monitor.waitForFinished(); });
        // Line-buffered: to a pipe, gdbus would hold its output back.
        monitor.start("stdbuf", {"-oL", "gdbus", "monitor", "--session", "--dest",
                                 "org.mpris.MediaPlayer2.marquetrix"});
        QVERIFY(monitor.waitForStarted());
        QTest::qWait(300);

        mpris({"org.mpris.MediaPlayer2.Player.PlayPause"});
        QTRY_VERIFY(allPlaying(app, false));
        QTRY_VERIFY(playerProperty("PlaybackStatus").contains("'Paused'"));
        // The pictures stand still (the frame in flight when the call came may still land).
        QImage before;
        QTRY_VERIFY_WITH_TIMEOUT((before = app.grab(), QTest::qWait(500), app.grab() == before),
                                 5000);
        QByteArray announced;
        QTRY_VERIFY((announced += monitor.readAllStandardOutput()).contains("'Paused'"));

        mpris({"org.mpris.MediaPlayer2.Player.PlayPause"});
        QTRY_VERIFY(allPlaying(app, true));
        QTRY_VERIFY(app.grab() != before);

        const QString metadata = playerProperty("Metadata");
        QVERIFY2(metadata.contains(app.titles().constFirst()), qPrintable(metadata));
        QVERIFY2(metadata.contains("'mpris:length': <int64 30"), qPrintable(metadata));
    }

private:
    MediaGenerator m_media;
    QString m_clip;
};

QTEST_MAIN(SessionBusTest)
#include "tst_sessionbus.moc"

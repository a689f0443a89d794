// The app itself, given a page link on its command line with no resolver configured: the
// bundled service finds the clip on the page and the tile plays it, and the log shows the
// page's links without their passwords, and only so many. Killed without a chance to clean
// up, the app leaves no service behind.

#include "mediagenerator.h"
#include "testhttpserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;
using namespace marquetrix::test;

class TestAppPageLink : public QObject
{
    Q_OBJECT

private slots:
    void pageLinkPlaysThroughTheBundledService();
};

void TestAppPageLink::pageLinkPlaysThroughTheBundledService()
{
    MediaGenerator media;
    const QString clip = media.clip();
    QVERIFY2(!clip.isEmpty(), qPrintable(media.failure()));
    TestHttpServer http(media.directory());
    QVERIFY(http.start());
    const QByteArray more = "http://viewer@" + http.url({}).authority().toUtf8() + "/more-";
    QByteArray links;
    for (int i = 1; i <= 12; ++i)
        links += "<a href=\"" + QByteArray(more).replace("@", ":Secret7Pw@") +
                 QByteArray::number(i) + ".mp4\">more</a>";
    QFile page(QDir(media.directory()).filePath(u"watch.html"_s));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><head><title>App clip</title></head><body><video src=\"" +
               QFileInfo(clip).fileName().toUtf8() + "\"></video>" + links + "</body></html>");
    page.close();

    // A settings folder of its own: nothing configured, whatever other tests stored. No
    // yt-dlp: the service reads the page itself, and names its links too.
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"MARQUETRIX_RESOLVER_URL", "http_proxy", "HTTP_PROXY", "all_proxy"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(u"XDG_CONFIG_HOME"_s, config.path());
    environment.insert(u"PATH"_s, config.path());
    environment.insert(u"QT_LOGGING_RULES"_s, u"marquetrix.*.info=true"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess app;
    app.setProcessEnvironment(environment);
    app.setProcessChannelMode(QProcess::MergedChannels);
    app.start(QStringLiteral(MARQUETRIX_APP_PROGRAM), {http.url(u"watch.html"_s).toString()});
    QVERIFY(app.waitForStarted());
    QByteArray log;
    QVERIFY2(QTest::qWaitFor([&] { return (log += app.readAll()).contains("and playing"); }, 60000),
             log.right(4000).constData());
    const QByteArray clipUrl = http.url(QFileInfo(clip).fileName()).toEncoded();
    QVERIFY2(log.contains("Got video urls [\"" + clipUrl + "\", \"" + more + "1.mp4\""),
             log.constData());
    QVERIFY2(log.contains(more + "9.mp4\"] and 3 more") && !log.contains("Secret7Pw"),
             log.constData());

    QProcess pgrep;
    pgrep.start(u"pgrep"_s, {"-P", QString::number(app.processId()), "-x", "marquetrix-reso"});
    QVERIFY(pgrep.waitForFinished());
    const QList<QByteArray> services = pgrep.readAll().trimmed().split('\n');
    QCOMPARE(services.size(), 1);
    kill(pid_t(app.processId()), SIGKILL);
    QVERIFY(app.waitForFinished());
    // Gone, or a zombie waiting for whoever adopted it.
    const auto ended = [path = "/proc/" + services.first() + "/stat"] {
        QFile stat(QString::fromLatin1(path));
        return !stat.open(QIODevice::ReadOnly) || stat.readAll().split(')').last().startsWith(" Z");
    };
    QTRY_VERIFY(ended());
}

QTEST_GUILESS_MAIN(TestAppPageLink)
#include "tst_apppagelink.moc"

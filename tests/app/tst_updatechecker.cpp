// The update check against appcast feeds served on 127.0.0.1: a newer release, the same one,
// a malformed feed and an unreachable server; the menu item is disabled while a check runs.
// Version comparison and feed reading in tables.

#include "appcast.h"
#include "testhttpserver.h"
#include "updatechecker.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace marquetrix;
using namespace marquetrix::test;

namespace {

QByteArray feed(const QStringList &items)
{
    QByteArray xml = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Marquetrix</title>)";
    for (const QString &item : items)
        xml += item.toUtf8();
    return xml + "</channel></rss>";
}

QString item(const QString &version, const QString &build = QStringLiteral("99"))
{
    return QStringLiteral(
               "<item><title>Marquetrix %1</title>"
               "<link>https://marquetrix.org/releases/%1</link>"
               "<sparkle:version>%2</sparkle:version>"
               "<enclosure url=\"https://marquetrix.org/marquetrix-%1.tar.xz\" "
               "sparkle:shortVersionString=\"%1\" length=\"1\" type=\"application/x-xz\"/>"
               "</item>")
        .arg(version, build);
}

} // namespace

class TestUpdateChecker : public QObject
{
    Q_OBJECT

private slots:
    void compareVersions_data();
    void compareVersions();
    void newestRelease_data();
    void newestRelease();
    void checkAgainstServedFeed_data();
    void checkAgainstServedFeed();
    void unreachableFeedFails();
    void configuredAddress();
};

void TestUpdateChecker::compareVersions_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("sign");
    QTest::newRow("equal") << "1.2.3"
                           << "1.2.3" << 0;
    QTest::newRow("missing parts are zero") << "1.0"
                                            << "1" << 0;
    QTest::newRow("numeric, not textual") << "1.10"
                                          << "1.9" << 1;
    QTest::newRow("older minor") << "0.1.0"
                                 << "0.2" << -1;
    QTest::newRow("longer newer") << "1.0.1"
                                  << "1.0" << 1;
}

void TestUpdateChecker::compareVersions()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, sign);
    const int result = marquetrix::compareVersions(a, b);
    QCOMPARE((result > 0) - (result < 0), sign);
    QCOMPARE((marquetrix::compareVersions(b, a) > 0) - (marquetrix::compareVersions(b, a) < 0),
             -sign);
}

void TestUpdateChecker::newestRelease_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("version");
    QTest::newRow("one item") << feed({item("0.2.0")}) << "0.2.0";
    QTest::newRow("newest of several, any order")
        << feed({item("0.9.0"), item("0.10.1"), item("0.10.0")}) << "0.10.1";
    QTest::newRow("shown version over build number") << feed({item("1.2", "1500")}) << "1.2";
    QTest::newRow("build number when nothing else")
        << feed({"<item><sparkle:version>7</sparkle:version></item>"}) << "7";
    QTest::newRow("no version") << feed({"<item><title>x</title></item>"}) << "";
    QTest::newRow("not rss") << QByteArray("<html><body>hello</body></html>") << "";
    QTest::newRow("broken xml") << QByteArray("<rss><channel><item>") << "";
    QTest::newRow("garbage version ignored")
        << feed({"<item><sparkle:shortVersionString>latest</sparkle:shortVersionString></item>"})
        << "";
}

void TestUpdateChecker::newestRelease()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, version);
    QString error;
    const auto release = marquetrix::newestRelease(xml, &error);
    QCOMPARE(release.has_value(), !version.isEmpty());
    if (release)
        QCOMPARE(release->version, version);
    else
        QVERIFY(!error.isEmpty());
}

void TestUpdateChecker::checkAgainstServedFeed_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<UpdateChecker::Result>("result");
    QTest::addColumn<QString>("message");
    QTest::newRow("newer") << feed({item("0.1.0"), item("0.3.1")})
                           << UpdateChecker::Result::UpdateAvailable
                           << "Marquetrix 0.3.1 is available; you have 0.2.0.";
    QTest::newRow("same") << feed({item("0.2.0"), item("0.1.9")}) << UpdateChecker::Result::UpToDate
                          << "Marquetrix 0.2.0 is the newest version.";
    QTest::newRow("older") << feed({item("0.1.0")}) << UpdateChecker::Result::UpToDate
                           << "Marquetrix 0.2.0 is the newest version.";
    QTest::newRow("malformed") << QByteArray("<rss><channel><item><title>")
                               << UpdateChecker::Result::Failed
                               << "Could not check for updates: the update feed is not understood.";
}

void TestUpdateChecker::checkAgainstServedFeed()
{
    QFETCH(QByteArray, xml);
    QFETCH(UpdateChecker::Result, result);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QFile out(dir.filePath(QStringLiteral("appcast.xml")));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(xml);
    out.close();
    TestHttpServer http(dir.path());
    QVERIFY(http.start());

    UpdateChecker checker;
    checker.setFeedUrl(http.url(QStringLiteral("appcast.xml")));
    checker.setCurrentVersion(QStringLiteral("0.2.0"));
    QVERIFY(checker.canCheckForUpdates());
    QSignalSpy finished(&checker, &UpdateChecker::finished);
    QSignalSpy canCheck(&checker, &UpdateChecker::canCheckForUpdatesChanged);
    if (result == UpdateChecker::Result::Failed)
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^Update feed not understood")));
    checker.checkForUpdates();
    QVERIFY(!checker.canCheckForUpdates());
    // A second request while one runs starts nothing.
    checker.checkForUpdates();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(http.requestCount(), 1);
    QVERIFY(checker.canCheckForUpdates());
    QCOMPARE(canCheck.count(), 2);
    QCOMPARE(checker.result(), result);
    QCOMPARE(checker.message(), message);
}

void TestUpdateChecker::unreachableFeedFails()
{
    // A port that was free a moment ago: nothing listens there.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();

    UpdateChecker checker;
    checker.setFeedUrl(QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(port)));
    QSignalSpy finished(&checker, &UpdateChecker::finished);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Update check failed")));
    checker.checkForUpdates();
    QVERIFY(finished.wait(10000));
    QCOMPARE(checker.result(), UpdateChecker::Result::Failed);
    QVERIFY(checker.message().startsWith(QStringLiteral("Could not check for updates: ")));
    QVERIFY(checker.canCheckForUpdates());

    // A server that accepts and never answers fails after the bound.
    TestHttpServer stalled(QDir::tempPath());
    stalled.setMode(TestHttpServer::Mode::Stall);
    QVERIFY(stalled.start());
    checker.setTimeout(500);
    checker.setFeedUrl(stalled.url(QStringLiteral("appcast.xml")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Update check failed")));
    checker.checkForUpdates();
    QVERIFY(finished.wait(10000));
    QCOMPARE(checker.result(), UpdateChecker::Result::Failed);
}

void TestUpdateChecker::configuredAddress()
{
    QCOMPARE(UpdateChecker::defaultFeedUrl().scheme(), QStringLiteral("https"));
    qputenv("MARQUETRIX_APPCAST_URL", "http://127.0.0.1:1/feed.xml");
    QCOMPARE(UpdateChecker().feedUrl(), QUrl(QStringLiteral("http://127.0.0.1:1/feed.xml")));
    qunsetenv("MARQUETRIX_APPCAST_URL");
}

QTEST_GUILESS_MAIN(TestUpdateChecker)
#include "tst_updatechecker.moc"

// Links the window receives (command line, drops): the same roads as the dialog, new tiles.

#include "scriptedhttpserver.h"
#include "sentinel.h"

#include "credentialstore.h"
#include "fakeengine.h"
#include "layoutstate.h"
#include "linkopener.h"
#include "openedrecord.h"
#include "videometadata.h"
#include "viewstate.h"

#include <QTemporaryDir>
#include <QTest>

using namespace marquetrix;
using Road = LinkOpener::Road;

Q_DECLARE_METATYPE(LinkOpener::Road)

namespace {

struct Window
{
    Window() : opener(viewState, layoutState, engine)
    {
        opener.setResolverTiming({.attemptTimeout = std::chrono::milliseconds(1000),
                                  .retryDelay = std::chrono::milliseconds(20),
                                  .maxRetryCount = 3,
                                  .maxBodyBytes = 8 * 1024 * 1024});
    }

    QUrl openedUrl(int index = 0) const
    {
        return engine.listPlayers.at(index)->mediaList()->mediaAtIndex(0)->url();
    }

    FakeMediaEngine engine;
    ViewState viewState;
    LayoutState layoutState;
    LinkOpener opener;
};

} // namespace

class TestLinkOpener : public QObject
{
    Q_OBJECT

private slots:
    void roads_data();
    void roads();
    void localFiles();
    void storedCredentialsGoIntoDroppedLinks();
    void pageLinksAreResolved();
    void failuresRaiseTheNotice_data();
    void failuresRaiseTheNotice();
};

void TestLinkOpener::roads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Road>("road");
    QTest::addColumn<QString>("opened");
    QTest::newRow("scheme in upper case")
        << " HTTPS://example.com/clip.mp4 " << Road::Direct << "https://example.com/clip.mp4";
    QTest::newRow("rtsp") << "rtsp://camera/live" << Road::Direct << "rtsp://camera/live";
    QTest::newRow("playlist with query")
        << "https://e.com/index.m3u8?token=1" << Road::Direct << "https://e.com/index.m3u8?token=1";
    QTest::newRow("MP4 goes to the resolver")
        << "https://e.com/a/video.MP4" << Road::Resolver << "";
    QTest::newRow("not valid") << "https://example.com" << Road::Rejected << "";
    QTest::newRow("no scheme: a missing file") << "example.com/clip.mp4" << Road::Rejected << "";
}

void TestLinkOpener::roads()
{
    QFETCH(QString, text);
    QFETCH(Road, road);
    QFETCH(QString, opened);
    Window window;
    window.opener.setResolverUrl(QUrl(QStringLiteral("http://127.0.0.1:9/")));
    QCOMPARE(window.opener.open(text.toUtf8()), road);
    if (road != Road::Direct)
        return;
    // The store is asked for the host's credentials first.
    QTRY_COMPARE(window.layoutState.videoMetas().size(), 1);
    QCOMPARE(window.openedUrl().toString(), opened);
    QCOMPARE(window.engine.listPlayers.first()->options, kDirectLinkOptions);
}

void TestLinkOpener::localFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("holiday clip.mkv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    Window window;
    QCOMPARE(window.opener.open(path.toUtf8()), Road::LocalFile);
    QCOMPARE(window.opener.open(QUrl::fromLocalFile(path)), Road::LocalFile);
    QCOMPARE(window.layoutState.videoMetas().size(), 2);
    QCOMPARE(window.layoutState.videoMetas().first()->title(), QStringLiteral("holiday clip.mkv"));
    QCOMPARE(window.openedUrl(), QUrl::fromLocalFile(path));
    QCOMPARE(window.engine.listPlayers.first()->options, kLocalFileOptions);
}

void TestLinkOpener::storedCredentialsGoIntoDroppedLinks()
{
    const QString host =
        QStringLiteral("drop-%1.example").arg(QUuid::createUuid().toString(QUuid::Id128).left(8));
    storeCredentials(
        {.server = host, .username = QStringLiteral("cam"), .password = kSentinelPassword});
    Window window;
    QCOMPARE(window.opener.open(QUrl(QStringLiteral("https://%1:8443/v.mp4?x=1").arg(host))),
             Road::Direct);
    QTRY_COMPARE(window.layoutState.videoMetas().size(), 1);
    const QUrl opened = window.openedUrl();
    QCOMPARE(opened.userName(), QStringLiteral("cam"));
    QCOMPARE(opened.password(), kSentinelPassword);
    QCOMPARE(opened.host(), host);
    QCOMPARE(opened.port(), 8443);
    QVERIFY(!opened.hasQuery());
    QCOMPARE(window.layoutState.videoMetas().first()->title(), QStringLiteral("v.mp4"));
}

void TestLinkOpener::pageLinksAreResolved()
{
    ScriptedHttpServer server;
    QVERIFY(server.start());
    server.respond([](const ScriptedHttpServer::Request &request) {
        ScriptedHttpServer::Response response;
        response.body = request.method == "POST"
                            ? QByteArray(R"({"urls":["https://cdn.example/a.m3u8"]})")
                            : QByteArray("<title>Dropped page</title>");
        return response;
    });
    Window window;
    window.opener.setResolverUrl(server.url(QStringLiteral("/resolve")));
    QCOMPARE(window.opener.open(server.url(QStringLiteral("/watch"))), Road::Resolver);
    QTRY_COMPARE(window.layoutState.videoMetas().size(), 1);
    const auto record = window.layoutState.videoMetas().first();
    QVERIFY(record->isStreamingURL());
    QCOMPARE(window.engine.listPlayers.first()->options, kResolvedStreamOptions);
    QCOMPARE(window.openedUrl(), QUrl(QStringLiteral("https://cdn.example/a.m3u8")));
    QTRY_COMPARE(record->title(), QStringLiteral("Dropped page"));
    QVERIFY(!window.viewState.showFailedToOpenAlert());
}

void TestLinkOpener::failuresRaiseTheNotice_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("resolver fails") << 404 << QByteArray("<html></html>");
    QTest::newRow("resolver names nothing") << 200 << QByteArray(R"({"urls":[]})");
}

void TestLinkOpener::failuresRaiseTheNotice()
{
    QFETCH(int, status);
    QFETCH(QByteArray, answer);
    ScriptedHttpServer server;
    QVERIFY(server.start());
    server.respond({.status = status, .body = answer});
    Window window;
    window.opener.setResolverUrl(server.url());
    QCOMPARE(window.opener.open(QByteArray("https://example.com/page")), Road::Resolver);
    QTRY_VERIFY(window.viewState.showFailedToOpenAlert());
    QVERIFY(window.layoutState.videoMetas().isEmpty());

    window.viewState.setShowFailedToOpenAlert(false);
    QCOMPARE(window.opener.open(QByteArray("https://exa mple.com/a.mp4")), Road::Rejected);
    QVERIFY(window.viewState.showFailedToOpenAlert());
}

QTEST_GUILESS_MAIN(TestLinkOpener)
#include "tst_linkopener.moc"

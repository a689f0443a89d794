// Links opened through the dialog play on the real engine: a clip on a web server opened
// directly with credentials, a page resolved to an HLS playlist, and a camera that asks for
// digest authentication, reached with the credentials typed in the dialog.

#include "sentinel.h"

#include "layoutstate.h"
#include "media.h"
#include "mediagenerator.h"
#include "medialist.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "rtsptestserver.h"
#include "testhttpserver.h"
#include "videometadata.h"
#include "videoopenercontroller.h"
#include "viewstate.h"
#include "vlcmediaengine.h"

#include <QFileInfo>
#include <QTest>

using namespace marquetrix;
using namespace marquetrix::test;

class TestOpeningEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void linksPlay_data();
    void linksPlay();

private:
    MediaGenerator m_media;
    std::unique_ptr<TestHttpServer> m_http;
    VlcMediaEngine m_engine;
};

void TestOpeningEngine::initTestCase()
{
    QVERIFY2(!m_media.clip().isEmpty(), qPrintable(m_media.failure()));
    QVERIFY2(!m_media.hlsPlaylist().isEmpty(), qPrintable(m_media.failure()));
    m_http = std::make_unique<TestHttpServer>(m_media.directory());
    QVERIFY(m_http->start());
    const QUrl playlist = m_http->url(QFileInfo(m_media.hlsPlaylist()).fileName());
    // POSTs to /resolve name the playlist; /watch is its page.
    m_http->setScript([playlist](const TestHttpServer::Request &request)
                          -> std::optional<TestHttpServer::Answer> {
        if (request.target == "/resolve")
            return TestHttpServer::Answer{.body = "{\"urls\":[\"" + playlist.toEncoded() + "\"]}"};
        if (request.target == "/watch")
            return TestHttpServer::Answer{.body = "<title>Generated stream</title>"};
        return std::nullopt;
    });
}

void TestOpeningEngine::linksPlay_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::newRow("direct") << "direct" << QFileInfo(m_media.clip()).fileName();
    QTest::newRow("resolved") << "resolved"
                              << "Generated stream";
    QTest::newRow("camera") << "camera"
                            << "live";
}

void TestOpeningEngine::linksPlay()
{
    QFETCH(QString, kind);
    QFETCH(QString, title);
    RtspTestServer camera;
    ViewState viewState;
    LayoutState layoutState;
    VideoOpenerController dialog;
    dialog.setViewState(&viewState);
    dialog.setLayoutState(&layoutState);
    dialog.setEngine(&m_engine);
    dialog.setUrl(m_http->url(QStringLiteral("/resolve")));
    if (kind == u"camera") {
        QVERIFY2(camera.start({.transport = QStringLiteral("tcp"),
                               .auth = QStringLiteral("digest"),
                               .user = QStringLiteral("viewer"),
                               .password = kSentinelPassword}),
                 qPrintable(camera.failure()));
        dialog.setVideoUrl(camera.url().toString());
    } else {
        dialog.setVideoUrl(
            m_http->url(kind == u"direct" ? title : QStringLiteral("watch")).toString());
    }
    if (kind != u"resolved") {
        dialog.setUsername(QStringLiteral("viewer"));
        dialog.setPassword(kSentinelPassword);
    }
    dialog.openEnteredURL();
    QTRY_COMPARE(layoutState.videoMetas().size(), 1);
    const auto record = layoutState.videoMetas().first();
    QTRY_COMPARE(record->title(), title);
    QCOMPARE(record->isStreamingURL(), kind == u"resolved");
    record->mediaPlayer()->play();
    MediaPlayer *player = record->mediaPlayer()->mediaPlayer();
    QTRY_VERIFY_WITH_TIMEOUT(player->isPlaying() && player->time().value_or(0) > 0, 20000);
    record->mediaPlayer()->stop();
    layoutState.setVideoMetas({});
}

QTEST_MAIN(TestOpeningEngine)
#include "tst_openingengine.moc"

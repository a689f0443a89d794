// Links opened through the dialog play on the real engine: a clip on a web server opened
// directly with credentials, and a page resolved to an HLS playlist.

#include "scriptedhttpserver.h"
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

namespace {

constexpr int kPlaybackTimeout = 20000;

bool playsOn(const std::shared_ptr<VideoMetadata> &record)
{
    record->mediaPlayer()->play();
    MediaPlayer *player = record->mediaPlayer()->mediaPlayer();
    const bool played =
        QTest::qWaitFor([player] { return player->isPlaying() && player->time().value_or(0) > 0; },
                        kPlaybackTimeout);
    record->mediaPlayer()->stop();
    return played;
}

} // namespace

class TestOpeningEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void directLinkWithCredentialsPlays();
    void resolvedPlaylistPlays();
    void protectedCameraPlays();

private:
    MediaGenerator m_media;
    std::unique_ptr<TestHttpServer> m_http;
    VlcMediaEngine m_engine;
    ViewState m_viewState;
    LayoutState m_layoutState;
};

void TestOpeningEngine::initTestCase()
{
    QVERIFY2(!m_media.clip().isEmpty(), qPrintable(m_media.failure()));
    QVERIFY2(!m_media.hlsPlaylist().isEmpty(), qPrintable(m_media.failure()));
    m_http = std::make_unique<TestHttpServer>(m_media.directory());
    QVERIFY(m_http->start());
}

void TestOpeningEngine::directLinkWithCredentialsPlays()
{
    const QString clip = QFileInfo(m_media.clip()).fileName();
    VideoOpenerController dialog;
    dialog.setViewState(&m_viewState);
    dialog.setLayoutState(&m_layoutState);
    dialog.setEngine(&m_engine);
    dialog.setVideoUrl(m_http->url(clip).toString());
    dialog.setUsername(QStringLiteral("viewer"));
    dialog.setPassword(kSentinelPassword);
    dialog.openEnteredURL();

    QCOMPARE(m_layoutState.videoMetas().size(), 1);
    const auto record = m_layoutState.videoMetas().last();
    QCOMPARE(record->title(), clip);
    QCOMPARE(record->mediaPlayer()->mediaList()->mediaAtIndex(0)->url().password(),
             kSentinelPassword);
    QVERIFY(playsOn(record));
    m_layoutState.setVideoMetas({});
}

void TestOpeningEngine::resolvedPlaylistPlays()
{
    const QUrl playlist = m_http->url(QFileInfo(m_media.hlsPlaylist()).fileName());
    ScriptedHttpServer resolver;
    QVERIFY(resolver.start());
    resolver.respond([playlist](const ScriptedHttpServer::Request &request) {
        ScriptedHttpServer::Response response;
        response.body = request.method == "POST" ? "{\"urls\":[\"" + playlist.toEncoded() + "\"]}"
                                                 : QByteArray("<title>Generated stream</title>");
        return response;
    });
    VideoOpenerController dialog;
    dialog.setViewState(&m_viewState);
    dialog.setLayoutState(&m_layoutState);
    dialog.setEngine(&m_engine);
    dialog.setUrl(resolver.url(QStringLiteral("/resolve")));
    dialog.setVideoUrl(resolver.url(QStringLiteral("/watch")).toString());
    dialog.openEnteredURL();
    QTRY_COMPARE(m_layoutState.videoMetas().size(), 1);
    const auto record = m_layoutState.videoMetas().first();
    QTRY_COMPARE(record->title(), QStringLiteral("Generated stream"));
    QVERIFY(record->isStreamingURL());
    QVERIFY(playsOn(record));
    m_layoutState.setVideoMetas({});
}

// A camera that asks for digest authentication: the credentials typed in the dialog reach it
// through the URL.
void TestOpeningEngine::protectedCameraPlays()
{
    RtspTestServer camera;
    QVERIFY2(camera.start({.transport = QStringLiteral("tcp"),
                           .auth = QStringLiteral("digest"),
                           .user = QStringLiteral("viewer"),
                           .password = kSentinelPassword}),
             qPrintable(camera.failure()));
    VideoOpenerController dialog;
    dialog.setViewState(&m_viewState);
    dialog.setLayoutState(&m_layoutState);
    dialog.setEngine(&m_engine);
    dialog.setVideoUrl(camera.url().toString());
    dialog.setUsername(QStringLiteral("viewer"));
    dialog.setPassword(kSentinelPassword);
    dialog.openEnteredURL();
    QCOMPARE(m_layoutState.videoMetas().size(), 1);
    const auto record = m_layoutState.videoMetas().first();
    QCOMPARE(record->title(), QStringLiteral("live"));
    QVERIFY(playsOn(record));
    m_layoutState.setVideoMetas({});
}

QTEST_MAIN(TestOpeningEngine)
#include "tst_openingengine.moc"

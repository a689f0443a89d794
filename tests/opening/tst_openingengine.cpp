// Links opened through the dialog with credentials play on the real engine: a clip on a web
// server, and a camera that asks for digest authentication. The engine's log, on in full,
// never shows the password.

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

using namespace Qt::StringLiterals;
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
    m_http = std::make_unique<TestHttpServer>(m_media.directory());
    QVERIFY(m_http->start());
}

void TestOpeningEngine::linksPlay_data()
{
    QTest::addColumn<bool>("camera");
    QTest::newRow("web server") << false;
    QTest::newRow("camera asking for digest authentication") << true;
}

void TestOpeningEngine::linksPlay()
{
    QFETCH(bool, camera);
    RtspTestServer rtsp;
    ViewState viewState;
    LayoutState layoutState;
    VideoOpenerController dialog;
    dialog.setViewState(&viewState);
    dialog.setLayoutState(&layoutState);
    dialog.setEngine(&m_engine);
    QVERIFY2(!camera || rtsp.start({.transport = u"tcp"_s,
                                    .auth = u"digest"_s,
                                    .user = u"viewer"_s,
                                    .password = kSentinelPassword}),
             qPrintable(rtsp.failure()));
    dialog.setVideoUrl(
        (camera ? rtsp.url() : m_http->url(QFileInfo(m_media.clip()).fileName())).toString());
    dialog.setUsername(u"viewer"_s);
    dialog.setPassword(kSentinelPassword);
    dialog.openEnteredURL();
    QCOMPARE(layoutState.videoMetas().size(), 1);
    const auto record = layoutState.videoMetas().first();
    record->mediaPlayer()->play();
    MediaPlayer *player = record->mediaPlayer()->mediaPlayer();
    QTRY_VERIFY_WITH_TIMEOUT(player->isPlaying() && player->time().value_or(0) > 0, 20000);
    record->mediaPlayer()->stop();
    layoutState.setVideoMetas({});
}

QTEST_MAIN(TestOpeningEngine)
#include "tst_openingengine.moc"

// A page link opened through the dialog with no resolver configured: the bundled service
// finds the clip on the page, and the clip plays on the real engine.

#include "embeddedresolver.h"
#include "layoutstate.h"
#include "mediagenerator.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "testhttpserver.h"
#include "videometadata.h"
#include "videoopenercontroller.h"
#include "viewstate.h"
#include "vlcmediaengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

using namespace marquetrix;
using namespace marquetrix::test;

namespace {

constexpr int kOpenTimeout = 30000;
constexpr int kPlaybackTimeout = 20000;

} // namespace

class TestBundledResolverPlayback : public QObject
{
    Q_OBJECT

private slots:
    void pageLinkPlaysThroughTheBundledService();
};

void TestBundledResolverPlayback::pageLinkPlaysThroughTheBundledService()
{
    QSettings(QStringLiteral("Marquetrix"), QStringLiteral("Marquetrix"))
        .remove(QStringLiteral("resolverUrl"));
    qunsetenv("MARQUETRIX_RESOLVER_URL");

    MediaGenerator media;
    const QString clip = media.clip();
    QVERIFY2(!clip.isEmpty(), qPrintable(media.failure()));
    QFile page(QDir(media.directory()).filePath(QStringLiteral("watch.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><head><title>Bundled clip</title></head><body><video controls src=\"" +
               QFileInfo(clip).fileName().toUtf8() + "\"></video></body></html>");
    page.close();
    TestHttpServer http(media.directory());
    QVERIFY(http.start());

    VlcMediaEngine engine;
    ViewState viewState;
    LayoutState layoutState;
    VideoOpenerController dialog;
    QCOMPARE(dialog.url(), EmbeddedResolver::sharedBaseUrl().value_or(QUrl()));
    dialog.setViewState(&viewState);
    dialog.setLayoutState(&layoutState);
    dialog.setEngine(&engine);
    dialog.setVideoUrl(http.url(QStringLiteral("watch.html")).toString());
    dialog.openEnteredURL();

    QTRY_COMPARE_WITH_TIMEOUT(layoutState.videoMetas().size(), 1, kOpenTimeout);
    const auto record = layoutState.videoMetas().first();
    QVERIFY(record->isStreamingURL());
    QTRY_COMPARE(record->title(), QStringLiteral("Bundled clip"));
    record->mediaPlayer()->play();
    MediaPlayer *player = record->mediaPlayer()->mediaPlayer();
    QVERIFY(
        QTest::qWaitFor([player] { return player->isPlaying() && player->time().value_or(0) > 0; },
                        kPlaybackTimeout));
    record->mediaPlayer()->stop();
    layoutState.setVideoMetas({});
}

QTEST_MAIN(TestBundledResolverPlayback)
#include "tst_bundledresolverplayback.moc"

// The tile's picture surface and player binding declared in QML, as the tile view uses them.

#include "fakeengine.h"
#include "playerstate.h"
#include "videoview.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QTest>
#include <QVideoSink>
#include <QtQml/qqmlextensionplugin.h>
#include <memory>

Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_PlaybackPlugin)

using namespace marquetrix;

namespace {

const char *const tileQml = R"(
import QtQuick
import Marquetrix.State
import Marquetrix.Playback

Item {
    id: root
    required property VideoMetadata record
    required property var engine
    property alias view: view
    property alias surface: surface
    property alias tileState: tileState
    width: 320
    height: 180

    ViewState { id: viewState }
    LayoutState { id: layoutState }
    PlayerState { id: tileState; videoMeta: root.record }
    VideoSurface { id: surface; anchors.fill: parent }
    VideoView {
        id: view
        playerState: tileState
        viewState: viewState
        layoutState: layoutState
        drawable: surface.videoSink
        engine: root.engine
    }
}
)";

} // namespace

class TestVideoSurface : public QObject
{
    Q_OBJECT

private slots:
    void bindsInQml();
};

void TestVideoSurface::bindsInQml()
{
    FakeMediaEngine media;
    const auto listPlayer = media.openListPlayer(QUrl(QStringLiteral("file:///clips/a.mp4")));
    const auto meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), listPlayer);
    meta->setPosition(2.5f);

    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(tileQml, QUrl());
    QVERIFY2(component.isReady(), qPrintable(component.errorString()));
    // The engine reaches QML as an opaque pointer.
    std::unique_ptr<QObject> root(component.createWithInitialProperties(
        {{QStringLiteral("record"), QVariant::fromValue(meta.get())},
         {QStringLiteral("engine"), QVariant::fromValue<MediaEngine *>(&media)}}));
    QVERIFY2(root, qPrintable(component.errorString()));

    auto *view = root->property("view").value<VideoView *>();
    auto *surface = root->property("surface").value<QQuickItem *>();
    auto *tileState = root->property("tileState").value<PlayerState *>();
    QVERIFY(view && surface && tileState);
    QVERIFY(view->drawable());
    QCOMPARE(view->drawable(), surface->property("videoSink").value<QVideoSink *>());
    QCOMPARE(tileState->position(), 2.5f);

    QCOMPARE(view->engine(), &media);

    // A view that misses one of its inputs is refused.
    QQmlComponent incomplete(&engine);
    incomplete.setData("import Marquetrix.Playback\nVideoView {}\n", QUrl());
    std::unique_ptr<QObject> refused(incomplete.create());
    QVERIFY(!refused);
    QVERIFY(incomplete.errorString().contains(QLatin1String("Required property")));

    // The pass runs on the objects declared in QML: the new tile is started.
    QTRY_VERIFY(listPlayer->calls.contains("play"));
    QCOMPARE(listPlayer->calls.count("play"), listPlayer->calls.size());
    QVERIFY(listPlayer->fakePlayer().delegate());

    // Once the picture is known, the player draws into the surface's sink.
    listPlayer->fakePlayer().currentMedia->tracks = {{TrackInformation::Type::Video, 640, 360}};
    QTest::ignoreMessage(QtInfoMsg, "Setting drawable and playing");
    listPlayer->fakePlayer().sendStateChanged();
    QTRY_COMPARE(listPlayer->fakePlayer().drawable(), view->drawable());

    // The surface goes before the player: the player stops drawing into it.
    root.reset();
    QCOMPARE(listPlayer->fakePlayer().drawable(), nullptr);
    QCOMPARE(listPlayer->fakePlayer().delegate(), nullptr);
}

QTEST_MAIN(TestVideoSurface)
#include "tst_videosurface.moc"

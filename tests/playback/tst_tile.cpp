// The tile's logic on the fake engine: what the controls, the player binding's passes and the
// delegate make of a user's requests and the engine's events, row by row from tile.rows.

#include "fakeengine.h"
#include "layoutstate.h"
#include "playerstate.h"
#include "sidecontrolsactions.h"
#include "syncgroup.h"
#include "videocontrols.h"
#include "videopicture.h"
#include "videoview.h"
#include "viewstate.h"

#include <QFile>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <QVideoSink>
#include <memory>

using namespace marquetrix;

namespace {

// Each turn may queue the next pass or step.
void settle()
{
    for (int turn = 0; turn < 10; ++turn)
        QCoreApplication::processEvents();
}

// One tile as the tile view builds it, playing with its picture shown, between two others.
struct Tile
{
    Tile()
    {
        listPlayer->setMediaList(engine.createMediaList({engine.createMedia(QUrl("file:///a"))}));
        const auto other = [] {
            return std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
        };
        for (const auto &record : {other(), meta, other()})
            layout.appendVideoMeta(record);
        meta->setMediaLength(120);
        controls.setPlayerState(&state);
        side.setPlayerState(&state);
        side.setViewState(&viewState);
        side.setEngine(&engine);
        view = bind(&sink);
    }

    std::shared_ptr<VideoView> bind(QVideoSink *surface)
    {
        auto bound = std::make_shared<VideoView>();
        bound->setPlayerState(&state);
        bound->setViewState(&viewState);
        bound->setLayoutState(&layout);
        bound->setDrawable(surface);
        return bound;
    }

    void makeSteady()
    {
        player.playing = true;
        player.playbackState = PlaybackState::Playing;
        player.timeMs = 0;
        player.audioOutput = std::make_unique<FakeAudioOutput>(listPlayer->calls);
        player.setDrawable(&sink);
        state.setJustOpened(false);
        settle();
        listPlayer->calls.clear();
    }

    // A pass, as the tile's tick runs one.
    void pass()
    {
        state.setIndex(state.index() + 1);
        settle();
    }

    QObject *object(const QString &name)
    {
        QObject *next = layout.videoMetas().value(1).get();
        const QList<QObject *> all{&state, meta.get(), &viewState, &layout, &controls, &side, next};
        return all.value(
            QStringList{"state", "meta", "view", "layout", "controls", "side", "next"}.indexOf(
                name));
    }

    void step(const QString &text);
    QString value(const QString &key);

    FakeMediaEngine engine;
    std::shared_ptr<FakeMediaListPlayer> listPlayer =
        std::static_pointer_cast<FakeMediaListPlayer>(engine.createListPlayer({}));
    FakeMediaPlayer &player = listPlayer->player;
    std::shared_ptr<VideoMetadata> meta =
        std::make_shared<VideoMetadata>(QUuid::createUuid(), listPlayer);
    LayoutState layout;
    ViewState viewState;
    PlayerState state{meta};
    QVideoSink sink;
    VideoControls controls;
    SideControlsActions side;
    std::shared_ptr<VideoView> view;
};

void Tile::step(const QString &text)
{
    const QString word = text.section(' ', 0, 0), rest = text.section(' ', 1);
    const QString key = text.section('=', 0, 0), value = text.section('=', 1);
    const QString owner = key.section('.', 0, 0), field = key.section('.', 1).section('(', 0, 0);
    const QString argument = text.section('(', 1).remove(')');
    const QStringList states{"Stopped", "Opening", "Buffering", "Playing",
                             "Paused",  "Ended",   "Error"};
    if (text == "event none") {
        // As an engine gone under its delegate may send them.
        player.delegate()->mediaPlayerStateChanged(nullptr);
        player.delegate()->mediaPlayerTimeChanged(nullptr);
    } else if (word == "event" || key == "engine.state") {
        player.playbackState = PlaybackState(states.indexOf(word == "event" ? rest : value));
        word == "event" ? player.sendStateChanged() : void();
    } else if (word == "time" || key == "engine.time") {
        const QString ms = word == "time" ? rest : value;
        player.timeMs = ms == "none" ? std::nullopt : std::optional<qint64>(ms.toLongLong());
        word == "time" ? player.sendTimeChanged() : void();
    } else if (word == "open") {
        listPlayer->setMediaList(engine.createMediaList(
            rest.isEmpty() ? QList<std::shared_ptr<Media>>{} : QList{engine.createMedia(rest)}));
    } else if (word == "pass" || word == "update") {
        word == "pass" ? pass() : view->update();
    } else if (text == "engine.none") {
        side.setEngine(nullptr);
    } else if (key == "engine.playing") {
        player.playing = value == "true";
    } else if (key == "engine.muted") {
        player.audioOutput->currentlyMuted = value == "true";
    } else if (key == "engine.audio") {
        player.audioOutput.reset();
    } else if (key == "engine.length") {
        player.currentMedia->lengthMs = value.toLongLong();
    } else if (key == "engine.video") {
        // "audio,640x480": an audio track, then a video track of that size.
        player.currentMedia->tracks.clear();
        for (const QString &track : value.split(',')) {
            const QStringList size = track.split('x');
            player.currentMedia->tracks.append(
                size.size() < 2 ? TrackInformation{TrackInformation::Type::Audio, {}, {}}
                                : TrackInformation{TrackInformation::Type::Video, size[0].toInt(),
                                                   size[1].toInt()});
        }
    } else if (text.contains('=')) {
        QVERIFY2(object(owner)->setProperty(qPrintable(field), value), qPrintable(text));
    } else {
        const QByteArray name = field.toLatin1();
        QObject *target = object(owner);
        QVERIFY2(!text.contains('(') ? QMetaObject::invokeMethod(target, name)
                 : argument == "true" || argument == "false"
                     ? QMetaObject::invokeMethod(target, name, Q_ARG(bool, argument == "true"))
                     : QMetaObject::invokeMethod(target, name, Q_ARG(QUrl, QUrl(argument))),
                 qPrintable(text));
    }
}

QString Tile::value(const QString &key)
{
    if (key == "calls")
        return listPlayer->calls.join(", ");
    if (key == "layout.videos")
        return QString::number(layout.videoMetas().size());
    if (key == "list.count")
        return QString::number(listPlayer->mediaList()->count());
    if (key == "next.url")
        return layout.videoMetas().at(1)->mediaPlayer()->mediaList()->mediaAtIndex(0)->url().url();
    const QVariant value =
        object(key.section('.', 0, 0))->property(qPrintable(key.section('.', 1)));
    if (value.typeId() != QMetaType::Float)
        return value.isValid() ? value.toString() : QStringLiteral("(no such field)");
    return QString::number(qRound(value.toDouble() * 10000) / 10000.0);
}

} // namespace

class TestTile : public QObject
{
    Q_OBJECT

private slots:
    void requests_data();
    void requests();
    void rebuiltTileKeepsItsPicture();
    void pictureKeepsItsShapeOnBlack();
    void syncFollower_data();
    void syncFollower();
};

void TestTile::requests_data()
{
    QTest::addColumn<QString>("row");
    QFile rows(QFINDTESTDATA("tile.rows"));
    QVERIFY(rows.open(QIODevice::ReadOnly | QIODevice::Text));
    for (const QByteArray &row : rows.readAll().split('\n')) {
        if (!row.isEmpty() && !row.startsWith('#'))
            QTest::newRow(row.constData()) << QString::fromUtf8(row);
    }
}

// The steps, then two passes with the engine taking up the calls in between: the second
// pass must not repeat what the first asked for.
void TestTile::requests()
{
    QFETCH(QString, row);
    Tile tile;
    const bool fresh = row.startsWith(QLatin1String("new; "));
    if (!fresh)
        tile.makeSteady();
    // The controls and the binding tell their readers of every change (one sweep of fields).
    std::vector<std::tuple<QObject *, QMetaProperty, QVariant, std::unique_ptr<QSignalSpy>>> shown;
    for (QObject *source : QList<QObject *>{&tile.controls, &tile.side, tile.view.get()}) {
        const QMetaObject *type = source->metaObject();
        for (int i = type->propertyOffset(); i < type->propertyCount(); ++i) {
            const QMetaProperty field = type->property(i);
            if (field.hasNotifySignal())
                shown.emplace_back(source, field, field.read(source),
                                   std::make_unique<QSignalSpy>(source, field.notifySignal()));
        }
    }
    const QString steps = row.section("->", 0, 0).mid(fresh ? 5 : 0).trimmed();
    for (const QString &step : steps.split("; ", Qt::SkipEmptyParts))
        tile.step(step);
    tile.pass();
    tile.listPlayer->takeEffect();
    tile.pass();
    for (const QString &check : row.section("-> ", 1).split("; ")) {
        const QString key = check.section('=', 0, 0);
        const QString expected = check.section('=', 1).replace("$id", tile.meta->id().toString());
        QCOMPARE(key + '=' + tile.value(key), key + '=' + expected);
    }
    for (const auto &[source, field, before, told] : shown)
        QVERIFY2(field.read(source) == before || !told->isEmpty(), field.name());
}

void TestTile::rebuiltTileKeepsItsPicture()
{
    Tile tile;
    tile.makeSteady();
    // A rebuilt tile: a new view with its own surface for the same player; the old view let
    // go of the tile leaves the new view's delegate in place.
    auto surface = std::make_unique<QVideoSink>();
    auto rebuilt = tile.bind(surface.get());
    settle();
    QCOMPARE(tile.player.drawable(), surface.get());
    MediaPlayerDelegate *delegate = tile.player.delegate();
    QVERIFY(delegate);
    tile.view->setPlayerState(nullptr);
    settle();
    QCOMPARE(tile.player.delegate(), delegate);
    // A surface given later takes the picture; one destroyed under the player is detached.
    auto later = std::make_unique<QVideoSink>();
    rebuilt->setDrawable(later.get());
    QCOMPARE(tile.player.drawable(), later.get());
    later.reset();
    QCOMPARE(tile.player.drawable(), nullptr);

    // A layout that drops the tile as soon as its record leaves the list destroys the view in
    // the middle of the teardown; the teardown still completes.
    QObject::connect(&tile.layout, &LayoutState::videoMetasChanged, [&] { rebuilt.reset(); });
    tile.listPlayer->calls.clear();
    tile.controls.close();
    settle();
    QVERIFY(!rebuilt);
    QCOMPARE(tile.player.delegate(), nullptr);
    QCOMPARE(tile.listPlayer->calls, (QStringList{"stop", "drawable none"}));
    QVERIFY(tile.meta->isClosed());
}

namespace {

QVideoFrame filledFrame(QSize size, QVideoFrameFormat::PixelFormat format, QRgb colour)
{
    QVideoFrame frame(QVideoFrameFormat(size, format));
    frame.map(QVideoFrame::WriteOnly);
    const QColor rgb(colour);
    // RGBX and BGRX: the same bytes but for red and blue.
    const bool rgbx = format == QVideoFrameFormat::Format_RGBX8888;
    const uchar bytes[4] = {uchar(rgbx ? rgb.red() : rgb.blue()), uchar(rgb.green()),
                            uchar(rgbx ? rgb.blue() : rgb.red()), 255};
    for (qsizetype i = 0; i < frame.mappedBytes(0); ++i)
        frame.bits(0)[i] = bytes[i % 4];
    frame.unmap();
    return frame;
}

} // namespace

// The picture keeps its aspect ratio in its item, on black above and below or beside it, from
// the engine's RGB pictures and from any other format Qt reads.
void TestTile::pictureKeepsItsShapeOnBlack()
{
    // Away from the window's corner, on the window's white: a renderer that drew the picture
    // in the wrong place would show it there.
    QQuickWindow window;
    window.resize(300, 250);
    VideoPicture picture(window.contentItem());
    picture.setPosition({100, 50});
    picture.setSize({200, 200});
    window.show();
    const auto colourAt = [&](int x, int y) {
        return window.grabWindow().pixel(x + 100, y + 50) & 0xffffff;
    };
    QCOMPARE(colourAt(100, 100), 0u);

    struct Shape
    {
        QSize size;
        QVideoFrameFormat::PixelFormat format;
        QRgb colour;
        QRectF shown;
        // Two points on the bars and one on the picture, near its edge.
        QList<QPoint> bars;
        QPoint inside;
    };
    const QList<Shape> shapes{
        {{100, 50}, QVideoFrameFormat::Format_BGRX8888, 0xff0000, {0, 50, 200, 100},
         {{100, 25}, {100, 175}}, {2, 100}},
        {{50, 100}, QVideoFrameFormat::Format_RGBX8888, 0x00ff00, {50, 0, 100, 200},
         {{25, 100}, {175, 100}}, {100, 197}}};
    for (const Shape &shape : shapes) {
        picture.videoSink()->setVideoFrame(filledFrame(shape.size, shape.format, shape.colour));
        QCOMPARE(picture.contentRect(), shape.shown);
        for (const QPoint &bar : shape.bars)
            QCOMPARE(colourAt(bar.x(), bar.y()), 0u);
        QCOMPARE(colourAt(shape.inside.x(), shape.inside.y()), shape.colour);
        QCOMPARE(colourAt(-50, 100), 0xffffffu);
    }

    picture.videoSink()->setVideoFrame(QVideoFrame());
    QCOMPARE(colourAt(100, 100), 0u);
}

// A follower's place (target) against its time in a 10 s media: what the sync group does.
void TestTile::syncFollower_data()
{
    QTest::addColumn<qint64>("target");
    QTest::addColumn<qint64>("time");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<QString>("step");
    QTest::newRow("in step") << 5000LL << 5005LL << true << "Keep 1";
    QTest::newRow("behind") << 5000LL << 4980LL << true << "Keep 1.04";
    QTest::newRow("far ahead") << 5000LL << 5300LL << true << "Keep 0.9";
    QTest::newRow("too far") << 5000LL << 5600LL << true << "Seek 5000";
    QTest::newRow("near its end") << 10200LL << 9800LL << true << "Keep 1";
    QTest::newRow("far from its end") << 12000LL << 3000LL << true << "Seek 10000";
    QTest::newRow("ended, still past") << 11000LL << 10000LL << false << "Keep 1";
    QTest::newRow("back on it") << 4000LL << 10000LL << false << "Resume 4000";
    QTest::newRow("before its start") << -2000LL << 300LL << true << "Hold 0";
}

void TestTile::syncFollower()
{
    QFETCH(qint64, target);
    QFETCH(qint64, time);
    QFETCH(bool, playing);
    QFETCH(QString, step);
    const SyncGroup::Step done = SyncGroup::follow(target, time, 10000, playing);
    const QStringList actions{"Keep", "Seek", "Hold", "Resume"};
    QCOMPARE(actions[int(done.action)] + ' ' +
                 (done.action == SyncGroup::Step::Action::Keep ? QString::number(done.rate)
                                                               : QString::number(done.time)),
             step);

    // The leader's going hands the lead on; the last one's ends the group.
    SyncGroup group;
    const QList<QUuid> ids{QUuid::createUuid(), QUuid::createUuid(), QUuid::createUuid()};
    group.start(ids[1], ids);
    group.remove(ids[1]);
    QCOMPARE(group.leader(), ids[0]);
    group.remove(ids[2]);
    QVERIFY(!group.active());
}

QTEST_MAIN(TestTile)
#include "tst_tile.moc"

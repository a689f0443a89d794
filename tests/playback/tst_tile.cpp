// The tile's logic on the fake engine: what the controls, the player binding's passes and the
// delegate make of a user's requests and the engine's events, row by row from tile.rows.

#include "fakeengine.h"
#include "layoutstate.h"
#include "playerstate.h"
#include "sidecontrolsactions.h"
#include "videocontrols.h"
#include "videoview.h"
#include "viewstate.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QVideoSink>
#include <memory>

using namespace marquetrix;

namespace {

// Lets every queued pass and step run. Each turn may queue the next, so a few turns.
void settle()
{
    for (int turn = 0; turn < 10; ++turn)
        QCoreApplication::processEvents();
}

std::shared_ptr<VideoView> bindView(PlayerState &state, ViewState &viewState, LayoutState &layout,
                                    QVideoSink *sink, MediaEngine *engine)
{
    auto view = std::make_shared<VideoView>();
    view->setPlayerState(&state);
    view->setViewState(&viewState);
    view->setLayoutState(&layout);
    view->setEngine(engine);
    view->setDrawable(sink);
    return view;
}

// One tile as the tile view builds it, between two others in the window's list.
struct Tile
{
    Tile()
        : listPlayer(engine.openListPlayer(QUrl(QStringLiteral("file:///clips/a.mp4")))),
          meta(std::make_shared<VideoMetadata>(QUuid::createUuid(), listPlayer)), state(meta)
    {
        const auto other = [] {
            return std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
        };
        for (const auto &record : {other(), meta, other()})
            layout.appendVideoMeta(record);
        meta->setMediaLength(120);
        controls.setPlayerState(&state);
        side.setPlayerState(&state);
        side.setViewState(&viewState);
        view = bindView(state, viewState, layout, &sink, &engine);
    }

    FakeMediaPlayer &player() { return listPlayer->fakePlayer(); }
    QStringList &calls() { return listPlayer->calls; }

    // Playing with a surface, audio in step with the record, the first start behind it.
    void makeSteady()
    {
        player().playing = true;
        player().playbackState = PlaybackState::Playing;
        player().timeMs = 0;
        player().createAudio();
        player().setDrawable(&sink);
        state.setJustOpened(false);
        settle();
        calls().clear();
    }

    // A pass, as the tile's tick runs one.
    void pass()
    {
        state.setIndex(state.index() + 1);
        settle();
    }

    QObject *object(const QString &name)
    {
        const QStringList names{"state", "meta", "view", "layout", "controls", "side", "next"};
        QObject *next = layout.videoMetas().value(1).get();
        return QList<QObject *>{&state, meta.get(), &viewState, &layout, &controls, &side, next}
            .value(names.indexOf(name));
    }

    void step(const QString &text);
    void setEngine(const QString &field, const QString &value);
    QString value(const QString &key);

    FakeMediaEngine engine;
    std::shared_ptr<FakeMediaListPlayer> listPlayer;
    std::shared_ptr<VideoMetadata> meta;
    LayoutState layout;
    ViewState viewState;
    PlayerState state;
    QVideoSink sink;
    VideoControls controls;
    SideControlsActions side;
    std::shared_ptr<VideoView> view;
};

void Tile::setEngine(const QString &field, const QString &value)
{
    FakeMediaPlayer &p = player();
    const QStringList states{"Stopped", "Opening", "Buffering", "Playing",
                             "Paused",  "Ended",   "Error"};
    if (field == "playing")
        p.playing = value == "true";
    else if (field == "time")
        p.timeMs = value == "none" ? std::nullopt : std::optional<qint64>(value.toLongLong());
    else if (field == "muted")
        p.audioOutput->currentlyMuted = value == "true";
    else if (field == "audio")
        p.audioOutput.reset();
    else if (field == "length")
        p.currentMedia->lengthMs = value.toLongLong();
    else if (field == "state")
        p.playbackState = static_cast<PlaybackState>(states.indexOf(value));
    else if (field == "none")
        view->setEngine(nullptr);
    else if (field != "video")
        QFAIL(qPrintable("no engine field " + field));
    if (field != "video")
        return;
    // "audio,640x480": an audio track, then a video track of that size.
    p.currentMedia->tracks.clear();
    for (const QString &track : value.split(QLatin1Char(','))) {
        const QStringList size = track.split(QLatin1Char('x'));
        p.currentMedia->tracks.append(size.size() < 2
                                          ? TrackInformation{TrackInformation::Type::Audio, {}, {}}
                                          : TrackInformation{TrackInformation::Type::Video,
                                                             size[0].toInt(), size[1].toInt()});
    }
}

void Tile::step(const QString &text)
{
    const QString word = text.section(QLatin1Char(' '), 0, 0);
    const QString rest = text.section(QLatin1Char(' '), 1);
    const QString key = text.section(QLatin1Char('='), 0, 0);
    const QString owner = key.section(QLatin1Char('.'), 0, 0);
    const QString field = key.section(QLatin1Char('.'), 1).section(QLatin1Char('('), 0, 0);
    const QString argument = text.section(QLatin1Char('('), 1).remove(QLatin1Char(')'));
    if (text == "event none") {
        // Events without a player, as an engine gone under its delegate may send them.
        player().delegate()->mediaPlayerStateChanged(nullptr);
        player().delegate()->mediaPlayerTimeChanged(nullptr);
    } else if (word == "event" || word == "time") {
        setEngine(word == "event" ? "state" : "time", rest);
        word == "event" ? player().sendStateChanged() : player().sendTimeChanged();
    } else if (word == "open") {
        // The same player given other media, or an empty list.
        QList<std::shared_ptr<Media>> media{engine.createMedia(QUrl(rest))};
        listPlayer->setMediaList(
            engine.createMediaList(rest.isEmpty() ? decltype(media){} : media));
    } else if (word == "pass") {
        pass();
    } else if (word == "update") {
        view->update();
    } else if (owner == "engine") {
        setEngine(field, text.section(QLatin1Char('='), 1));
    } else if (text.contains(QLatin1Char('='))) {
        QVERIFY2(object(owner)->setProperty(qPrintable(field), text.section(QLatin1Char('='), 1)),
                 qPrintable(text));
    } else {
        // A control's action: "controls.jumpForward", "controls.setEditing(true)".
        QObject *target = object(owner);
        const QByteArray name = field.toLatin1();
        const bool done =
            !text.contains(QLatin1Char('(')) ? QMetaObject::invokeMethod(target, name)
            : argument == "true" || argument == "false"
                ? QMetaObject::invokeMethod(target, name, Q_ARG(bool, argument == "true"))
                : QMetaObject::invokeMethod(target, name, Q_ARG(QUrl, QUrl(argument)));
        QVERIFY2(done, qPrintable(text));
    }
}

QString Tile::value(const QString &key)
{
    if (key == "calls")
        return calls().join(", ");
    if (key == "layout.videos")
        return QString::number(layout.videoMetas().size());
    if (key == "list.count")
        return QString::number(listPlayer->mediaList()->count());
    if (key == "next.url") {
        const auto list = layout.videoMetas().at(1)->mediaPlayer()->mediaList();
        return list->mediaAtIndex(0)->url().toString();
    }
    const QVariant value = object(key.section(QLatin1Char('.'), 0, 0))
                               ->property(qPrintable(key.section(QLatin1Char('.'), 1)));
    if (value.typeId() != QMetaType::Float)
        return value.isValid() ? value.toString() : QStringLiteral("(no such field)");
    // Closer than rounding to four places could tell from what a row writes.
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
    // A new tile, or one playing with its picture shown.
    const bool fresh = row.startsWith(QLatin1String("new; "));
    if (!fresh)
        tile.makeSteady();
    // The controls and the binding tell their readers of every change (one sweep of fields).
    std::vector<std::tuple<QObject *, QMetaProperty, QVariant, std::unique_ptr<QSignalSpy>>> shown;
    for (QObject *source :
         std::initializer_list<QObject *>{&tile.controls, &tile.side, tile.view.get()}) {
        const QMetaObject *type = source->metaObject();
        for (int i = type->propertyOffset(); i < type->propertyCount(); ++i) {
            const QMetaProperty field = type->property(i);
            if (field.hasNotifySignal())
                shown.emplace_back(source, field, field.read(source),
                                   std::make_unique<QSignalSpy>(source, field.notifySignal()));
        }
    }
    const QString steps = row.section(QStringLiteral("->"), 0, 0).mid(fresh ? 5 : 0).trimmed();
    for (const QString &step : steps.split(QStringLiteral("; "), Qt::SkipEmptyParts))
        tile.step(step);
    tile.pass();
    tile.listPlayer->takeEffect();
    tile.pass();
    for (const QString &check : row.section(QStringLiteral("-> "), 1).split(QStringLiteral("; "))) {
        const QString key = check.section(QLatin1Char('='), 0, 0);
        const QString expected =
            check.section(QLatin1Char('='), 1).replace("$id", tile.meta->id().toString());
        QCOMPARE(key + '=' + tile.value(key), key + '=' + expected);
    }
    for (const auto &[source, field, before, told] : shown)
        QVERIFY2(field.read(source) == before || !told->isEmpty(), field.name());
}

void TestTile::rebuiltTileKeepsItsPicture()
{
    Tile tile;
    tile.makeSteady();
    // A rebuilt tile: a new view with its own surface for the same player.
    auto surface = std::make_unique<QVideoSink>();
    auto rebuilt = bindView(tile.state, tile.viewState, tile.layout, surface.get(), nullptr);
    settle();
    QCOMPARE(tile.player().drawable(), surface.get());
    MediaPlayerDelegate *delegate = tile.player().delegate();
    QVERIFY(delegate);
    // The old view let go of the tile leaves the new view's delegate in place.
    tile.view->setPlayerState(nullptr);
    settle();
    QCOMPARE(tile.player().delegate(), delegate);
    // A surface given to the view later takes the picture; one destroyed under the player is
    // detached from it.
    auto later = std::make_unique<QVideoSink>();
    rebuilt->setDrawable(later.get());
    QCOMPARE(tile.player().drawable(), later.get());
    later.reset();
    QCOMPARE(tile.player().drawable(), nullptr);

    // A layout that drops the tile as soon as its record leaves the list destroys the view in
    // the middle of the teardown; the teardown still completes.
    QObject::connect(&tile.layout, &LayoutState::videoMetasChanged, [&] { rebuilt.reset(); });
    tile.calls().clear();
    tile.controls.close();
    settle();
    QVERIFY(!rebuilt);
    QCOMPARE(tile.player().delegate(), nullptr);
    QCOMPARE(tile.calls(), (QStringList{"stop", "drawable none"}));
    QVERIFY(tile.meta->isClosed());
}

QTEST_MAIN(TestTile)
#include "tst_tile.moc"

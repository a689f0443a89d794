#include "layoutsearch.h"
#include "layoutstate.h"
#include "playerstate.h"
#include "videometadata.h"
#include "viewstate.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QSignalSpy>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <functional>
#include <memory>

Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)

using namespace marquetrix;

namespace {

std::shared_ptr<VideoMetadata> makeRecord(const QString &title = {})
{
    auto meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
    meta->setTitle(title);
    return meta;
}

// A value of the property's type that differs from the current one.
QVariant otherValue(const QVariant &current)
{
    if (current.metaType() == QMetaType::fromType<AspectRatioType>())
        return QVariant::fromValue(AspectRatioType::wide);
    switch (current.metaType().id()) {
    case QMetaType::Bool:
        return !current.toBool();
    case QMetaType::Float:
        return current.toFloat() + 1.5f;
    case QMetaType::LongLong:
        return current.toLongLong() + 3;
    case QMetaType::QString:
        return current.toString() + QStringLiteral("x");
    case QMetaType::QUrl:
        return QUrl(QStringLiteral("http://127.0.0.1/other.mp4"));
    case QMetaType::QUuid:
        return QUuid::createUuid();
    case QMetaType::QDateTime:
        return current.toDateTime().addSecs(7);
    default:
        return {};
    }
}

using Factory = std::function<std::shared_ptr<QObject>()>;

} // namespace

Q_DECLARE_METATYPE(Factory)

class TestState : public QObject
{
    Q_OBJECT

private slots:
    void notifiesEveryAssignment_data();
    void notifiesEveryAssignment();
    void effectiveAspectRatio_data();
    void effectiveAspectRatio();
    void replacementStartsOver();
    void recordsAreEqualById();
    void tileStateSeedsFromRecord();
    void tileStateSeedsFromRecordInQml();
    void videoMetasNotifyOncePerChange_data();
    void videoMetasNotifyOncePerChange();
    void videoMetasReadableFromQml();
    void searchSeesTheWindow();
    void videoLimit();
};

void TestState::notifiesEveryAssignment_data()
{
    QTest::addColumn<Factory>("factory");
    QTest::addColumn<QByteArray>("property");

    const QList<std::pair<const char *, Factory>> types = {
        {"VideoMetadata", [] { return std::static_pointer_cast<QObject>(makeRecord()); }},
        {"PlayerState",
         [] { return std::static_pointer_cast<QObject>(std::make_shared<PlayerState>()); }},
        {"ViewState",
         [] { return std::static_pointer_cast<QObject>(std::make_shared<ViewState>()); }},
        {"LayoutState",
         [] { return std::static_pointer_cast<QObject>(std::make_shared<LayoutState>()); }},
    };
    for (const auto &[name, factory] : types) {
        const QMetaObject *meta = factory()->metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            if (property.isWritable())
                QTest::addRow("%s.%s", name, property.name())
                    << factory << QByteArray(property.name());
        }
    }
}

// Assigning a field notifies through its own signal, once, even when the value is the
// same; no other field's signal fires, and the value read back is the one written.
void TestState::notifiesEveryAssignment()
{
    QFETCH(Factory, factory);
    QFETCH(QByteArray, property);
    const std::shared_ptr<QObject> object = factory();
    const QMetaObject *meta = object->metaObject();
    const QMetaProperty written = meta->property(meta->indexOfProperty(property));
    QVERIFY(written.hasNotifySignal());

    std::shared_ptr<VideoMetadata> record = makeRecord();
    QVariant other = written.metaType() == QMetaType::fromType<VideoMetadata *>()
                         ? QVariant::fromValue(record.get())
                         : otherValue(written.read(object.get()));
    QVERIFY2(other.isValid(), "no test value for this property type");

    QList<std::pair<QByteArray, std::shared_ptr<QSignalSpy>>> spies;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        if (meta->property(i).hasNotifySignal())
            spies.append(
                {meta->property(i).name(),
                 std::make_shared<QSignalSpy>(object.get(), meta->property(i).notifySignal())});
    }
    const auto emissions = [&] {
        QStringList fired;
        for (const auto &[name, spy] : spies) {
            for (qsizetype n = 0; n < spy->count(); ++n)
                fired << QString::fromLatin1(name);
            spy->clear();
        }
        return fired;
    };

    QVERIFY(written.write(object.get(), written.read(object.get())));
    QCOMPARE(emissions(), QStringList{QString::fromLatin1(property)});
    QVERIFY(written.write(object.get(), other));
    QCOMPARE(emissions(), QStringList{QString::fromLatin1(property)});
    QCOMPARE(written.read(object.get()), other);
}

void TestState::effectiveAspectRatio_data()
{
    QTest::addColumn<qint64>("width");
    QTest::addColumn<qint64>("height");
    QTest::addColumn<float>("overriddenAR");
    QTest::addColumn<float>("expected");

    QTest::newRow("size never reported") << qint64(16) << qint64(9) << 0.0f << 16.0f / 9.0f;
    QTest::newRow("reported 4:3") << qint64(640) << qint64(480) << 0.0f << 640.0f / 480.0f;
    QTest::newRow("portrait") << qint64(1080) << qint64(1920) << 0.0f << 0.5625f;
    QTest::newRow("crop wins over size") << qint64(1920) << qint64(1080) << 0.5625f << 0.5625f;
    QTest::newRow("zero height never divides") << qint64(640) << qint64(0) << 0.0f << 16.0f / 9.0f;
}

void TestState::effectiveAspectRatio()
{
    QFETCH(qint64, width);
    QFETCH(qint64, height);
    QFETCH(float, overriddenAR);
    QFETCH(float, expected);
    const auto meta = makeRecord();
    meta->setWidth(width);
    meta->setHeight(height);
    meta->setOverriddenAR(overriddenAR);
    QCOMPARE(meta->effectiveAspectRatio(), expected);
}

void TestState::replacementStartsOver()
{
    const auto current = makeRecord(QStringLiteral("old.mp4"));
    current->setVolume(35.5f);
    current->setRepeatEnabled(true);
    current->setWidth(1280);
    current->setHeight(720);
    current->setPlaying(false);
    current->setLoading(false);
    current->setDoPause(true);
    current->setPositionChanged(true);
    current->setOverriddenAR(0.5625f);
    current->setNewURL(QUrl(QStringLiteral("http://127.0.0.1/new.mp4")));

    const auto next = VideoMetadata::replacement(*current, nullptr, QStringLiteral("new.mp4"));
    QVERIFY(next->id() != current->id());
    QVERIFY(!next->id().isNull());
    QCOMPARE(next->title(), QStringLiteral("new.mp4"));
    QCOMPARE(next->volume(), 35.5f);
    QVERIFY(next->repeatEnabled());
    QCOMPARE(next->width(), 16);
    QCOMPARE(next->height(), 9);
    QVERIFY(next->playing());
    QVERIFY(next->loading());
    QVERIFY(!next->doPause());
    QVERIFY(!next->positionChanged());
    QCOMPARE(next->overriddenAR(), 0.0f);
    QVERIFY(next->newURL().isEmpty());
    QCOMPARE(next->aspectRatioType(), AspectRatioType::unknown);
}

void TestState::recordsAreEqualById()
{
    const QUuid id = QUuid::createUuid();
    VideoMetadata a(id, nullptr);
    VideoMetadata b(id, nullptr);
    VideoMetadata c(QUuid::createUuid(), nullptr);
    b.setTitle(QStringLiteral("other title"));
    QVERIFY(a == b);
    QCOMPARE(qHash(a), qHash(b));
    QCOMPARE(a.idText().size(), 36);
    QCOMPARE(a.idText(), a.idText().toUpper());
    QCOMPARE(QUuid::fromString(a.idText()), id);
    QVERIFY(!(a == c));

    // Two records built for the same media are two videos: removing one leaves the other.
    LayoutState layout;
    const auto first = makeRecord(QStringLiteral("same.mp4"));
    const auto second = makeRecord(QStringLiteral("same.mp4"));
    layout.appendVideoMeta(first);
    layout.appendVideoMeta(second);
    QVERIFY(layout.removeVideoMeta(first->id()));
    QCOMPARE(layout.videoMetas(), QList<std::shared_ptr<VideoMetadata>>{second});
}

void TestState::tileStateSeedsFromRecord()
{
    const auto meta = makeRecord();
    meta->setPosition(12.5f);
    meta->setVideoLoaded(true);
    meta->setPlaying(false);
    meta->setRepeatEnabled(true);
    meta->setMuted(true);

    PlayerState state(meta);
    QCOMPARE(state.videoMeta(), meta.get());
    QCOMPARE(state.position(), 12.5f);
    QVERIFY(state.videoLoaded());
    QVERIFY(!state.playing());
    QVERIFY(state.repeatEnabled());
    QVERIFY(state.muted());
    QVERIFY(state.justOpened());
    QCOMPARE(state.displayedPosition(), 0.0f);
    QVERIFY(state.changeCropping().isEmpty());

    // The tile keeps its record alive after the window's list let it go.
    std::weak_ptr<VideoMetadata> weak;
    LayoutState layout;
    std::unique_ptr<PlayerState> tile;
    {
        const auto shared = makeRecord(QStringLiteral("kept"));
        weak = shared;
        layout.appendVideoMeta(shared);
        tile = std::make_unique<PlayerState>(shared);
    }
    layout.setVideoMetas({});
    QVERIFY(!weak.expired());
    QCOMPARE(tile->videoMeta()->title(), QStringLiteral("kept"));
    tile.reset();
    QVERIFY(weak.expired());
}

void TestState::tileStateSeedsFromRecordInQml()
{
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import Marquetrix.State\nPlayerState {}\n", QUrl());
    QVERIFY2(component.isReady(), qPrintable(component.errorString()));

    const auto meta = makeRecord();
    meta->setPosition(3.25f);
    meta->setPlaying(false);
    meta->setMuted(true);
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
        {{QStringLiteral("videoMeta"), QVariant::fromValue(meta.get())}}));
    auto *state = qobject_cast<PlayerState *>(object.get());
    QVERIFY(state);
    QCOMPARE(state->videoMetaRef(), meta);
    QCOMPARE(state->position(), 3.25f);
    QVERIFY(!state->playing());
    QVERIFY(state->muted());

    // A record that nothing shares cannot be kept alive by the tile: refused, not dangling.
    VideoMetadata unshared(QUuid::createUuid(), nullptr);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not held by a shared reference"));
    state->setVideoMeta(&unshared);
    QCOMPARE(state->videoMetaRef(), meta);
}

void TestState::videoMetasNotifyOncePerChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("expectedOrder");
    QTest::addColumn<int>("notifications");

    // The list starts as "abc"; records are named by their titles.
    QTest::newRow("append") << "append d"
                            << "abcd" << 1;
    QTest::newRow("insert in the middle") << "insert d at 1"
                                          << "adbc" << 1;
    QTest::newRow("insert past the end goes last") << "insert d at 9"
                                                   << "abcd" << 1;
    QTest::newRow("remove") << "remove b"
                            << "ac" << 1;
    QTest::newRow("remove a missing id changes nothing") << "remove d"
                                                         << "abc" << 0;
    QTest::newRow("swap") << "swap 0 2"
                          << "cba" << 1;
    QTest::newRow("swap out of range refused") << "swap 0 5"
                                               << "abc" << 0;
    QTest::newRow("append a listed record refused") << "append a"
                                                    << "abc" << 0;
    QTest::newRow("replace the whole list") << "replace"
                                            << "d" << 1;
    QTest::newRow("clear") << "clear"
                           << "" << 1;
}

void TestState::videoMetasNotifyOncePerChange()
{
    QFETCH(QString, change);
    QFETCH(QString, expectedOrder);
    QFETCH(int, notifications);

    LayoutState layout;
    QHash<QString, std::shared_ptr<VideoMetadata>> byName;
    for (const char *name : {"a", "b", "c", "d"})
        byName.insert(QString::fromLatin1(name), makeRecord(QString::fromLatin1(name)));
    layout.setVideoMetas({byName["a"], byName["b"], byName["c"]});
    QSignalSpy spy(&layout, &LayoutState::videoMetasChanged);

    if (QByteArray(QTest::currentDataTag()).contains("refused"))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("."));
    const QStringList words = change.split(u' ');
    if (words[0] == QLatin1String("append"))
        layout.appendVideoMeta(byName[words[1]]);
    else if (words[0] == QLatin1String("insert"))
        layout.insertVideoMeta(words[3].toInt(), byName[words[1]]);
    else if (words[0] == QLatin1String("remove"))
        layout.removeVideoMeta(byName[words[1]]->id());
    else if (words[0] == QLatin1String("swap"))
        layout.swapVideoMetas(words[1].toInt(), words[2].toInt());
    else if (words[0] == QLatin1String("replace"))
        layout.setVideoMetas({byName["d"]});
    else if (words[0] == QLatin1String("clear"))
        layout.setVideoMetas({});

    QString order;
    for (const auto &meta : layout.videoMetas())
        order += meta->title();
    QCOMPARE(order, expectedOrder);
    QCOMPARE(spy.count(), notifications);
}

void TestState::videoMetasReadableFromQml()
{
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import Marquetrix.State\nLayoutState {}\n", QUrl());
    std::unique_ptr<QObject> object(component.create());
    auto *layout = qobject_cast<LayoutState *>(object.get());
    QVERIFY2(layout, qPrintable(component.errorString()));
    QCOMPARE(layout->viewConfig(), layout::ViewConfiguration{});
    QVERIFY(!layout->lastLayout());
    layout->setVideoMetas({makeRecord(QStringLiteral("one")), makeRecord(QStringLiteral("two"))});

    QQmlExpression titles(engine.rootContext(), layout,
                          QStringLiteral("videoMetas.length + ':' + videoMetas[1].title"));
    QCOMPARE(titles.evaluate().toString(), QStringLiteral("2:two"));

    // Shuffling keeps every record and notifies once.
    QSignalSpy spy(layout, &LayoutState::videoMetasChanged);
    const auto before = layout->videoMetas();
    layout->shuffleVideoMetas();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(layout->videoMetas().size(), before.size());
    for (const auto &meta : before)
        QVERIFY(layout->videoMetas().contains(meta));
}

// The search gets every record (closed ones too, for the record count), each record's
// effective shape, the area and the objective, and keeps its cache in the window.
void TestState::searchSeesTheWindow()
{
    LayoutState state;
    state.setViewWidth(1600);
    state.setViewHeight(1000);
    const auto wide = makeRecord(QStringLiteral("wide"));
    wide->setWidth(1920);
    wide->setHeight(1080);
    const auto cropped = makeRecord(QStringLiteral("cropped"));
    cropped->setOverriddenAR(0.5625f);
    const auto closed = makeRecord(QStringLiteral("closed"));
    closed->setIsClosed(true);
    state.setVideoMetas({wide, closed, cropped});

    const layout::SearchInput input = state.searchInput(layout::LayoutAlgorithm::VideoSizes);
    QCOMPARE(input.videos.size(), 3u);
    QCOMPARE(input.videos[0].width, 1920);
    QVERIFY(input.videos[1].isClosed);
    QCOMPARE(input.videos[2].overriddenAR, 0.5625f);
    QCOMPARE(input.videos[2].title, std::string("cropped"));
    QCOMPARE(input.viewWidth, 1600.0f);
    QCOMPARE(input.layoutAlgorithm, layout::LayoutAlgorithm::VideoSizes);

    struct NullSink final : layout::LogSink
    {
        void log(layout::LogLevel, const std::string &) override {}
    } sink;
    const layout::NodePtr tree = layout::findLayout(input, state.layoutCache(), sink);
    QCOMPARE(tree->description(),
             std::string("H First: (Leaf: (1.77778)), Second: (Leaf: (0.5625)), AR: 2.34028"));
    QCOMPARE(state.lastLayout(), tree);
    QCOMPARE(state.viewConfig().aspectRatios, (std::vector<float>{1.77778f, 0.5625f}));
}

// Past the limit an opened video is not added, and the window says so; a video that
// replaces another in its tile still takes its place.
void TestState::videoLimit()
{
    LayoutState layout;
    QList<std::shared_ptr<VideoMetadata>> records;
    for (qsizetype k = 0; k <= LayoutState::kMaxVideos; ++k) {
        records.append(makeRecord());
        if (k < LayoutState::kMaxVideos)
            layout.appendVideoMeta(records.last());
    }
    QVERIFY(!layout.showVideoLimitAlert());
    QSignalSpy changes(&layout, &LayoutState::videoMetasChanged);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("64 videos are open already"));
    layout.appendVideoMeta(records.last());
    QCOMPARE(changes.count(), 0);
    QVERIFY(layout.showVideoLimitAlert());
    QCOMPARE(layout.videoMetas(), records.first(LayoutState::kMaxVideos));

    layout.insertVideoMeta(3, records.last());
    QCOMPARE(layout.videoMetas().at(3), records.last());
}

QTEST_GUILESS_MAIN(TestState)
#include "tst_state.moc"

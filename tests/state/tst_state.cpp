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

Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)

using namespace marquetrix;

namespace {

std::shared_ptr<VideoMetadata> record(const QString &title = {})
{
    auto meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
    meta->setTitle(title);
    return meta;
}

// A value of the property's type that differs from the current one.
QVariant otherValue(const QVariant &current, VideoMetadata *meta)
{
    const QVariant candidates[] = {QVariant::fromValue(AspectRatioType::wide),
                                   QVariant::fromValue(meta),
                                   !current.toBool(),
                                   current.toFloat() + 1.5f,
                                   current.toLongLong() + 3,
                                   current.toInt() + 2,
                                   current.toString() + "x",
                                   QUrl("http://127.0.0.1/other.mp4"),
                                   QUuid::createUuid(),
                                   current.toDateTime().addSecs(7)};
    for (const QVariant &candidate : candidates) {
        if (candidate.metaType() == current.metaType())
            return candidate;
    }
    return {};
}

} // namespace

class TestState : public QObject
{
    Q_OBJECT

private slots:
    // Assigning a field notifies through its own signal, once, even when the value is the
    // same; no other field's signal fires, and the value read back is the one written.
    void notifiesEveryAssignment()
    {
        const auto meta = record(), keep = record();
        PlayerState player;
        ViewState view;
        LayoutState layout;
        for (QObject *object : {static_cast<QObject *>(meta.get()), static_cast<QObject *>(&player),
                                static_cast<QObject *>(&view), static_cast<QObject *>(&layout)}) {
            const QMetaObject *type = object->metaObject();
            QList<std::pair<int, std::shared_ptr<QSignalSpy>>> spies;
            for (int i = type->propertyOffset(); i < type->propertyCount(); ++i) {
                QVERIFY2(type->property(i).hasNotifySignal() || type->property(i).isConstant(),
                         type->property(i).name());
                if (type->property(i).hasNotifySignal())
                    spies.append({i, std::make_shared<QSignalSpy>(
                                         object, type->property(i).notifySignal())});
            }
            const auto fired = [&] {
                QList<int> which;
                for (const auto &[index, spy] : spies)
                    which.append(QList<int>(spy->count(), index)), spy->clear();
                return which;
            };
            for (int i = type->propertyOffset(); i < type->propertyCount(); ++i) {
                const QMetaProperty property = type->property(i);
                if (!property.isWritable())
                    continue;
                const QVariant value = otherValue(property.read(object), keep.get());
                QVERIFY2(value.isValid(), property.name());
                QVERIFY(property.write(object, property.read(object)));
                QCOMPARE(fired(), QList<int>{i});
                QVERIFY(property.write(object, value));
                QCOMPARE(fired(), QList<int>{i});
                QCOMPARE(property.read(object), value);
            }
        }
    }

    // A replacement keeps what the user chose (volume, repeat) and starts over on the rest.
    // Records are one video each, named by their id, whatever their title.
    void records()
    {
        const auto current = record("old.mp4");
        current->setWidth(640);
        current->setOverriddenAR(0.5625f);
        current->setVolume(35.5f);
        current->setRepeatEnabled(true);
        current->setPlaying(false);
        current->setDoPause(true);
        const auto next = record("new.mp4");
        next->continueFrom(*current);
        QVERIFY(next->id() != current->id() && !next->id().isNull() && next->title() == "new.mp4");
        QVERIFY(next->volume() == 35.5f && next->repeatEnabled() && next->playing() &&
                !next->doPause() && next->width() == 16 && next->overriddenAR() == 0);

        VideoMetadata a(next->id(), nullptr);
        QVERIFY(a == *next && !(a == *current) && qHash(a) == qHash(*next));
        QCOMPARE(a.idText(), next->id().toString(QUuid::WithoutBraces).toUpper());

        // The search gets every record (closed ones too, for the record count), each
        // record's shape, the area and the objective.
        LayoutState state;
        state.setViewHeight(1000);
        next->setIsClosed(true);
        state.setVideoMetas({current, next});
        const auto input = state.searchInput(layout::LayoutAlgorithm::VideoSizes);
        QVERIFY(input.videos.size() == 2 && input.videos[0].width == 640 &&
                input.videos[0].overriddenAR == 0.5625f && input.videos[0].title == "old.mp4" &&
                input.videos[1].isClosed && input.viewHeight == 1000 &&
                input.layoutAlgorithm == layout::LayoutAlgorithm::VideoSizes &&
                !state.lastLayout() && state.viewConfig() == layout::ViewConfiguration{});
        // A listed record's new shape counts once, the same shape again not at all, and a
        // record no longer listed nothing.
        next->setVideoSize(640, 360);
        next->setVideoSize(640, 360);
        current->setOverriddenAR(0.5625f);
        state.removeVideoMeta(next->id());
        next->setWidth(1);
        QCOMPARE(state.counter(), 1);
    }

    // A tile made in QML starts from its record and keeps the record alive after the
    // window's list let it go; a record nothing shares is refused, not left dangling.
    void inQml()
    {
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import Marquetrix.State\nPlayerState {}\n", QUrl());
        LayoutState layout;
        layout.setVideoMetas({record("a"), record("b"), record("c")});
        QQmlExpression read(engine.rootContext(), &layout,
                            "videoMetas.length + videoMetas[1].title");
        QCOMPARE(read.evaluate().toString(), "3b");
        auto meta = record("kept");
        meta->setPosition(12.5f);
        meta->setPlaying(false);
        meta->setMuted(true);
        layout.setVideoMetas({meta});
        std::unique_ptr<QObject> object(component.createWithInitialProperties(
            {{"videoMeta", QVariant::fromValue(meta.get())}}));
        auto *tile = qobject_cast<PlayerState *>(object.get());
        QVERIFY2(tile, qPrintable(component.errorString()));
        QVERIFY(tile->position() == 12.5f && !tile->playing() && tile->muted() &&
                tile->justOpened() && tile->displayedPosition() == 0);

        VideoMetadata unshared(QUuid::createUuid(), nullptr);
        tile->setVideoMeta(&unshared);
        const std::weak_ptr<VideoMetadata> weak = meta;
        meta.reset();
        layout.setVideoMetas({});
        QCOMPARE(tile->videoMetaRef()->title(), "kept");
        object.reset();
        QVERIFY(weak.expired());
    }

    // Every change of the list notifies once; a change that is refused notifies nobody.
    void listChanges()
    {
        using Records = QList<std::shared_ptr<VideoMetadata>>;
        const std::tuple<std::function<void(LayoutState &, const Records &)>, QString, int> rows[] =
            {{[](auto &list, auto &r) { list.appendVideoMeta(r[3]); }, "abcd", 1},
             {[](auto &list, auto &r) { list.insertVideoMeta(1, r[3]); }, "adbc", 1},
             {[](auto &list, auto &r) { list.insertVideoMeta(9, r[3]); }, "abcd", 1},
             {[](auto &list, auto &r) { QVERIFY(list.removeVideoMeta(r[1]->id())); }, "ac", 1},
             {[](auto &list, auto &r) { QVERIFY(!list.removeVideoMeta(r[3]->id())); }, "abc", 0},
             {[](auto &list, auto &) { list.swapVideoMetas(0, 2); }, "cba", 1},
             {[](auto &list, auto &) { list.swapVideoMetas(0, 5); }, "abc", 0},
             {[](auto &list, auto &r) { list.appendVideoMeta(r[0]); }, "abc", 0},
             {[](auto &list, auto &r) { list.setVideoMetas(r.mid(3) + r.mid(3)); }, "d", 1}};
        for (const auto &[change, order, notifications] : rows) {
            const Records named{record("a"), record("b"), record("c"), record("d")};
            LayoutState layout;
            layout.setVideoMetas(named.first(3));
            QSignalSpy spy(&layout, &LayoutState::videoMetasChanged);
            change(layout, named);
            Records expected;
            for (QChar name : order)
                expected << named[name.unicode() - 'a'];
            QCOMPARE(layout.videoMetas(), expected);
            QCOMPARE(spy.count(), notifications);
        }
    }

    // Past the limit an opened video is not added, and the window says so; a video that
    // replaces another in its tile still takes its place.
    void videoLimit()
    {
        LayoutState layout;
        for (int k = 0; k < layout.maxVideos(); ++k)
            layout.appendVideoMeta(record());
        QSignalSpy changes(&layout, &LayoutState::videoMetasChanged);
        const auto last = record();
        layout.appendVideoMeta(last);
        QVERIFY(changes.isEmpty() && layout.showVideoLimitAlert() &&
                layout.videoMetas().size() == 64);
        layout.insertVideoMeta(3, last);
        QVERIFY(layout.videoMetas().size() == 65 && layout.videoMetas().at(3) == last);
    }
};

QTEST_GUILESS_MAIN(TestState)
#include "tst_state.moc"

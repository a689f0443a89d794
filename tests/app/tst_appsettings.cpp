// The layout objective setting: stored under "Marquetrix", read leniently, announced to every
// settings object, and followed by the layout view.

#include "appsettings.h"
#include "layoutviewmodel.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <memory>

Q_IMPORT_QML_PLUGIN(MarquetrixPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_PlaybackPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_SideControlsPlugin)

using namespace marquetrix;

class TestAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings(QStringLiteral("Marquetrix"), QStringLiteral("Marquetrix")).clear(); }
    void readsStoredValues_data();
    void readsStoredValues();
    void writesAndTellsEveryInstance();
    void layoutViewFollowsTheSetting();
};

void TestAppSettings::readsStoredValues_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("read");
    QTest::newRow("nothing stored: Balanced") << QVariant() << 1;
    QTest::newRow("ScreenUsage") << QVariant(0) << 0;
    QTest::newRow("Balanced") << QVariant(1) << 1;
    QTest::newRow("VideoSizes") << QVariant(2) << 2;
    QTest::newRow("out of range") << QVariant(7) << 1;
    QTest::newRow("negative") << QVariant(-1) << 1;
    QTest::newRow("not a number") << QVariant(QStringLiteral("wide")) << 1;
}

void TestAppSettings::readsStoredValues()
{
    QFETCH(QVariant, stored);
    QFETCH(int, read);
    if (stored.isValid())
        QSettings(QStringLiteral("Marquetrix"), QStringLiteral("Marquetrix"))
            .setValue(QStringLiteral("layoutAlgorithm"), stored);
    const AppSettings settings;
    QCOMPARE(settings.layoutAlgorithm(), read);
    QCOMPARE(settings.algorithm(), layout::layoutAlgorithmFromStored(read));
}

void TestAppSettings::writesAndTellsEveryInstance()
{
    AppSettings panel;
    AppSettings view;
    QSignalSpy viewSpy(&view, &AppSettings::layoutAlgorithmChanged);
    panel.setLayoutAlgorithm(2);
    QCOMPARE(viewSpy.count(), 1);
    QCOMPARE(view.layoutAlgorithm(), 2);
    QCOMPARE(QSettings(QStringLiteral("Marquetrix"), QStringLiteral("Marquetrix"))
                 .value(QStringLiteral("layoutAlgorithm"))
                 .toInt(),
             2);
    // Nothing but the three objectives is ever written.
    panel.setLayoutAlgorithm(9);
    QCOMPARE(view.layoutAlgorithm(), 1);
}

void TestAppSettings::layoutViewFollowsTheSetting()
{
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(R"(
import Marquetrix
import Marquetrix.State
LayoutViewModel {
    layoutState: LayoutState {}
    layoutAlgorithm: AppSettings.layoutAlgorithm
}
)",
                      QUrl());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));
    auto *model = qobject_cast<LayoutViewModel *>(object.get());
    QCOMPARE(model->layoutAlgorithm(), 1);
    AppSettings elsewhere;
    elsewhere.setLayoutAlgorithm(0);
    QCOMPARE(model->layoutAlgorithm(), 0);
}

QTEST_MAIN(TestAppSettings)
#include "tst_appsettings.moc"

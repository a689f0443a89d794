#include "layoutcommand.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using marquetrix::layout::runLayoutCommand;

namespace {

struct Run
{
    int status;
    QString out;
    QString err;
};

Run run(const QStringList &arguments)
{
    std::vector<std::string> args;
    for (const QString &argument : arguments)
        args.push_back(argument.toStdString());
    std::string out;
    std::string err;
    const int status = runLayoutCommand(args, out, err);
    return {status, QString::fromStdString(out), QString::fromStdString(err)};
}

QJsonObject runJson(QStringList arguments)
{
    arguments.prepend("--json");
    const Run result = run(arguments);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out.toUtf8(), &error);
    if (result.status != 0 || error.error != QJsonParseError::NoError || !document.isObject())
        qWarning() << "not one JSON object:" << result.out << result.err;
    return document.object();
}

// The elapsed times differ from run to run; everything else must stay as recorded.
QString withoutTimes(QString json)
{
    json.replace(QRegularExpression("\"micros\":[0-9]+"), "\"micros\":0");
    json.replace(QRegularExpression(" in [0-9.]+ s\\."), " in 0 s.");
    return json;
}

} // namespace

class TestLayoutCommand : public QObject
{
    Q_OBJECT

private slots:
    void badArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList{} << "no videos given";
        QTest::newRow("unknown option") << QStringList{"--wide", "16x9"} << "unknown option";
        QTest::newRow("bad area") << QStringList{"--area", "16x", "16x9"} << "--area takes WxH";
        QTest::newRow("zero area") << QStringList{"--area", "0x100", "16x9"} << "--area takes WxH";
        QTest::newRow("missing area") << QStringList{"16x9", "--area"} << "missing value";
        QTest::newRow("bad objective")
            << QStringList{"--objective", "pretty", "16x9"} << "unknown objective";
        QTest::newRow("bad video") << QStringList{"16:9"} << "not a video: '16:9'";
        QTest::newRow("negative size") << QStringList{"-16x9"} << "not a video";
        QTest::newRow("bad ratio") << QStringList{"ar:wide"} << "not a video";
        QTest::newRow("zero ratio") << QStringList{"ar:0"} << "not a video";
        QTest::newRow("nan ratio") << QStringList{"ar:nan"} << "not a video";
        QTest::newRow("trailing junk") << QStringList{"16x9x"} << "not a video";
    }

    void badArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run result = run(arguments);
        QCOMPARE(result.status, 2);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QVERIFY(result.err.contains("usage: marquetrix-layout"));
        QVERIFY(result.out.isEmpty());
    }

    void help()
    {
        const Run result = run({"--help"});
        QCOMPARE(result.status, 0);
        QVERIFY(result.out.startsWith("usage: marquetrix-layout"));
    }

    void plainOutput()
    {
        const Run result = run({"1920x1080"});
        QCOMPARE(result.status, 0);
        const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QString("Leaf: (1.77778)"));
        QVERIFY(lines[1].startsWith("aspect ratio 1.77778, size ratio 1.0, 1 candidates"));
        QVERIFY(lines[2].startsWith("  1920x1080: 1600.0x899.99"));
    }

    void jsonFields()
    {
        const QJsonObject result =
            runJson({"--area", "1600x1000", "closed:640x480", "1920x1080", "ar:1.33333"});
        QCOMPARE(result["tree"].toString(),
                 QString("H First: (Leaf: (1.77778)), Second: (Leaf: (1.33333)), AR: 3.1111102"));
        QCOMPARE(float(result["aspectRatio"].toDouble()), 3.1111102f);
        QVERIFY(result["sizeRatio"].isDouble());
        QCOMPARE(result["shares"].toArray().size(), 2);
        const QJsonArray tiles = result["tiles"].toArray();
        QCOMPARE(tiles.size(), 2);
        QCOMPARE(tiles[0].toObject()["video"].toInt(), 1); // index into the arguments' videos
        QCOMPARE(tiles[1].toObject()["video"].toInt(), 2);
        QVERIFY(tiles[0].toObject()["x"].toDouble() == 0.0);
        QCOMPARE(result["candidates"].toInt(), 2);
        QVERIFY(result["log"].toArray().contains("info: Layout: p=2, l=2"));
        QVERIFY(result["micros"].isDouble());
    }

    void allClosed()
    {
        const QJsonObject result = runJson({"closed:16x9"});
        QCOMPARE(result["tree"].toString(), QString("Error"));
        QVERIFY(result["tiles"].toArray().isEmpty());
    }

    // Whole scenarios against recorded answers. MARQUETRIX_UPDATE_GOLDEN=1 records anew.
    void golden_data()
    {
        QTest::addColumn<QString>("name");
        const QDir dir(qEnvironmentVariable("MARQUETRIX_LAYOUT_GOLDEN"));
        const QStringList scenarios = dir.entryList({"*.args"}, QDir::Files, QDir::Name);
        QVERIFY(!scenarios.isEmpty());
        for (const QString &file : scenarios)
            QTest::newRow(qPrintable(file)) << dir.filePath(file.chopped(5));
    }

    void golden()
    {
        QFETCH(QString, name);
        QFile args(name + ".args");
        QVERIFY(args.open(QIODevice::ReadOnly));
        QStringList arguments = QString::fromUtf8(args.readAll()).split('\n', Qt::SkipEmptyParts);
        arguments.prepend("--json");
        const Run result = run(arguments);
        QCOMPARE(result.status, 0);
        const QString actual = withoutTimes(result.out);
        QFile expected(name + ".json");
        if (qEnvironmentVariableIntValue("MARQUETRIX_UPDATE_GOLDEN")) {
            QVERIFY(expected.open(QIODevice::WriteOnly));
            expected.write(actual.toUtf8());
            return;
        }
        QVERIFY2(expected.open(QIODevice::ReadOnly), qPrintable(name + ".json is missing"));
        QCOMPARE(actual, QString::fromUtf8(expected.readAll()));
    }
};

QTEST_APPLESS_MAIN(TestLayoutCommand)
#include "tst_layoutcommand.moc"

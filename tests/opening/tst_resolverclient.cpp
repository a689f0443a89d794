// The resolver client and the page-title fetch against HTTP servers on 127.0.0.1.

#include "logcapture.h"
#include "scriptedhttpserver.h"

#include "networksession.h"
#include "pagetitle.h"
#include "urlloader.h"
#include "videometadata.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

using namespace marquetrix;
using Kind = ScriptedHttpServer::Response::Kind;

Q_DECLARE_METATYPE(Kind)

namespace {

// Quick retries, so that failing four times stays fast; the product's pauses are checked once.
ResolverTiming quickTiming()
{
    return {.attemptTimeout = std::chrono::milliseconds(800),
            .retryDelay = std::chrono::milliseconds(50),
            .maxRetryCount = 3,
            .maxBodyBytes = 8 * 1024 * 1024};
}

struct Outcome
{
    bool finished = false;
    bool succeeded = false;
    QStringList urls;
};

Outcome resolve(URLLoader &loader, int timeoutMs = 20000)
{
    Outcome outcome;
    QObject::connect(&loader, &URLLoader::loaded, [&](const QStringList &urls) {
        outcome = {.finished = true, .succeeded = true, .urls = urls};
    });
    QObject::connect(&loader, &URLLoader::failed,
                     [&] { outcome = {.finished = true, .succeeded = false, .urls = {}}; });
    loader.load();
    if (!QTest::qWaitFor([&] { return outcome.finished; }, timeoutMs))
        qWarning("the resolve did not end");
    return outcome;
}

} // namespace

class TestResolverClient : public QObject
{
    Q_OBJECT

private slots:
    void requestGoesToTheBaseUrlExactly();
    void answers_data();
    void answers();
    void errorPagesFailFourTimesWithPauses();
    void misbehavingServers_data();
    void misbehavingServers();
    void deletedLoaderReportsNothing();
    void pageTitles_data();
    void pageTitles();
    void pageTitleFailures_data();
    void pageTitleFailures();
};

void TestResolverClient::requestGoesToTheBaseUrlExactly()
{
    ScriptedHttpServer server;
    QVERIFY(server.start());
    server.respond({.body = R"({"urls":["https://cdn.example/a.m3u8"]})"});

    const QString link = QStringLiteral("https://example.com/watch?v=1&t=\"2\"");
    auto loader = buildResolverRequest(server.url(QStringLiteral("/api/resolve")), link);
    QCOMPARE(loader->request().url(), server.url(QStringLiteral("/api/resolve")));
    QCOMPARE(loader->request().transferTimeout(), 20000);
    QCOMPARE(QJsonDocument::fromJson(loader->body()).object().value(QStringLiteral("url")),
             QJsonValue(link));
    const Outcome outcome = resolve(*loader);
    QVERIFY(outcome.succeeded);
    QCOMPARE(outcome.urls, QStringList{QStringLiteral("https://cdn.example/a.m3u8")});

    QCOMPARE(server.requests().size(), 1);
    const ScriptedHttpServer::Request &request = server.requests().first();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.target, QByteArray("/api/resolve"));
    const QJsonDocument body = QJsonDocument::fromJson(request.body);
    QCOMPARE(body.object(), (QJsonObject{{QStringLiteral("url"), link}}));
    QCOMPARE(request.body, body.toJson(QJsonDocument::Compact));
}

void TestResolverClient::answers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QStringList>("urls");

    QTest::newRow("empty list") << 200 << QByteArray(R"({"urls":[]})") << true << QStringList();
    QTest::newRow("extra member, order kept")
        << 200 << QByteArray(R"({"title":"x","urls":["https://b/2","https://a/1"],"n":3})") << true
        << QStringList{QStringLiteral("https://b/2"), QStringLiteral("https://a/1")};
    QTest::newRow("status 500, valid body")
        << 500 << QByteArray(R"({"urls":["rtsp://cam/live"]})") << true
        << QStringList{QStringLiteral("rtsp://cam/live")};
    QTest::newRow("no urls member")
        << 200 << QByteArray(R"({"url":"x"})") << false << QStringList();
    QTest::newRow("urls not an array")
        << 200 << QByteArray(R"({"urls":"https://a/1"})") << false << QStringList();
    QTest::newRow("an entry not a string")
        << 200 << QByteArray(R"({"urls":["https://a/1",2]})") << false << QStringList();
    QTest::newRow("array at the top")
        << 200 << QByteArray(R"(["https://a/1"])") << false << QStringList();
    QTest::newRow("empty body") << 200 << QByteArray() << false << QStringList();
}

void TestResolverClient::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, succeeds);
    QFETCH(QStringList, urls);

    ScriptedHttpServer server;
    QVERIFY(server.start());
    server.respond({.status = status, .body = body});
    LogCapture log("marquetrix.layout");
    auto loader =
        buildResolverRequest(server.url(), QStringLiteral("https://example.com/"), quickTiming());
    const Outcome outcome = resolve(*loader);
    QVERIFY(outcome.finished);
    QCOMPARE(outcome.succeeded, succeeds);
    QCOMPARE(outcome.urls, urls);
    const int attempts = succeeds ? 1 : 4;
    QCOMPARE(server.requests().size(), attempts);
    QCOMPARE(loader->attempts(), attempts);
    QCOMPARE(log.lines().count(QStringLiteral("Got data %1 bytes").arg(body.size())), attempts);
}

void TestResolverClient::errorPagesFailFourTimesWithPauses()
{
    ScriptedHttpServer server;
    QVERIFY(server.start());
    server.respond({.status = 404,
                    .body = "<html><title>Not here</title></html>",
                    .contentType = "text/html"});
    auto loader = buildResolverRequest(server.url(), QStringLiteral("https://example.com/x"));
    QElapsedTimer clock;
    clock.start();
    const Outcome outcome = resolve(*loader);
    QVERIFY(outcome.finished);
    QVERIFY(!outcome.succeeded);
    QCOMPARE(server.requests().size(), 4);
    // Three pauses of a second between the four attempts.
    QCOMPARE_GE(clock.elapsed(), 3000);
}

void TestResolverClient::misbehavingServers_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("never answers") << Kind::Stall << QByteArray();
    QTest::newRow("closes the connection") << Kind::Close << QByteArray();
    QTest::newRow("endless body") << Kind::Endless << QByteArray();
    // A whole, valid answer, only too large: the bound is not just a stream guard.
    QByteArray huge =
        R"({"urls":["https://a/1"],"pad":")" + QByteArray(9 * 1024 * 1024, 'p') + "\"}";
    QTest::newRow("9 MiB answer") << Kind::Answer << huge;
}

void TestResolverClient::misbehavingServers()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, body);
    ScriptedHttpServer server;
    QVERIFY(server.start());
    server.respond({.kind = kind, .body = body});
    auto loader =
        buildResolverRequest(server.url(), QStringLiteral("https://example.com/x"), quickTiming());
    const Outcome outcome = resolve(*loader);
    QVERIFY(outcome.finished);
    QVERIFY(!outcome.succeeded);
    QCOMPARE(loader->attempts(), 4);
    // Qt's HTTP client sends a request once more by itself when the connection closes
    // before any answer.
    if (kind == Kind::Close)
        QCOMPARE_GE(server.requests().size(), 4);
    else
        QCOMPARE(server.requests().size(), 4);
    if (kind == Kind::Endless) {
        // Each attempt stopped reading soon after its bound.
        QCOMPARE_LT(server.endlessBytesSent(), 4 * 24 * 1024 * 1024);
    }
}

void TestResolverClient::deletedLoaderReportsNothing()
{
    ScriptedHttpServer server;
    QVERIFY(server.start());
    server.respond({.kind = Kind::Stall, .body = {}});
    auto loader =
        buildResolverRequest(server.url(), QStringLiteral("https://example.com/x"), quickTiming());
    bool reported = false;
    connect(loader.get(), &URLLoader::failed, this, [&] { reported = true; });
    loader->load();
    QSignalSpy received(&server, &ScriptedHttpServer::requestReceived);
    QVERIFY(received.wait());
    loader.reset();
    QTest::qWait(1200);
    QVERIFY(!reported);
    QCOMPARE(server.requests().size(), 1);
}

void TestResolverClient::pageTitles_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("fails");

    QTest::newRow("one line") << 200 << QByteArray("<html><head><title>My clip</title></head>")
                              << QStringLiteral("My clip") << false;
    QTest::newRow("split over two lines")
        << 200 << QByteArray("<title>My\nclip</title>") << QStringLiteral("typed link") << false;
    QTest::newRow("two titles, the last wins")
        << 200 << QByteArray("<title>First</title>\n<p>x</p>\n<title>Second</title>")
        << QStringLiteral("Second") << false;
    QTest::newRow("taken unchanged") << 200 << QByteArray("<title> A &amp; B </title>")
                                     << QStringLiteral(" A &amp; B ") << false;
    QTest::newRow("UTF-8 text") << 200 << QByteArray("<title>Über Ålesund 🎬</title>")
                                << QStringLiteral("Über Ålesund 🎬") << false;
    QTest::newRow("no title") << 200 << QByteArray("<html></html>") << QStringLiteral("typed link")
                              << false;
    QTest::newRow("403 still retitles") << 403 << QByteArray("<title>Members only</title>")
                                        << QStringLiteral("Members only") << true;
    QTest::newRow("not UTF-8") << 200 << QByteArray("<title>caf\xe9</title>")
                               << QStringLiteral("typed link") << false;
}

void TestResolverClient::pageTitles()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, title);
    QFETCH(bool, fails);

    ScriptedHttpServer server;
    QVERIFY(server.start());
    server.respond({.status = status, .body = body, .contentType = "text/html"});
    const auto record = std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
    record->setTitle(QStringLiteral("typed link"));

    LogCapture log("marquetrix.videoOpener");
    QSignalSpy finished(&sharedNetworkSession(), &QNetworkAccessManager::finished);
    bool failed = false;
    fetchPageTitle(server.url(QStringLiteral("/watch?v=1")), record, this, [&] { failed = true; });
    QVERIFY(finished.wait());
    QCOMPARE(record->title(), title);
    QCOMPARE(failed, fails);

    QCOMPARE(server.requests().size(), 1);
    const ScriptedHttpServer::Request &request = server.requests().first();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.target, QByteArray("/watch?v=1"));
    QCOMPARE(request.headers.value("user-agent"),
             QByteArray("Mozilla/5.0 (X11; Linux i686; rv:109.0) Gecko/20100101 Firefox/121.0"));
    QCOMPARE(log.lines().first(), QStringLiteral("Getting title"));
    if (fails)
        QVERIFY(log.contains(QStringLiteral("Got error response code %1").arg(status)));
    if (QTest::currentDataTag() == QByteArray("not UTF-8"))
        QVERIFY(log.contains(QStringLiteral("Failed to convert to string")));
}

void TestResolverClient::pageTitleFailures_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("never answers") << Kind::Stall;
    QTest::newRow("closes the connection") << Kind::Close;
    QTest::newRow("endless body") << Kind::Endless;
}

void TestResolverClient::pageTitleFailures()
{
    QFETCH(Kind, kind);
    ScriptedHttpServer server;
    QVERIFY(server.start());
    server.respond({.kind = kind, .body = {}});
    const auto record = std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
    record->setTitle(QStringLiteral("typed link"));
    bool failed = false;
    fetchPageTitle(
        server.url(), record, this, [&] { failed = true; }, std::chrono::milliseconds(1000));
    QTRY_VERIFY_WITH_TIMEOUT(failed, 10000);
    QCOMPARE(record->title(), QStringLiteral("typed link"));

    // A caller that is gone is not called; the record that is gone is not touched.
    auto *gone = new QObject;
    bool calledAfterGone = false;
    std::weak_ptr<VideoMetadata> weak;
    {
        const auto dropped = std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
        weak = dropped;
        fetchPageTitle(
            server.url(), dropped, gone, [&] { calledAfterGone = true; },
            std::chrono::milliseconds(300));
    }
    QVERIFY(weak.expired());
    delete gone;
    QSignalSpy finished(&sharedNetworkSession(), &QNetworkAccessManager::finished);
    QVERIFY(finished.wait(5000));
    QVERIFY(!calledAfterGone);
}

QTEST_GUILESS_MAIN(TestResolverClient)
#include "tst_resolverclient.moc"

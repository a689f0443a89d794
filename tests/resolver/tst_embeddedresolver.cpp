// The app's own resolver service when none is configured: found, started on the first request,
// started again when it ended, stopped with its owner, and its port closed when it cannot run.

#include "embeddedresolver.h"
#include "testhttpserver.h"
#include "urlloader.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;
using namespace marquetrix;
using marquetrix::test::TestHttpServer;

class TestEmbeddedResolver : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startsOnDemandAgainAndStopsWithItsOwner();
    void serviceThatCannotStartClosesThePort();

private:
    // Resolves the page the way the app does, through the resolver at baseUrl.
    bool resolves(const QUrl &baseUrl);

    QTemporaryDir m_dir;
    std::unique_ptr<TestHttpServer> m_http;
};

void TestEmbeddedResolver::initTestCase()
{
    QFile page(m_dir.filePath(u"watch.html"_s));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><body><video src=\"clips/a.mp4\"></video></body></html>");
    page.close();
    m_http = std::make_unique<TestHttpServer>(m_dir.path());
    QVERIFY(m_http->start());
    QVERIFY(!EmbeddedResolver::findProgram().isEmpty());
    // No yt-dlp for the services: they read the page themselves, at once.
    qputenv("PATH", m_dir.path().toUtf8());
}

bool TestEmbeddedResolver::resolves(const QUrl &baseUrl)
{
    ResolverTiming timing;
    timing.retryDelay = std::chrono::milliseconds(200);
    const auto loader = buildResolverRequest(baseUrl, m_http->url("watch.html").toString(), timing);
    QSignalSpy loaded(loader.get(), &URLLoader::loaded);
    QSignalSpy failed(loader.get(), &URLLoader::failed);
    loader->load();
    return QTest::qWaitFor([&] { return !loaded.isEmpty() || !failed.isEmpty(); }, 30000) &&
           loaded.value(0).value(0).toStringList() ==
               QStringList{m_http->url("clips/a.mp4").toString()};
}

void TestEmbeddedResolver::startsOnDemandAgainAndStopsWithItsOwner()
{
    auto resolver = std::make_unique<EmbeddedResolver>(EmbeddedResolver::findProgram());
    QVERIFY(resolver->listen());
    QVERIFY(!resolver->isRunning());
    QVERIFY(resolves(resolver->baseUrl()));
    QVERIFY(resolver->isRunning());
    const qint64 first = resolver->processId();

    QSignalSpy ended(resolver.get(), &EmbeddedResolver::serviceEnded);
    kill(pid_t(first), SIGKILL);
    QVERIFY(ended.wait());
    QVERIFY(!resolver->isRunning());
    QVERIFY(resolves(resolver->baseUrl()));
    const auto second = pid_t(resolver->processId());
    QVERIFY(second != first && second > 0);

    resolver.reset();
    QCOMPARE(kill(second, 0), -1);
}

void TestEmbeddedResolver::serviceThatCannotStartClosesThePort()
{
    // A program that ends without ever serving stands for a broken installation.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ended as it started"));
    EmbeddedResolver resolver(u"/bin/false"_s);
    QVERIFY(resolver.listen());
    QSignalSpy ended(&resolver, &EmbeddedResolver::serviceEnded);
    QTcpSocket first;
    first.connectToHost(QHostAddress::LocalHost, quint16(resolver.baseUrl().port()));
    QVERIFY(ended.wait());

    // Later clients are refused at once instead of waiting for an answer that cannot come.
    QTcpSocket later;
    QSignalSpy refused(&later, &QTcpSocket::errorOccurred);
    later.connectToHost(QHostAddress::LocalHost, quint16(resolver.baseUrl().port()));
    QVERIFY(refused.wait());
    QCOMPARE(later.error(), QAbstractSocket::ConnectionRefusedError);
}

QTEST_GUILESS_MAIN(TestEmbeddedResolver)
#include "tst_embeddedresolver.moc"

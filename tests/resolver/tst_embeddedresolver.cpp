#include "embeddedresolver.h"
#include "resolverbaseurl.h"
#include "testhttpserver.h"
#include "urlloader.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using marquetrix::buildResolverRequest;
using marquetrix::EmbeddedResolver;
using marquetrix::resolverBaseUrl;
using marquetrix::ResolverTiming;
using marquetrix::URLLoader;
using marquetrix::test::TestHttpServer;

namespace {

constexpr int kResolveTimeoutMs = 30000;

// Resolves a link the way the app does, through the resolver at baseUrl.
QStringList resolve(const QUrl &baseUrl, const QString &link)
{
    ResolverTiming timing;
    timing.retryDelay = std::chrono::milliseconds(200);
    const std::unique_ptr<URLLoader> loader = buildResolverRequest(baseUrl, link, timing);
    QSignalSpy loaded(loader.get(), &URLLoader::loaded);
    QSignalSpy failed(loader.get(), &URLLoader::failed);
    loader->load();
    if (!QTest::qWaitFor([&] { return !loaded.isEmpty() || !failed.isEmpty(); },
                         kResolveTimeoutMs) ||
        loaded.isEmpty())
        return {QStringLiteral("failed: ") + failed.value(0).value(0).toString()};
    return loaded.first().first().toStringList();
}

} // namespace

class TestEmbeddedResolver : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void unconfiguredUsesTheBundledService();
    void startsOnFirstRequestAndStopsWithItsOwner();
    void serviceThatEndsStartsAgain();
    void serviceThatCannotStartClosesThePort();

private:
    QString pageLink() const { return m_http->url(QStringLiteral("watch.html")).toString(); }
    QString mediaLink() const { return m_http->url(QStringLiteral("clips/a.mp4")).toString(); }

    QTemporaryDir m_dir;
    std::unique_ptr<TestHttpServer> m_http;
};

void TestEmbeddedResolver::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile page(m_dir.filePath(QStringLiteral("watch.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><body><video src=\"clips/a.mp4\"></video></body></html>");
    page.close();
    m_http = std::make_unique<TestHttpServer>(m_dir.path());
    QVERIFY(m_http->start());
    QVERIFY(!EmbeddedResolver::findProgram().isEmpty());
}

void TestEmbeddedResolver::unconfiguredUsesTheBundledService()
{
    QSettings(QStringLiteral("Marquetrix"), QStringLiteral("Marquetrix"))
        .remove(QStringLiteral("resolverUrl"));
    qunsetenv("MARQUETRIX_RESOLVER_URL");

    const QUrl baseUrl = resolverBaseUrl();
    QCOMPARE(baseUrl.scheme(), QStringLiteral("http"));
    QCOMPARE(baseUrl.host(), QStringLiteral("127.0.0.1"));
    QVERIFY(baseUrl.port() > 0);
    QCOMPARE(resolverBaseUrl(), baseUrl);
    QCOMPARE(resolve(baseUrl, pageLink()), QStringList{mediaLink()});
}

void TestEmbeddedResolver::startsOnFirstRequestAndStopsWithItsOwner()
{
    auto resolver = std::make_unique<EmbeddedResolver>(EmbeddedResolver::findProgram());
    QVERIFY(resolver->listen());
    QVERIFY(!resolver->isRunning());

    QCOMPARE(resolve(resolver->baseUrl(), pageLink()), QStringList{mediaLink()});
    QVERIFY(resolver->isRunning());
    const auto pid = static_cast<pid_t>(resolver->processId());
    QVERIFY(pid > 0);

    resolver.reset();
    QCOMPARE(kill(pid, 0), -1);
}

void TestEmbeddedResolver::serviceThatEndsStartsAgain()
{
    EmbeddedResolver resolver(EmbeddedResolver::findProgram());
    QVERIFY(resolver.listen());
    QCOMPARE(resolve(resolver.baseUrl(), pageLink()), QStringList{mediaLink()});
    const qint64 first = resolver.processId();

    QSignalSpy ended(&resolver, &EmbeddedResolver::serviceEnded);
    kill(static_cast<pid_t>(first), SIGKILL);
    QVERIFY(ended.wait());
    QVERIFY(!resolver.isRunning());

    QCOMPARE(resolve(resolver.baseUrl(), pageLink()), QStringList{mediaLink()});
    QVERIFY(resolver.isRunning());
    QVERIFY(resolver.processId() != first);
}

void TestEmbeddedResolver::serviceThatCannotStartClosesThePort()
{
    // A program that ends without ever serving stands for a broken installation.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ended as it started"));
    EmbeddedResolver resolver(QStringLiteral("/bin/false"));
    QVERIFY(resolver.listen());
    QSignalSpy ended(&resolver, &EmbeddedResolver::serviceEnded);
    QTcpSocket first;
    first.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(resolver.baseUrl().port()));
    QVERIFY(ended.wait());

    // Later clients are refused at once instead of waiting for an answer that cannot come.
    QTcpSocket later;
    QSignalSpy refused(&later, &QTcpSocket::errorOccurred);
    later.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(resolver.baseUrl().port()));
    QVERIFY(refused.wait());
    QCOMPARE(later.error(), QAbstractSocket::ConnectionRefusedError);
}

QTEST_GUILESS_MAIN(TestEmbeddedResolver)
#include "tst_embeddedresolver.moc"

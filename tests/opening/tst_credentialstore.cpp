// The credential store against the real GNOME Keyring of the test session.

#include "logcapture.h"
#include "sentinel.h"

#include "credentialstore.h"
#include "secretstore.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

using namespace marquetrix;

namespace {

// Hosts of their own for every run, so that runs in one session do not see each other.
QString uniqueHost(const QString &name)
{
    return QStringLiteral("%1-%2.example")
        .arg(name, QUuid::createUuid().toString(QUuid::Id128).left(12));
}

} // namespace

class TestCredentialStore : public QObject
{
    Q_OBJECT

private slots:
    void storedItemIsFoundByItsHostOnly();
    void roundTrip_data();
    void roundTrip();
    void twoUsersOnOneHost();
    void storingAgainReplacesThePassword();
    void unreadableItemsAnswerNone_data();
    void unreadableItemsAnswerNone();
    void laterFormsAnswerOnTheEventLoop();
};

void TestCredentialStore::storedItemIsFoundByItsHostOnly()
{
    const QString host = uniqueHost(QStringLiteral("a"));
    storeCredentials({.server = host,
                      .username = QStringLiteral("alice"),
                      .password = QStringLiteral("s3cret")});

    const std::optional<Credentials> found = getCredentials(host);
    QVERIFY(found);
    QCOMPARE(found->server, host);
    QCOMPARE(found->username, QStringLiteral("alice"));
    QCOMPARE(found->password, QStringLiteral("s3cret"));

    LogCapture log("marquetrix.credentials");
    QVERIFY(!getCredentials(uniqueHost(QStringLiteral("b"))));
    QVERIFY2(log.lines().isEmpty(), qPrintable(log.lines().join(u'\n')));
}

void TestCredentialStore::roundTrip_data()
{
    QTest::addColumn<QString>("username");
    QTest::addColumn<QString>("password");
    QTest::newRow("non-ASCII password")
        << QStringLiteral("bob") << QStringLiteral("pässwörd €😀 ünïcödé");
    QTest::newRow("empty user name") << QString() << QStringLiteral("only-a-password");
    QTest::newRow("empty password") << QStringLiteral("carol") << QString();
    QTest::newRow("sentinel") << QStringLiteral("sam") << kSentinelPassword;
    QTest::newRow("quotes and blanks")
        << QStringLiteral("d a\"v'e") << QStringLiteral("  with blanks \t\"'\\ ");
}

void TestCredentialStore::roundTrip()
{
    QFETCH(QString, username);
    QFETCH(QString, password);
    const QString host = uniqueHost(QStringLiteral("round"));
    storeCredentials({.server = host, .username = username, .password = password});
    const std::optional<Credentials> found = getCredentials(host);
    QVERIFY(found);
    QCOMPARE(found->username, username);
    QCOMPARE(found->password, password);
}

void TestCredentialStore::twoUsersOnOneHost()
{
    const QString host = uniqueHost(QStringLiteral("shared"));
    storeCredentials(
        {.server = host, .username = QStringLiteral("u1"), .password = QStringLiteral("p1")});
    storeCredentials(
        {.server = host, .username = QStringLiteral("u2"), .password = QStringLiteral("p2")});
    const std::optional<Credentials> found = getCredentials(host);
    QVERIFY(found);
    // Either item, but whole: the password belongs to the user name it comes with.
    QVERIFY2((found->username == u"u1" && found->password == u"p1") ||
                 (found->username == u"u2" && found->password == u"p2"),
             qPrintable(found->username));
}

void TestCredentialStore::storingAgainReplacesThePassword()
{
    const QString host = uniqueHost(QStringLiteral("again"));
    storeCredentials(
        {.server = host, .username = QStringLiteral("eve"), .password = QStringLiteral("old")});
    storeCredentials(
        {.server = host, .username = QStringLiteral("eve"), .password = QStringLiteral("new")});
    const std::optional<Credentials> found = getCredentials(host);
    QVERIFY(found);
    QCOMPARE(found->password, QStringLiteral("new"));
}

void TestCredentialStore::unreadableItemsAnswerNone_data()
{
    QTest::addColumn<bool>("withUser");
    QTest::addColumn<QByteArray>("secret");
    QTest::newRow("no user name (another program's item)") << false << QByteArray("pw");
    QTest::newRow("password not UTF-8") << true << QByteArray("\xff\xfe\xfd");
}

void TestCredentialStore::unreadableItemsAnswerNone()
{
    QFETCH(bool, withUser);
    QFETCH(QByteArray, secret);
    const QString host = uniqueHost(QStringLiteral("odd"));
    if (withUser) {
        int status = 1;
        SecretStore::store(host, QStringLiteral("frank"), secret, this, [&](int s) { status = s; });
        QTRY_COMPARE(status, SecretStore::kSuccess);
    } else {
        // As another program writes it: the schema and the host, but no user attribute.
        QProcess tool;
        tool.start(QStringLiteral("secret-tool"),
                   {QStringLiteral("store"), QStringLiteral("--label=other program"),
                    QStringLiteral("xdg:schema"),
                    QStringLiteral("org.gnome.keyring.NetworkPassword"), QStringLiteral("server"),
                    host});
        QVERIFY(tool.waitForStarted());
        tool.write(secret);
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 0);
    }

    LogCapture log("marquetrix.credentials");
    QVERIFY(!getCredentials(host));
    QCOMPARE(log.lines(),
             QStringList{QStringLiteral("Found credentials but failed to read as map")});
}

void TestCredentialStore::laterFormsAnswerOnTheEventLoop()
{
    const QString host = uniqueHost(QStringLiteral("later"));
    bool stored = false;
    storeCredentialsLater(
        {.server = host, .username = QStringLiteral("gina"), .password = QStringLiteral("pw")},
        this, [&](std::optional<KeychainError> error) { stored = !error; });
    QVERIFY(!stored);
    QTRY_VERIFY(stored);

    std::optional<Credentials> found;
    bool answered = false;
    getCredentialsLater(host, this, [&](std::optional<Credentials> c) {
        found = std::move(c);
        answered = true;
    });
    QVERIFY(!answered);
    QTRY_VERIFY(answered);
    QVERIFY(found);
    QCOMPARE(found->username, QStringLiteral("gina"));

    // A caller that has gone away is not called.
    auto *gone = new QObject;
    bool calledAfterGone = false;
    getCredentialsLater(host, gone, [&](std::optional<Credentials>) { calledAfterGone = true; });
    delete gone;
    bool control = false;
    getCredentialsLater(host, this, [&](std::optional<Credentials>) { control = true; });
    QTRY_VERIFY(control);
    QVERIFY(!calledAfterGone);
}

QTEST_GUILESS_MAIN(TestCredentialStore)
#include "tst_credentialstore.moc"

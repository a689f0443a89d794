// The credential store when the Secret Service is missing or never answers. Runs on a bus of
// its own on which no service can be started (see CMakeLists.txt); the stalled service is a
// fixture that owns the service's name and drops every call.

#include "credentialstore.h"
#include "fakeengine.h"
#include "layoutstate.h"
#include "secretstore.h"
#include "videoopenercontroller.h"
#include "viewstate.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>

using namespace marquetrix;

namespace {

const Credentials kCredentials{.server = QStringLiteral("a.example"),
                               .username = QStringLiteral("alice"),
                               .password = QStringLiteral("pw")};

// The status storing fails with and how long it took, with the turns of the event loop
// meanwhile: a frozen loop counts none.
struct Failure
{
    int status = 0;
    qint64 ms = 0;
    int beats = 0;
};

Failure storeFails()
{
    Failure failure;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++failure.beats; });
    heartbeat.start(50);
    QElapsedTimer clock;
    clock.start();
    try {
        storeCredentials(kCredentials);
    } catch (const KeychainError &error) {
        failure.status = error.status();
    }
    failure.ms = clock.elapsed();
    return failure;
}

} // namespace

class TestCredentialsUnavailable : public QObject
{
    Q_OBJECT

private slots:
    void missingServiceFailsAtOnce();
    void stalledServiceFailsWithinTheBound();
};

void TestCredentialsUnavailable::missingServiceFailsAtOnce()
{
    QVERIFY2(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"),
             "run under dbus-run-session with the bus configuration without services");
    const Failure failure = storeFails();
    QCOMPARE(failure.status, SecretStore::kServiceFailed);
    QVERIFY(!getCredentials(QStringLiteral("a.example")));
    QCOMPARE_LT(failure.ms, SecretStore::kDefaultBound.count());

    // The dialog opens all the same; the failure arrives later and raises the toast.
    FakeMediaEngine engine;
    ViewState viewState;
    LayoutState layoutState;
    VideoOpenerController dialog;
    dialog.setViewState(&viewState);
    dialog.setLayoutState(&layoutState);
    dialog.setEngine(&engine);
    dialog.setVideoUrl(QStringLiteral("https://a.example/v.mp4"));
    dialog.setUsername(QStringLiteral("alice"));
    dialog.setPassword(QStringLiteral("pw"));
    dialog.setSaveCredentials(true);
    dialog.openEnteredURL();
    QCOMPARE(layoutState.videoMetas().size(), 1);
    QVERIFY(!dialog.failedToSaveCredentials());
    QTRY_VERIFY(dialog.failedToSaveCredentials());
}

void TestCredentialsUnavailable::stalledServiceFailsWithinTheBound()
{
    QProcess stalled;
    stalled.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    stalled.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(MARQUETRIX_STALLED_SECRET_SERVICE)});
    QVERIFY(stalled.waitForReadyRead(10000));
    QCOMPARE(stalled.readLine().trimmed(), QByteArray("ready"));

    const qint64 bound = SecretStore::kDefaultBound.count();
    const Failure failure = storeFails();
    QCOMPARE(failure.status, SecretStore::kTimedOut);
    QVERIFY2(failure.ms >= bound - 100 && failure.ms < bound + 3000,
             qPrintable(QString::number(failure.ms)));
    // The window kept turning its event loop while the store waited.
    QCOMPARE_GT(failure.beats, failure.ms / 50 / 2);

    // The form the dialog uses does not wait at all, and answers none within the bound.
    QElapsedTimer clock;
    clock.start();
    std::optional<int> status;
    SecretStore::lookup(
        QStringLiteral("a.example"), this,
        [&](int s, const std::optional<SecretStore::Item> &) { status = s; },
        std::chrono::milliseconds(300));
    QVERIFY(!status);
    QTRY_VERIFY_WITH_TIMEOUT(status, 3000);
    QCOMPARE(*status, SecretStore::kTimedOut);
    QCOMPARE_GE(clock.elapsed(), 290);
    stalled.kill();
    stalled.waitForFinished();
}

QTEST_GUILESS_MAIN(TestCredentialsUnavailable)
#include "tst_credentialsunavailable.moc"

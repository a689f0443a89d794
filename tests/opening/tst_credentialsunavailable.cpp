// The credential store when the Secret Service is missing or never answers. Runs on a bus of
// its own on which no service can be started (see CMakeLists.txt); the stalled service is a
// fixture that owns the service's name and drops every call.

#include "logcapture.h"

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

// Counts event-loop turns while a blocking call waits: a frozen loop counts none.
struct Heartbeat
{
    Heartbeat()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { ++beats; });
        timer.start(50);
    }
    QTimer timer;
    int beats = 0;
};

} // namespace

class TestCredentialsUnavailable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void missingServiceFailsAtOnce();
    void dialogOpensAndShowsTheToast();
    void stalledServiceFailsWithinTheBound();
    void cleanupTestCase();

private:
    QProcess m_stalled;
};

void TestCredentialsUnavailable::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"),
             "run under dbus-run-session with the bus configuration without services");
}

void TestCredentialsUnavailable::missingServiceFailsAtOnce()
{
    LogCapture log("marquetrix.credentials");
    QElapsedTimer clock;
    clock.start();
    try {
        storeCredentials(kCredentials);
        QFAIL("storing succeeded without a secret service");
    } catch (const KeychainError &error) {
        QCOMPARE(error.status(), SecretStore::kServiceFailed);
    }
    QVERIFY(!getCredentials(QStringLiteral("a.example")));
    QCOMPARE_LT(clock.elapsed(), SecretStore::kDefaultBound.count());
    QVERIFY(log.contains(QStringLiteral("Failed to save credentials: -2")));
    QVERIFY(log.contains(QStringLiteral("Status not successful: -2")));
}

void TestCredentialsUnavailable::dialogOpensAndShowsTheToast()
{
    FakeMediaEngine engine;
    ViewState viewState;
    LayoutState layoutState;
    VideoOpenerController dialog;
    dialog.setViewState(&viewState);
    dialog.setLayoutState(&layoutState);
    dialog.setEngine(&engine);
    LogCapture log("marquetrix.videoOpener");
    dialog.setVideoUrl(QStringLiteral("https://a.example/v.mp4"));
    dialog.setUsername(QStringLiteral("alice"));
    dialog.setPassword(QStringLiteral("pw"));
    dialog.setSaveCredentials(true);
    dialog.openEnteredURL();
    // Opening goes on; the failure arrives later and raises the toast.
    QCOMPARE(layoutState.videoMetas().size(), 1);
    QTRY_VERIFY(dialog.failedToSaveCredentials());
    QVERIFY(log.contains(QStringLiteral("failed to save credentials")));
}

void TestCredentialsUnavailable::stalledServiceFailsWithinTheBound()
{
    m_stalled.setProgram(QStringLiteral("/usr/bin/python3"));
    m_stalled.setArguments({QStringLiteral(MARQUETRIX_STALLED_SECRET_SERVICE)});
    m_stalled.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_stalled.start();
    QVERIFY(m_stalled.waitForReadyRead(10000));
    QCOMPARE(m_stalled.readLine().trimmed(), QByteArray("ready"));

    LogCapture log("marquetrix.credentials");
    const qint64 bound = SecretStore::kDefaultBound.count();
    Heartbeat heartbeat;
    QElapsedTimer clock;
    clock.start();
    try {
        storeCredentials(kCredentials);
        QFAIL("storing succeeded on a service that never answers");
    } catch (const KeychainError &error) {
        QCOMPARE(error.status(), SecretStore::kTimedOut);
    }
    const qint64 storeTook = clock.elapsed();
    QVERIFY2(storeTook >= bound - 100 && storeTook < bound + 3000,
             qPrintable(QString::number(storeTook)));
    // The window kept turning its event loop while the store waited.
    QVERIFY2(heartbeat.beats > storeTook / 50 / 2, qPrintable(QString::number(heartbeat.beats)));

    // The form the dialog uses does not wait at all, and answers none within the bound.
    clock.restart();
    bool answered = false;
    std::optional<Credentials> found = kCredentials;
    getCredentialsLater(QStringLiteral("a.example"), this, [&](std::optional<Credentials> c) {
        found = std::move(c);
        answered = true;
    });
    QCOMPARE_LT(clock.elapsed(), 500);
    QTRY_VERIFY_WITH_TIMEOUT(answered, int(bound) + 3000);
    QVERIFY(!found);
    QVERIFY(log.contains(QStringLiteral("Failed to save credentials: -1")));
    QVERIFY(log.contains(QStringLiteral("Status not successful: -1")));
}

void TestCredentialsUnavailable::cleanupTestCase()
{
    if (m_stalled.state() != QProcess::NotRunning) {
        m_stalled.kill();
        m_stalled.waitForFinished();
    }
}

QTEST_GUILESS_MAIN(TestCredentialsUnavailable)
#include "tst_credentialsunavailable.moc"

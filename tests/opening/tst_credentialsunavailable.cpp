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

using namespace Qt::StringLiterals;
using namespace marquetrix;

class TestCredentialsUnavailable : public QObject
{
    Q_OBJECT

private slots:
    void storeFails_data();
    void storeFails();
};

void TestCredentialsUnavailable::storeFails_data()
{
    QTest::addColumn<bool>("stalled");
    QTest::newRow("missing service") << false;
    QTest::newRow("service never answers") << true;
}

void TestCredentialsUnavailable::storeFails()
{
    QFETCH(bool, stalled);
    QVERIFY2(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"),
             "run under dbus-run-session with the bus configuration without services");
    QProcess service;
    if (stalled) {
        service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        service.start(u"/usr/bin/python3"_s, {QStringLiteral(MARQUETRIX_STALLED_SECRET_SERVICE)});
        QVERIFY(service.waitForReadyRead(10000));
        QCOMPARE(service.readLine().trimmed(), QByteArray("ready"));
    }
    // The turns of the event loop while the store waits: a frozen loop counts none.
    int beats = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++beats; });
    heartbeat.start(50);
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    try {
        storeCredentials({.server = u"a.example"_s, .username = u"alice"_s, .password = u"pw"_s});
    } catch (const KeychainError &error) {
        status = error.status();
    }
    const qint64 ms = clock.elapsed();
    const qint64 bound = SecretStore::kDefaultBound.count();
    QCOMPARE(status, stalled ? SecretStore::kTimedOut : SecretStore::kServiceFailed);
    QVERIFY2(stalled ? ms >= bound - 100 && ms < bound + 3000 : ms < bound,
             qPrintable(QString::number(ms)));
    QCOMPARE_GE(beats, ms / 50 / 2);

    // The form the dialog uses does not wait at all, and answers none within the bound.
    std::optional<int> answer;
    clock.restart();
    SecretStore::lookup(
        u"a.example"_s, this, [&](int s, const std::optional<SecretStore::Item> &) { answer = s; },
        std::chrono::milliseconds(300));
    QVERIFY(!answer);
    QTRY_VERIFY_WITH_TIMEOUT(answer, 3000);
    QCOMPARE(*answer, stalled ? SecretStore::kTimedOut : SecretStore::kServiceFailed);
    QCOMPARE_LT(clock.elapsed(), 3000);

    service.kill();
    service.waitForFinished();
    if (stalled)
        return;
    // The dialog opens all the same; the failure arrives later and raises the toast.
    FakeMediaEngine engine;
    ViewState viewState;
    LayoutState layoutState;
    VideoOpenerController dialog;
    dialog.setViewState(&viewState);
    dialog.setLayoutState(&layoutState);
    dialog.setEngine(&engine);
    dialog.setVideoUrl(u"https://a.example/v.mp4"_s);
    dialog.setUsername(u"alice"_s);
    dialog.setPassword(u"pw"_s);
    dialog.setSaveCredentials(true);
    dialog.openEnteredUrl();
    QCOMPARE(layoutState.videoMetas().size(), 1);
    QVERIFY(!dialog.failedToSaveCredentials());
    QTRY_VERIFY(dialog.failedToSaveCredentials());
}

QTEST_GUILESS_MAIN(TestCredentialsUnavailable)
#include "tst_credentialsunavailable.moc"

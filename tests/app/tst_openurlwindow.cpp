// The open-by-link dialog of the real window, driven through the X server against servers on
// 127.0.0.1: each showing starts fresh, credentials stay with their host, closing drops the
// work in flight, the dialog hides what lies behind it, and a page's title is only text.

#include "appwindow.h"
#include "mediagenerator.h"
#include "testhttpserver.h"

#include "credentialstore.h"
#include "layoutstate.h"
#include "videometadata.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace marquetrix;
using namespace marquetrix::test;

namespace {

QString textOf(const AppWindow &app, const char *name)
{
    const QQuickItem *item = app.item(QLatin1String(name));
    return item ? item->property("text").toString() : u"<no %1>"_s.arg(name);
}

bool dialogShown(const AppWindow &app)
{
    return app.window()->findChild<QObject *>(u"openUrlSlot"_s)->property("opened").toBool();
}

// Ctrl+Shift+O, then the pointer into the link field.
bool showDialog(AppWindow &app)
{
    app.key(u"ctrl+shift+o"_s);
    if (!QTest::qWaitFor([&] { return dialogShown(app); }, 5000))
        return false;
    app.click(app.centreOf(app.item(u"videoUrlField"_s)));
    return true;
}

} // namespace

class TestOpenUrlWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void credentialsAndClosingWhileLoading();

private:
    MediaGenerator m_media;
    QString m_clip;
};

void TestOpenUrlWindow::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb"_s)
        QSKIP("needs the X server of the test session (scripts/test-session)");
    m_clip = m_media.clip({.size = {640, 360}, .seconds = 30, .pattern = ClipPattern::Quadrants});
    QVERIFY2(!m_clip.isEmpty(), qPrintable(m_media.failure()));
}

// Credentials stay with their host, each showing starts fresh, closing the dialog while a
// page resolves drops the resolve, a page's title is only text, and the dialog hides the video
// behind it.
void TestOpenUrlWindow::credentialsAndClosingWhileLoading()
{
    // Stored for a host where nothing listens; the link then moves to a server on another.
    storeCredentials(
        {.server = u"127.0.0.3"_s, .username = u"alice"_s, .password = u"first-host-secret"_s});
    TestHttpServer other;
    other.answer({.status = 404});
    QVERIFY(other.start(QHostAddress(u"127.0.0.2"_s)));
    TestHttpServer media(m_media.directory());
    QVERIFY(media.start());
    // A resolver and its pages on one server: POSTs resolve, GETs are pages. The slow page's
    // answer comes after the loading text has turned twice.
    TestHttpServer resolver;
    QVERIFY(resolver.start());
    const QByteArray title =
        "x<b>bold</b><img src=\"" + resolver.url(u"/probe.png"_s).toEncoded() + "\">";
    resolver.setScript([title, clip = media.url(QFileInfo(m_clip).fileName()).toEncoded()](
                           const TestHttpServer::Request &request) {
        if (request.method == "POST")
            return TestHttpServer::Answer{.body = R"({"urls":[")" + clip + R"("]})",
                                          .delayMs = request.body.contains("slow") ? 3500 : 0};
        return TestHttpServer::Answer{.status = request.target.startsWith("/page") ? 200 : 404,
                                      .body = "<html><title>" + title + "</title></html>",
                                      .contentType = "text/html"};
    });
    qputenv("MARQUETRIX_RESOLVER_URL", resolver.url(u"/resolve"_s).toEncoded());

    AppWindow app;
    QVERIFY2(app.start(), qPrintable(app.failure()));
    QStringList titles;
    QObject::connect(app.layoutState(), &LayoutState::videoMetasChanged, app.window(), [&] {
        for (const auto &meta : app.layoutState()->videoMetas()) {
            titles.append(meta->title());
            QObject::connect(meta.get(), &VideoMetadata::titleChanged, app.window(),
                             [&titles, meta = meta.get()] { titles.append(meta->title()); });
        }
    });
    QVERIFY(showDialog(app));
    app.type(u"http://127.0.0.3:8801/clip.mp4"_s);
    QTRY_COMPARE(textOf(app, "usernameField"), u"alice"_s);
    QCOMPARE(textOf(app, "passwordField"), u"first-host-secret"_s);
    app.key(u"ctrl+a"_s);
    app.type(other.url(u"/clip.mp4"_s).toString());
    QTRY_COMPARE(textOf(app, "usernameField"), QString());
    app.key(u"Return"_s);
    QTRY_COMPARE(app.tileCount(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!other.requests().isEmpty(), 10000);
    for (const auto &request : other.requests())
        QVERIFY2(!request.headers.contains("authorization"), request.headers["authorization"]);

    // Typed credentials stay while the host stays, and go with a closed dialog.
    QVERIFY(showDialog(app));
    QCOMPARE(textOf(app, "videoUrlField"), QString());
    QCOMPARE(textOf(app, "passwordField"), QString());
    app.type(u"http://127.0.0.4/a.mp4"_s);
    app.click(app.centreOf(app.item(u"passwordField"_s)));
    app.type(u"typed"_s);
    app.click(app.centreOf(app.item(u"videoUrlField"_s)));
    app.key(u"End"_s);
    app.type(u"?b=1"_s);
    QCOMPARE(textOf(app, "passwordField"), u"typed"_s);
    app.key(u"Escape"_s);
    QTRY_VERIFY(!dialogShown(app));
    QVERIFY(showDialog(app));
    QCOMPARE(textOf(app, "videoUrlField"), QString());
    QCOMPARE(textOf(app, "passwordField"), QString());

    // The tile of the missing clip has gone meanwhile. A link without a path is refused where
    // it was typed.
    QTRY_COMPARE_WITH_TIMEOUT(app.tileCount(), 0, 10000);
    app.type(u"https://example.com"_s);
    app.key(u"Return"_s);
    QTRY_COMPARE(textOf(app, "errorLine"),
                 u"URL is not valid. Please verify that it is correct and try again."_s);
    app.key(u"ctrl+a"_s);
    app.type(resolver.url(u"/page-slow"_s).toString());
    app.key(u"Return"_s);
    QTRY_COMPARE(textOf(app, "openButton"), u"Loading..."_s);
    QVERIFY(!app.item(u"videoUrlField"_s)->isEnabled());
    QVERIFY(!app.item(u"cancelButton"_s)->isEnabled());
    QVERIFY(!app.item(u"errorLine"_s));
    QString shown;
    QTRY_VERIFY_WITH_TIMEOUT(!(shown = textOf(app, "loadingLabel")).isEmpty(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(textOf(app, "loadingLabel") != shown, 3000);
    app.key(u"Escape"_s);
    QTRY_VERIFY(!dialogShown(app));
    // Long after the resolver answered (half a second after the second text), no tile came of it.
    QTest::qWait(2000);
    QCOMPARE(app.tileCount(), 0);
    QVERIFY(showDialog(app));
    QCOMPARE(textOf(app, "openButton"), u"Open URL"_s);
    QVERIFY(app.item(u"videoUrlField"_s)->isEnabled());
    QCOMPARE(textOf(app, "videoUrlField"), QString());
    qunsetenv("MARQUETRIX_RESOLVER_URL");

    QUrl link = resolver.url(u"/page"_s);
    link.setUserInfo(u"user:page-secret"_s);
    app.type(link.toString());
    app.key(u"Return"_s);
    QTRY_COMPARE_WITH_TIMEOUT(titles.value(titles.size() - 1), QString::fromUtf8(title), 15000);
    for (const QString &seen : std::as_const(titles))
        QVERIFY2(!seen.contains(u"page-secret"_s), qPrintable(seen));
    // The pointer on the tile's title, until its tooltip (0.8 s) has long been shown.
    app.move(app.centreOf(app.window()->contentItem()));
    QQuickItem *label = nullptr;
    QTRY_VERIFY((label = app.itemsWithText(QString::fromUtf8(title)).value(0)));
    app.move(app.centreOf(label));
    QTest::qWait(2000);
    for (const auto &request : resolver.requests())
        QVERIFY2(!request.target.contains("probe.png"), request.target);

    app.move(QPoint(1, 1));
    const auto strong = [](QRgb p) {
        return qMax(qRed(p), qMax(qGreen(p), qBlue(p))) - qMin(qRed(p), qMin(qGreen(p), qBlue(p))) >
               60;
    };
    QTRY_VERIFY_WITH_TIMEOUT(AppWindow::share(app.grab(),
                                              app.window()->contentItem()->boundingRect().toRect(),
                                              strong) > 0.3,
                             20000);
    QVERIFY(showDialog(app));
    QTest::qWait(500);
    // From the link field down to the buttons, across the form: nothing of the video shows
    // through, only the focus frame and the buttons have colour.
    const QQuickItem *field = app.item(u"videoUrlField"_s);
    const QRect form(field->mapToScene(QPointF(0, 0)).toPoint(),
                     app.item(u"cancelButton"_s)
                         ->mapToScene(QPointF(0, app.item(u"cancelButton"_s)->height()))
                         .toPoint());
    const QRect area(form.left(), form.top(), int(field->width()), form.height());
    const double coloured = AppWindow::share(app.grab(), area, strong);
    QVERIFY2(coloured < 0.05, qPrintable(QString::number(coloured)));
}
QTEST_MAIN(TestOpenUrlWindow)
#include "tst_openurlwindow.moc"

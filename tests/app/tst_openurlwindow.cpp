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

using namespace marquetrix;
using namespace marquetrix::test;

namespace {

QString textOf(const AppWindow &app, const char *name)
{
    const QQuickItem *item = app.item(QLatin1String(name));
    return item ? item->property("text").toString() : QStringLiteral("<no %1>").arg(name);
}

bool dialogShown(const AppWindow &app)
{
    return app.window()
        ->findChild<QObject *>(QStringLiteral("openUrlSlot"))
        ->property("opened")
        .toBool();
}

// Ctrl+Shift+O, then the pointer into the link field.
bool showDialog(AppWindow &app)
{
    app.key(QStringLiteral("ctrl+shift+o"));
    if (!QTest::qWaitFor([&] { return dialogShown(app); }, 5000))
        return false;
    app.click(app.centreOf(app.item(QStringLiteral("videoUrlField"))));
    return true;
}

// A resolver and the pages it resolves on one server: POSTs are resolver requests, GETs
// are pages; the resolver's answer waits `delayMs`.
void serveResolverAndPage(TestHttpServer &server, const QUrl &media, const QByteArray &page,
                          int delayMs = 0)
{
    server.setScript([=](const TestHttpServer::Request &request) {
        if (request.method == "POST")
            return TestHttpServer::Answer{.body = R"({"urls":[")" + media.toEncoded() + R"("]})",
                                          .delayMs = delayMs};
        return TestHttpServer::Answer{.status = request.target.startsWith("/page") ? 200 : 404,
                                      .body = page,
                                      .contentType = "text/html"};
    });
}

} // namespace

class TestOpenUrlWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void credentialsAndClosingWhileLoading();
    void dialogHidesTheVideoBehindIt();
    void pageTitleIsOnlyText();

private:
    MediaGenerator m_media;
    QString m_clip;
};

void TestOpenUrlWindow::initTestCase()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("needs the X server of the test session (scripts/test-session)");
    m_clip = m_media.clip({.size = {640, 360}, .seconds = 30, .pattern = ClipPattern::Quadrants});
    QVERIFY2(!m_clip.isEmpty(), qPrintable(m_media.failure()));
}

// Credentials stay with their host, each showing starts fresh, and closing the dialog while a
// page resolves drops the resolve.
void TestOpenUrlWindow::credentialsAndClosingWhileLoading()
{
    // Stored for a host where nothing listens; the link then moves to a server on another.
    storeCredentials({.server = QStringLiteral("127.0.0.3"),
                      .username = QStringLiteral("alice"),
                      .password = QStringLiteral("first-host-secret")});
    TestHttpServer other;
    other.answer({.status = 404});
    QVERIFY(other.start(QHostAddress(QStringLiteral("127.0.0.2"))));
    TestHttpServer media(m_media.directory());
    QVERIFY(media.start());
    TestHttpServer resolver;
    QVERIFY(resolver.start());
    // Answers after the loading text has turned twice.
    serveResolverAndPage(resolver, media.url(QFileInfo(m_clip).fileName()), "<title>t</title>",
                         3500);
    qputenv("MARQUETRIX_RESOLVER_URL", resolver.url(QStringLiteral("/resolve")).toEncoded());

    AppWindow app;
    QVERIFY2(app.start(), qPrintable(app.failure()));
    QVERIFY(showDialog(app));
    app.type(QStringLiteral("http://127.0.0.3:8801/clip.mp4"));
    QTRY_COMPARE(textOf(app, "usernameField"), QStringLiteral("alice"));
    QCOMPARE(textOf(app, "passwordField"), QStringLiteral("first-host-secret"));
    app.key(QStringLiteral("ctrl+a"));
    app.type(other.url(QStringLiteral("/clip.mp4")).toString());
    QTRY_COMPARE(textOf(app, "usernameField"), QString());
    app.key(QStringLiteral("Return"));
    QTRY_COMPARE(app.tileCount(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!other.requests().isEmpty(), 10000);
    for (const auto &request : other.requests())
        QVERIFY2(!request.headers.contains("authorization"), request.headers["authorization"]);

    // Typed credentials stay while the host stays, and go with a closed dialog.
    QVERIFY(showDialog(app));
    QCOMPARE(textOf(app, "videoUrlField"), QString());
    QCOMPARE(textOf(app, "passwordField"), QString());
    app.type(QStringLiteral("http://127.0.0.4/a.mp4"));
    app.click(app.centreOf(app.item(QStringLiteral("passwordField"))));
    app.type(QStringLiteral("typed"));
    app.click(app.centreOf(app.item(QStringLiteral("videoUrlField"))));
    app.key(QStringLiteral("End"));
    app.type(QStringLiteral("?b=1"));
    QCOMPARE(textOf(app, "passwordField"), QStringLiteral("typed"));
    app.key(QStringLiteral("Escape"));
    QTRY_VERIFY(!dialogShown(app));
    QVERIFY(showDialog(app));
    QCOMPARE(textOf(app, "videoUrlField"), QString());
    QCOMPARE(textOf(app, "passwordField"), QString());

    // The tile of the missing clip has gone meanwhile. A link without a path is refused where
    // it was typed.
    QTRY_COMPARE_WITH_TIMEOUT(app.tileCount(), 0, 10000);
    app.type(QStringLiteral("https://example.com"));
    app.key(QStringLiteral("Return"));
    QTRY_COMPARE(
        textOf(app, "errorLine"),
        QStringLiteral("URL is not valid. Please verify that it is correct and try again."));
    app.key(QStringLiteral("ctrl+a"));
    app.type(resolver.url(QStringLiteral("/page")).toString());
    app.key(QStringLiteral("Return"));
    QTRY_COMPARE(textOf(app, "openButton"), QStringLiteral("Loading..."));
    QVERIFY(!app.item(QStringLiteral("videoUrlField"))->isEnabled());
    QVERIFY(!app.item(QStringLiteral("cancelButton"))->isEnabled());
    QVERIFY(!app.item(QStringLiteral("errorLine")));
    QString shown;
    QTRY_VERIFY_WITH_TIMEOUT(!(shown = textOf(app, "loadingLabel")).isEmpty(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(textOf(app, "loadingLabel") != shown, 3000);
    app.key(QStringLiteral("Escape"));
    QTRY_VERIFY(!dialogShown(app));
    // Long after the resolver answered (half a second after the second text), no tile came of it.
    QTest::qWait(2000);
    QCOMPARE(app.tileCount(), 0);
    QVERIFY(showDialog(app));
    QCOMPARE(textOf(app, "openButton"), QStringLiteral("Open URL"));
    QVERIFY(app.item(QStringLiteral("videoUrlField"))->isEnabled());
    QCOMPARE(textOf(app, "videoUrlField"), QString());
    qunsetenv("MARQUETRIX_RESOLVER_URL");
}

void TestOpenUrlWindow::dialogHidesTheVideoBehindIt()
{
    AppWindow app;
    QVERIFY2(app.start({m_clip}), qPrintable(app.failure()));
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
    const QQuickItem *field = app.item(QStringLiteral("videoUrlField"));
    const QRect form(
        field->mapToScene(QPointF(0, 0)).toPoint(),
        app.item(QStringLiteral("cancelButton"))
            ->mapToScene(QPointF(0, app.item(QStringLiteral("cancelButton"))->height()))
            .toPoint());
    const QRect area(form.left(), form.top(), int(field->width()), form.height());
    const double coloured = AppWindow::share(app.grab(), area, strong);
    QVERIFY2(coloured < 0.05, qPrintable(QString::number(coloured)));
}

void TestOpenUrlWindow::pageTitleIsOnlyText()
{
    TestHttpServer media(m_media.directory());
    QVERIFY(media.start());
    TestHttpServer pages;
    QVERIFY(pages.start());
    const QByteArray title =
        "x<b>bold</b><img src=\"" + pages.url(QStringLiteral("/probe.png")).toEncoded() + "\">";
    serveResolverAndPage(pages, media.url(QFileInfo(m_clip).fileName()),
                         "<html><head><title>" + title + "</title></head></html>");
    qputenv("MARQUETRIX_RESOLVER_URL", pages.url(QStringLiteral("/resolve")).toEncoded());

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
    QUrl link = pages.url(QStringLiteral("/page"));
    link.setUserInfo(QStringLiteral("user:page-secret"));
    app.type(link.toString());
    app.key(QStringLiteral("Return"));
    QTRY_COMPARE_WITH_TIMEOUT(titles.value(titles.size() - 1), QString::fromUtf8(title), 15000);
    for (const QString &seen : std::as_const(titles))
        QVERIFY2(!seen.contains(QStringLiteral("page-secret")), qPrintable(seen));

    // The pointer on the tile's title, until its tooltip (0.8 s) has long been shown.
    const QPoint centre = app.centreOf(app.window()->contentItem());
    app.move(centre);
    QQuickItem *label = nullptr;
    QTRY_VERIFY((label = app.itemsWithText(QString::fromUtf8(title)).value(0)));
    app.move(app.centreOf(label));
    QTest::qWait(2000);
    for (const auto &request : pages.requests())
        QVERIFY2(!request.target.contains("probe.png"), request.target);
    qunsetenv("MARQUETRIX_RESOLVER_URL");
}

QTEST_MAIN(TestOpenUrlWindow)
#include "tst_openurlwindow.moc"

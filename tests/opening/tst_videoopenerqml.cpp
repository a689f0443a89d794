// The dialog's QML on its controller: fields, buttons and notices follow the controller's
// state, and what the user types reaches it.

#include "scriptedhttpserver.h"

#include "fakeengine.h"
#include "layoutstate.h"
#include "videoopenercontroller.h"
#include "viewstate.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_OpeningPlugin)

using namespace marquetrix;

class TestVideoOpenerQml : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void refusedWithoutItsInputs();
    void buttonsFollowTheLink();
    void typingReachesTheController();
    void loadingDisablesTheForm();
    void credentialToastDismissesItself();

private:
    void type(const char *text)
    {
        for (const char *c = text; *c; ++c)
            QTest::keyClick(m_window.get(), *c);
    }

    QQuickItem *item(const char *name) const
    {
        return m_root->findChild<QQuickItem *>(QLatin1String(name));
    }

    FakeMediaEngine m_engine;
    ViewState m_viewState;
    LayoutState m_layoutState;
    QQmlEngine m_qml;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QQuickItem> m_root;
    VideoOpenerController *m_controller = nullptr;
};

void TestVideoOpenerQml::init()
{
    QQmlComponent component(&m_qml);
    component.setData("import Marquetrix.Opening\nVideoOpener {}\n", QUrl());
    QVERIFY2(component.isReady(), qPrintable(component.errorString()));
    m_root.reset(qobject_cast<QQuickItem *>(component.createWithInitialProperties(
        {{QStringLiteral("viewState"), QVariant::fromValue(&m_viewState)},
         {QStringLiteral("layoutState"), QVariant::fromValue(&m_layoutState)},
         {QStringLiteral("engine"), QVariant::fromValue<MediaEngine *>(&m_engine)}})));
    QVERIFY2(m_root, qPrintable(component.errorString()));
    m_window = std::make_unique<QQuickWindow>();
    m_root->setParentItem(m_window->contentItem());
    m_window->resize(600, 500);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_controller = m_root->property("controller").value<VideoOpenerController *>();
    QVERIFY(m_controller);
    QCOMPARE(m_controller->engine(), &m_engine);
    QCOMPARE(m_controller->viewState(), &m_viewState);
    m_viewState.setOpenURLVisible(true);
}

void TestVideoOpenerQml::cleanup()
{
    m_root.reset();
    m_window.reset();
}

void TestVideoOpenerQml::refusedWithoutItsInputs()
{
    QQmlComponent component(&m_qml);
    component.setData("import Marquetrix.Opening\nVideoOpener {}\n", QUrl());
    std::unique_ptr<QObject> refused(component.create());
    QVERIFY(!refused);
    QVERIFY(component.errorString().contains(QLatin1String("Required property")));
}

void TestVideoOpenerQml::buttonsFollowTheLink()
{
    QQuickItem *open = item("openButton");
    QQuickItem *error = item("errorLine");
    QVERIFY(open && error);
    QCOMPARE(open->property("text").toString(), QStringLiteral("Open URL"));
    QVERIFY(!open->isEnabled());
    QVERIFY(!error->isVisible());

    m_controller->setVideoUrl(QStringLiteral("https://example.com"));
    QCOMPARE(item("videoUrlField")->property("text").toString(),
             QStringLiteral("https://example.com"));
    QVERIFY(open->isEnabled());
    QMetaObject::invokeMethod(open, "clicked");
    QVERIFY(error->isVisible());
    QCOMPARE(error->property("text").toString(),
             QStringLiteral("URL is not valid. Please verify that it is correct and try again."));
}

void TestVideoOpenerQml::typingReachesTheController()
{
    QQuickItem *field = item("videoUrlField");
    field->forceActiveFocus();
    type("example.com/clip.mp4");
    QCOMPARE(m_controller->videoUrl(), QStringLiteral("example.com/clip.mp4"));

    QQuickItem *password = item("passwordField");
    password->forceActiveFocus();
    type("pw");
    QCOMPARE(m_controller->password(), QStringLiteral("pw"));

    // Return in the link field is the default button.
    field->forceActiveFocus();
    QTest::keyClick(m_window.get(), Qt::Key_Return);
    QCOMPARE(m_layoutState.videoMetas().size(), 1);
    QVERIFY(!m_viewState.openURLVisible());
    QCOMPARE(field->property("text").toString(), QString());
    QCOMPARE(password->property("text").toString(), QString());
}

void TestVideoOpenerQml::loadingDisablesTheForm()
{
    ScriptedHttpServer server;
    QVERIFY(server.start());
    server.respond({.kind = ScriptedHttpServer::Response::Kind::Stall, .body = {}});
    m_controller->setUrl(server.url());
    m_controller->setVideoUrl(QStringLiteral("https://example.com/page"));
    m_controller->openEnteredURL();
    QVERIFY(m_controller->loadingURL());
    QCOMPARE(item("openButton")->property("text").toString(), QStringLiteral("Loading..."));
    QVERIFY(!item("openButton")->isEnabled());
    QVERIFY(!item("cancelButton")->isEnabled());
    QVERIFY(!item("videoUrlField")->isEnabled());
    QVERIFY(item("loadingLabel")->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!item("loadingLabel")->property("text").toString().isEmpty(), 2500);
}

void TestVideoOpenerQml::credentialToastDismissesItself()
{
    m_controller->setFailedToSaveCredentials(true);
    QQuickItem *toast = nullptr;
    for (QQuickItem *child : m_root->findChildren<QQuickItem *>()) {
        if (child->property("title").toString() == u"Failed to store credentials")
            toast = child;
    }
    QVERIFY(toast);
    QVERIFY(toast->isVisible());
    // Shown for two seconds, then the flag is back to false.
    QTest::qWait(1500);
    QVERIFY(m_controller->failedToSaveCredentials());
    QTRY_VERIFY_WITH_TIMEOUT(!m_controller->failedToSaveCredentials(), 1500);
    QVERIFY(!toast->isVisible());
}

QTEST_MAIN(TestVideoOpenerQml)
#include "tst_videoopenerqml.moc"

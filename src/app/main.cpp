// Marquetrix: wires the engine, the QML modules and the command line together.

#include "applogging.h"
#include "commandline.h"
#include "contentcontroller.h"
#include "mprisservice.h"
#include "scenegraphchoice.h"
#include "sessionkeeper.h"
#include "singleinstance.h"
#include "terminationsignals.h"
#include "translations.h"
#include "vlcmediaengine.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

Q_IMPORT_QML_PLUGIN(MarquetrixPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_PlaybackPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_OpeningPlugin)

using namespace marquetrix;

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("Marquetrix"));
    QCoreApplication::setApplicationName(QStringLiteral("Marquetrix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MARQUETRIX_VERSION));

    // Read before the window system is reached, so that --help and --version also work
    // without a display.
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    const CommandLine commandLine = CommandLine::parse(arguments);
    switch (commandLine.outcome()) {
    case CommandLine::Outcome::Print:
        std::fputs(qPrintable(commandLine.output()), stdout);
        return 0;
    case CommandLine::Outcome::Fail:
        std::fputs(qPrintable(commandLine.output()), stderr);
        return 2;
    case CommandLine::Outcome::Run:
        break;
    }

    QGuiApplication app(argc, argv);
    const Translations translations;
    QGuiApplication::setDesktopFileName(QStringLiteral("org.marquetrix.Marquetrix"));
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("org.marquetrix.Marquetrix"),
                         QIcon(QStringLiteral(":/qt-project.org/imports/Marquetrix/Logo.svg"))));

    SingleInstance instance;
    if (!commandLine.newInstance() && !instance.claim() &&
        SingleInstance::handOver(commandLine.items(), std::chrono::seconds(2)))
        return 0;

    SceneGraphChoice::apply();
    const TerminationSignals terminationSignals;
    VlcMediaEngine engine;
    ContentController controller(&engine);
    QQmlEngine qml;
    QObject::connect(&qml, &QQmlEngine::quit, &app, &QCoreApplication::quit);
    QQmlComponent component(
        &qml, QUrl(QStringLiteral("qrc:/qt-project.org/imports/Marquetrix/Main.qml")));
    // A component that failed to load would crash on the initial properties.
    std::unique_ptr<QObject> root(component.isReady() ? component.createWithInitialProperties(
                                                            {{QStringLiteral("controller"),
                                                              QVariant::fromValue(&controller)}})
                                                      : nullptr);
    auto *window = qobject_cast<QQuickWindow *>(root.get());
    if (!window) {
        qCWarning(lcMain, "Cannot build the main window: %s",
                  qUtf8Printable(component.errorString()));
        return 1;
    }
    if (commandLine.fullscreen())
        window->showFullScreen();
    else
        window->show();
    controller.openArguments(commandLine.items());
    if (auto *session = window->property("session").value<SessionKeeper *>())
        session->begin(commandLine.items().isEmpty());
    instance.serve(&controller, window);
    MprisService mpris(&controller, window);
    mpris.claim();

    const int status = QCoreApplication::exec();
    controller.stopAll();
    // A stream that takes its time to stop must not hold the quit up: what its player would
    // still release goes with the process.
    root.reset();
    if (!VlcMediaEngine::waitForReleasedPlayers(std::chrono::milliseconds(1500))) {
        qCWarning(lcMain, "Players still stopping at exit; leaving them to the system");
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

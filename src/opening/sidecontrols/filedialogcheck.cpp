#include "filedialogcheck.h"

#include "logging.h"

#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>

namespace marquetrix {

namespace {

// Where Qt Quick Dialogs keeps the QML of its own file dialog.
constexpr auto kImplementation =
    "qt-project.org/imports/QtQuick/Dialogs/quickimpl/qml/FileDialog.qml";

} // namespace

FileDialogCheck::FileDialogCheck(QObject *parent) : QObject(parent) {}

QString FileDialogCheck::problem(QObject *dialog)
{
    if (m_problem)
        return *m_problem;
    QQmlEngine *engine = qmlEngine(dialog);
    const QString path = QLatin1Char(':') + QLatin1String(kImplementation);
    // A toolkit that keeps it elsewhere is not second-guessed.
    if (!engine || !QFile::exists(path)) {
        m_problem = QString();
        return *m_problem;
    }
    const QQmlComponent component(engine, QUrl(QStringLiteral("qrc") + path));
    QStringList errors;
    for (const QQmlError &error : component.errors())
        errors.append(error.description());
    m_problem = errors.join(QLatin1Char(' '));
    return *m_problem;
}

bool FileDialogCheck::open(QObject *dialog)
{
    if (!dialog)
        return false;
    const QString reason = problem(dialog);
    if (!reason.isEmpty()) {
        qCWarning(lcContentView, "Cannot show the file dialog: %s", qUtf8Printable(reason));
        emit refused(reason);
        return false;
    }
    return QMetaObject::invokeMethod(dialog, "open");
}

} // namespace marquetrix

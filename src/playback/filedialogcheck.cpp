#include "filedialogcheck.h"

#include <QFile>
#include <QLoggingCategory>
#include <QMetaProperty>
#include <QQmlComponent>
#include <QQmlEngine>

Q_LOGGING_CATEGORY(lcFileDialog, "marquetrix.fileDialog", QtInfoMsg)

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
        qCWarning(lcFileDialog, "Cannot show the file dialog: %s", qUtf8Printable(reason));
        emit refused(reason);
        return false;
    }
    if (!m_dialogs.contains(dialog)) {
        m_dialogs.append(dialog);
        const QMetaProperty visible =
            dialog->metaObject()->property(dialog->metaObject()->indexOfProperty("visible"));
        connect(dialog, visible.notifySignal(), this,
                metaObject()->method(metaObject()->indexOfSlot("recount()")));
    }
    const bool opened = QMetaObject::invokeMethod(dialog, "open");
    recount();
    return opened;
}

void FileDialogCheck::recount()
{
    m_dialogs.removeAll(nullptr);
    const bool shown = std::any_of(m_dialogs.cbegin(), m_dialogs.cend(), [](const auto &dialog) {
        return dialog->property("visible").toBool();
    });
    if (shown != m_dialogShown) {
        m_dialogShown = shown;
        emit dialogShownChanged();
    }
}

QStringList FileDialogCheck::videoFileFilters()
{
    return {
        tr("Videos (%1)")
            .arg(QStringLiteral("*.mp4 *.m4v *.mov *.qt *.avi *.mpg *.mpeg *.m2v *.mkv *.webm "
                                "*.ts *.mts *.m2ts *.ogv *.flv *.wmv *.3gp")),
        tr("AVI videos (%1)").arg(QStringLiteral("*.avi")),
        tr("QuickTime movies (%1)").arg(QStringLiteral("*.mov *.qt")),
        tr("MPEG-4 movies (%1)").arg(QStringLiteral("*.mp4 *.m4v")),
        tr("MPEG-2 videos (%1)").arg(QStringLiteral("*.mpg *.mpeg *.m2v")),
        tr("All files (%1)").arg(u'*'),
    };
}

} // namespace marquetrix

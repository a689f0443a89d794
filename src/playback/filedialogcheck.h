#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>
#include <optional>

namespace marquetrix {

// Opens file dialogs only when the toolkit can build them. Without a desktop file dialog
// the toolkit builds its own from QML, and when a module that one needs is not installed it
// fails to load and the process crashes on the half-made dialog. Asked first, this refuses
// with the loader's reason instead, logs it, and the window tells the user.
class FileDialogCheck : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit FileDialogCheck(QObject *parent = nullptr);

    // Opens `dialog` (a QtQuick.Dialogs FileDialog) when its implementation loads.
    Q_INVOKABLE bool open(QObject *dialog);
    Q_SIGNAL void refused(const QString &reason);

    // What every open panel of the application offers to pick.
    Q_PROPERTY(QStringList videoFileFilters READ videoFileFilters CONSTANT)
    static QStringList videoFileFilters();

    // A dialog opened here is up: the window leaves the keyboard to it meanwhile.
    Q_PROPERTY(bool dialogShown READ dialogShown NOTIFY dialogShownChanged)
    bool dialogShown() const { return m_dialogShown; }
    Q_SIGNAL void dialogShownChanged();

private:
    Q_SLOT void recount();

    // Empty when the toolkit's own file dialog loads; else why it does not.
    QString problem(QObject *dialog);

    std::optional<QString> m_problem;
    QList<QPointer<QObject>> m_dialogs;
    bool m_dialogShown = false;
};

} // namespace marquetrix

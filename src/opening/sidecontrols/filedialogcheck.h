#pragma once

#include <QObject>
#include <QString>
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

private:
    // Empty when the toolkit's own file dialog loads; else why it does not.
    QString problem(QObject *dialog);

    std::optional<QString> m_problem;
};

} // namespace marquetrix

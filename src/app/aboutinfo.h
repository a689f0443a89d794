#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// What the About window shows: our version and, for each library we ship, the heading and the
// full text of its licence.
class AboutInfo : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit AboutInfo(QObject *parent = nullptr);

    // Empty when the application has no version, and the version line is left out.
    Q_PROPERTY(QString version READ version CONSTANT)
    QString version() const;

    // Maps with "heading" and "text", in the order shown.
    Q_PROPERTY(QVariantList licenses READ licenses CONSTANT)
    QVariantList licenses() const;
};

} // namespace marquetrix

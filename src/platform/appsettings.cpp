#include "appsettings.h"

#include <QList>
#include <QSettings>

namespace marquetrix {

namespace {

const auto organisation = QStringLiteral("Marquetrix");
const auto application = QStringLiteral("Marquetrix");
const auto layoutAlgorithmKey = QStringLiteral("layoutAlgorithm");
const auto restoreSessionKey = QStringLiteral("restoreSession");
const auto soundModeKey = QStringLiteral("soundMode");
constexpr int soundModes = 3;

// Settings objects live on the user-interface thread only.
QList<AppSettings *> &instances()
{
    static QList<AppSettings *> all;
    return all;
}

} // namespace

AppSettings::AppSettings(QObject *parent) : QObject(parent)
{
    instances().append(this);
}

AppSettings::~AppSettings()
{
    instances().removeOne(this);
}

layout::LayoutAlgorithm AppSettings::algorithm() const
{
    const QSettings settings(organisation, application);
    bool isNumber = false;
    const int stored = settings.value(layoutAlgorithmKey).toInt(&isNumber);
    return layout::layoutAlgorithmFromStored(isNumber ? stored : -1);
}

void AppSettings::setLayoutAlgorithm(int value)
{
    QSettings settings(organisation, application);
    settings.setValue(layoutAlgorithmKey,
                      layout::storedValue(layout::layoutAlgorithmFromStored(value)));
    for (AppSettings *instance : instances())
        emit instance->layoutAlgorithmChanged();
}

bool AppSettings::restoreSession() const
{
    return QSettings(organisation, application).value(restoreSessionKey, true).toBool();
}

void AppSettings::setRestoreSession(bool value)
{
    QSettings(organisation, application).setValue(restoreSessionKey, value);
    for (AppSettings *instance : instances())
        emit instance->restoreSessionChanged();
}

int AppSettings::soundMode() const
{
    const int stored = QSettings(organisation, application).value(soundModeKey).toInt();
    return stored >= 0 && stored < soundModes ? stored : 0;
}

void AppSettings::setSoundMode(int value)
{
    QSettings(organisation, application)
        .setValue(soundModeKey, value >= 0 && value < soundModes ? value : 0);
    for (AppSettings *instance : instances())
        emit instance->soundModeChanged();
}

} // namespace marquetrix

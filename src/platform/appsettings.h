#pragma once

#include "layoutalgorithm.h"

#include <QObject>

namespace marquetrix {

// The persisted user settings, the layout objective, whether the last session's videos come
// back and whose sound is heard, in the standard user settings (organisation and application
// "Marquetrix", keys `layoutAlgorithm`, `restoreSession` and `soundMode`). Every object of this
// class in the process notifies when any of them writes a setting, so a settings panel and the
// layout view need not share an instance.
class AppSettings : public QObject
{
    Q_OBJECT

public:
    explicit AppSettings(QObject *parent = nullptr);
    ~AppSettings() override;

    // The stored integer: 0 ScreenUsage, 1 Balanced, 2 VideoSizes. Anything else stored
    // (or nothing) reads as Balanced.
    Q_PROPERTY(int layoutAlgorithm READ layoutAlgorithm WRITE setLayoutAlgorithm NOTIFY
                   layoutAlgorithmChanged)
    int layoutAlgorithm() const { return layout::storedValue(algorithm()); }
    void setLayoutAlgorithm(int value);
    Q_SIGNAL void layoutAlgorithmChanged();

    layout::LayoutAlgorithm algorithm() const;

    // On unless turned off.
    Q_PROPERTY(bool restoreSession READ restoreSession WRITE setRestoreSession NOTIFY
                   restoreSessionChanged)
    bool restoreSession() const;
    void setRestoreSession(bool value);
    Q_SIGNAL void restoreSessionChanged();

    // 0 every tile is heard, 1 only the tile under the pointer, 2 only the focused tile.
    // Anything else stored (or nothing) reads as 0.
    Q_PROPERTY(int soundMode READ soundMode WRITE setSoundMode NOTIFY soundModeChanged)
    int soundMode() const;
    void setSoundMode(int value);
    Q_SIGNAL void soundModeChanged();
};

} // namespace marquetrix

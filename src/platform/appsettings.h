#pragma once

#include "layoutalgorithm.h"

#include <QObject>

namespace marquetrix {

// The one persisted user setting, the layout objective, in the standard user settings
// (organisation and application "Marquetrix", key `layoutAlgorithm`). Every object of this
// class in the process notifies when any of them writes the setting, so a settings panel and
// the layout view need not share an instance.
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
};

} // namespace marquetrix

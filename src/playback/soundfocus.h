#pragma once

#include "playerstate.h"
#include "tilekeys.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// Whose sound the window lets through: every tile's, or only that of the tile under the
// pointer, or only that of the focused tile (the one clicked last). In the two follow modes
// the pointer falls back to the focused tile when it is over none, and the focus to the
// pointer's tile when none was clicked; with neither, the tile heard last stays heard.
class SoundFocus : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    enum Mode
    {
        AllTiles,
        PointerTile,
        FocusedTile,
    };
    Q_ENUM(Mode)

    explicit SoundFocus(QObject *parent = nullptr);

    Q_PROPERTY(marquetrix::TileKeys *keys READ keys WRITE setKeys NOTIFY keysChanged)
    TileKeys *keys() const { return m_keys; }
    void setKeys(TileKeys *value);
    Q_SIGNAL void keysChanged();

    // A Mode; anything else counts as AllTiles.
    Q_PROPERTY(int mode READ mode WRITE setMode NOTIFY modeChanged)
    int mode() const { return m_mode; }
    void setMode(int value);
    Q_SIGNAL void modeChanged();

    // The one tile heard; none while every tile is.
    Q_PROPERTY(marquetrix::PlayerState *heard READ heard NOTIFY heardChanged)
    PlayerState *heard() const { return m_mode == AllTiles ? nullptr : m_heard.data(); }
    Q_SIGNAL void heardChanged();

    bool silences(const PlayerState *tile) const { return m_mode != AllTiles && heard() != tile; }

private:
    void follow();

    QPointer<TileKeys> m_keys;
    QPointer<PlayerState> m_heard;
    Mode m_mode = AllTiles;
};

} // namespace marquetrix

#include "soundfocus.h"

namespace marquetrix {

SoundFocus::SoundFocus(QObject *parent) : QObject(parent) {}

void SoundFocus::setKeys(TileKeys *value)
{
    if (m_keys)
        m_keys->disconnect(this);
    m_keys = value;
    if (value) {
        connect(value, &TileKeys::targetChanged, this, &SoundFocus::follow);
        connect(value, &TileKeys::selectedChanged, this, &SoundFocus::follow);
    }
    emit keysChanged();
    follow();
}

void SoundFocus::setMode(int value)
{
    const Mode mode = value == PointerTile || value == FocusedTile ? Mode(value) : AllTiles;
    if (mode == m_mode)
        return;
    m_mode = mode;
    emit modeChanged();
    follow();
    emit heardChanged();
}

void SoundFocus::follow()
{
    const TileKeys *keys = m_keys;
    PlayerState *chosen = nullptr;
    if (keys && m_mode == PointerTile)
        chosen = keys->target();
    else if (keys && m_mode == FocusedTile)
        chosen = keys->selected() ? keys->selected() : keys->target();
    // With none to choose (the pointer left every tile), the tile heard last stays heard.
    if (!chosen && m_heard)
        return;
    if (chosen == m_heard)
        return;
    m_heard = chosen;
    emit heardChanged();
}

} // namespace marquetrix

#pragma once

#include "playerstate.h"
#include "tilesync.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// The keys a player answers for one tile: the tile under the pointer or, with none under
// it, the tile clicked last. Arrows seek by 5 s (with Shift by a minute) and change the
// volume by 5, m mutes, digits jump to tenths of the video, Home and End to its start and
// end, [ ] and = slow down, speed up and reset the speed, . shows a paused tile's next
// picture, s saves a snapshot, v shows or hides subtitles, f asks for full screen. y makes
// every tile follow this one (Shift+Y ends that); in such a group , and . nudge a paused tile
// a picture earlier or later (. on the leader steps the group), Shift+, and Shift+. by 100 ms.
// Like the controls, the keys only write requests into the tile's state; the player binding
// carries them out.
class TileKeys : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit TileKeys(QObject *parent = nullptr);

    // The tile clicked last; shown by its border.
    Q_PROPERTY(marquetrix::PlayerState *selected READ selected NOTIFY selectedChanged)
    PlayerState *selected() const { return m_selected; }
    Q_SIGNAL void selectedChanged();

    // The tile the keys act on.
    Q_PROPERTY(marquetrix::PlayerState *target READ target NOTIFY targetChanged)
    PlayerState *target() const;
    Q_SIGNAL void targetChanged();

    // The window's sync group; none where tiles cannot be synced.
    Q_PROPERTY(marquetrix::TileSync *sync READ sync WRITE setSync NOTIFY syncChanged)
    TileSync *sync() const { return m_sync; }
    void setSync(TileSync *value);
    Q_SIGNAL void syncChanged();

    Q_INVOKABLE void select(marquetrix::PlayerState *tile);
    Q_INVOKABLE void setPointerOver(marquetrix::PlayerState *tile, bool over);

    // Answers whether the key was one of the player's keys. Window-wide keys are not.
    Q_INVOKABLE bool press(int key, int modifiers);
    Q_SIGNAL void fullScreenRequested();

    static constexpr float shortJump = 5;
    static constexpr float longJump = 60;
    static constexpr float volumeStep = 5;
    static constexpr int nudgeMs = 100;

private:
    void track(QPointer<PlayerState> &slot, PlayerState *tile);
    static void seekTo(PlayerState &tile, float seconds);
    bool pressSync(int key, int modifiers, PlayerState &tile);

    QPointer<PlayerState> m_selected;
    QPointer<PlayerState> m_pointerOver;
    QPointer<TileSync> m_sync;
};

} // namespace marquetrix

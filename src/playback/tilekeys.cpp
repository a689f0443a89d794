#include "tilekeys.h"

#include "playbackrate.h"

#include <algorithm>

namespace marquetrix {

TileKeys::TileKeys(QObject *parent) : QObject(parent) {}

PlayerState *TileKeys::target() const
{
    return m_pointerOver ? m_pointerOver.data() : m_selected.data();
}

void TileKeys::track(QPointer<PlayerState> &slot, PlayerState *tile)
{
    if (slot == tile)
        return;
    if (slot)
        disconnect(slot, &QObject::destroyed, this, nullptr);
    slot = tile;
    // A closed tile takes its state with it: the border and the keys' target follow.
    if (tile)
        connect(tile, &QObject::destroyed, this, [this] {
            emit selectedChanged();
            emit targetChanged();
        });
}

void TileKeys::setSync(TileSync *value)
{
    m_sync = value;
    emit syncChanged();
}

void TileKeys::select(PlayerState *tile)
{
    if (m_selected == tile)
        return;
    track(m_selected, tile);
    emit selectedChanged();
    emit targetChanged();
}

void TileKeys::setPointerOver(PlayerState *tile, bool over)
{
    if (over)
        track(m_pointerOver, tile);
    else if (m_pointerOver == tile)
        track(m_pointerOver, nullptr);
    else
        return;
    emit targetChanged();
}

void TileKeys::seekTo(PlayerState &tile, float seconds)
{
    const VideoMetadata *meta = tile.videoMeta();
    const float length = meta ? meta->mediaLength() : 0.0f;
    // A length of 0 is not known yet (or a live stream): there is no end to clamp to.
    const float upper = length > 0 ? length : std::max(seconds, 0.0f);
    tile.setPosition(std::clamp(seconds, 0.0f, upper));
    if (VideoMetadata *record = tile.videoMeta())
        record->setPositionChanged(true);
}

bool TileKeys::pressSync(int key, int modifiers, PlayerState &tile)
{
    TileSync *sync = m_sync;
    VideoMetadata *meta = tile.videoMeta();
    if (!sync)
        return false;
    const bool shift = modifiers & Qt::ShiftModifier;
    // Shifted , and . as the keyboard's layout names them.
    const bool earlier = key == Qt::Key_Less || (shift && key == Qt::Key_Comma);
    const bool later = key == Qt::Key_Greater || (shift && key == Qt::Key_Period);
    if (key == Qt::Key_Y) {
        sync->syncTo(meta);
    } else if (earlier || later) {
        sync->nudge(meta, later ? nudgeMs : -nudgeMs);
    } else if (key == Qt::Key_Comma || (key == Qt::Key_Period && sync->contains(meta))) {
        sync->step(meta, key == Qt::Key_Period ? 1 : -1, false);
    } else {
        return false;
    }
    return true;
}

bool TileKeys::press(int key, int modifiers)
{
    if (key == Qt::Key_F && !(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        emit fullScreenRequested();
        return true;
    }
    const bool plain = !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    // The group ends from anywhere, also with the pointer on no tile.
    if (TileSync *sync = m_sync;
        sync && plain && key == Qt::Key_Y && (modifiers & Qt::ShiftModifier)) {
        sync->unsync();
        return true;
    }
    PlayerState *tile = target();
    VideoMetadata *meta = tile ? tile->videoMeta() : nullptr;
    if (!meta || !plain)
        return false;
    if (pressSync(key, modifiers, *tile))
        return true;
    const float jump = (modifiers & Qt::ShiftModifier) ? longJump : shortJump;
    const float length = meta->mediaLength();
    switch (key) {
    case Qt::Key_Left:
        seekTo(*tile, tile->position() - jump);
        return true;
    case Qt::Key_Right:
        seekTo(*tile, tile->position() + jump);
        return true;
    case Qt::Key_Up:
        meta->setVolume(std::min(100.0f, meta->volume() + volumeStep));
        return true;
    case Qt::Key_Down:
        meta->setVolume(std::max(0.0f, meta->volume() - volumeStep));
        return true;
    case Qt::Key_M:
        tile->setMuted(!tile->muted());
        return true;
    case Qt::Key_Home:
        seekTo(*tile, 0);
        return true;
    case Qt::Key_BracketLeft:
        meta->setRate(PlaybackRate::step(meta->rate(), -1));
        return true;
    case Qt::Key_BracketRight:
        meta->setRate(PlaybackRate::step(meta->rate(), 1));
        return true;
    case Qt::Key_Equal:
        meta->setRate(PlaybackRate::step(meta->rate(), 0));
        return true;
    case Qt::Key_S:
        if (!(modifiers & Qt::ShiftModifier))
            meta->setSnapshotRequested(true);
        return true;
    case Qt::Key_V:
        meta->setSubtitlesShown(!meta->subtitlesShown());
        return true;
    case Qt::Key_Period:
        if (!tile->playing())
            tile->setStepFrame(true);
        return true;
    case Qt::Key_End:
        if (length > 0)
            seekTo(*tile, length);
        return true;
    default:
        break;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        if (length > 0)
            seekTo(*tile, length * static_cast<float>(key - Qt::Key_0) / 10.0f);
        return true;
    }
    return false;
}

} // namespace marquetrix

#include "tilecontroller.h"

#include "followedstate.h"

#include <QMetaObject>

#include <cstdlib>

namespace marquetrix {

TileController::TileController(QObject *parent) : QObject(parent)
{
    m_tick.setInterval(tickMilliseconds);
    m_tick.setTimerType(Qt::PreciseTimer);
    // Nothing else re-runs the player binding once the first start has paused: the tick
    // keeps the engine and the tile in step.
    connect(&m_tick, &QTimer::timeout, this, [this] {
        if (PlayerState *state = m_playerState)
            state->setIndex(state->index() + 1);
    });
    m_tick.start();
}

void TileController::setPlayerState(PlayerState *value)
{
    followState(m_playerState, value, this);
    if (value) {
        connect(value, &PlayerState::videoMetaChanged, this, &TileController::observeRecord);
        connect(value, &PlayerState::controlsVisibleChanged, this,
                &TileController::controlsShownChanged);
    }
    observeRecord();
    emit playerStateChanged();
    emit controlsShownChanged();
    applySoundFocus();
}

void TileController::setViewState(ViewState *value)
{
    followState(m_viewState, value, this);
    if (value) {
        connect(value, &ViewState::hideControlsChanged, this, &TileController::borderWidthChanged);
        connect(value, &ViewState::hideControlsChanged, this,
                &TileController::controlsShownChanged);
    }
    emit viewStateChanged();
    emit borderWidthChanged();
    emit controlsShownChanged();
    checkError();
}

void TileController::setLayoutState(LayoutState *value)
{
    followState(m_layoutState, value, this);
    if (value)
        connect(value, &LayoutState::videoMetasChanged, this, &TileController::borderWidthChanged);
    emit layoutStateChanged();
    emit borderWidthChanged();
    checkError();
}

void TileController::setHovered(bool value)
{
    if (PlayerState *state = m_playerState)
        state->setControlsVisible(value);
    m_showBorder = value;
    if (TileKeys *keys = m_keys)
        keys->setPointerOver(m_playerState, value);
    emit hoveredChanged();
    emit borderWidthChanged();
}

void TileController::setKeys(TileKeys *value)
{
    if (m_keys)
        m_keys->disconnect(this);
    m_keys = value;
    if (value) {
        connect(value, &TileKeys::selectedChanged, this, &TileController::selectedChanged);
        connect(value, &TileKeys::selectedChanged, this, &TileController::borderWidthChanged);
    }
    emit keysChanged();
    emit selectedChanged();
    emit borderWidthChanged();
}

void TileController::setSoundFocus(SoundFocus *value)
{
    if (m_soundFocus)
        m_soundFocus->disconnect(this);
    m_soundFocus = value;
    if (value)
        connect(value, &SoundFocus::heardChanged, this, &TileController::applySoundFocus);
    emit soundFocusChanged();
    applySoundFocus();
}

void TileController::setSync(TileSync *value)
{
    if (m_sync)
        m_sync->disconnect(this);
    m_sync = value;
    if (value)
        connect(value, &TileSync::changed, this, &TileController::syncChanged);
    emit syncChanged();
}

VideoMetadata *TileController::record() const
{
    const PlayerState *state = m_playerState;
    return state ? state->videoMeta() : nullptr;
}

bool TileController::synced() const
{
    const TileSync *sync = m_sync;
    return sync && sync->contains(record());
}

QString TileController::syncText() const
{
    const TileSync *sync = m_sync;
    const VideoMetadata *meta = record();
    if (!sync || !sync->contains(meta))
        return {};
    const qint64 offset = sync->offset(meta);
    const QString seconds = QStringLiteral("%1%2")
                                .arg(offset < 0 ? QChar(0x2212) : QChar(u'+'))
                                .arg(double(std::abs(offset)) / 1000.0, 0, 'f', 3);
    return sync->leads(meta) ? tr("Leads, %1 s").arg(seconds) : tr("Follows, %1 s").arg(seconds);
}

void TileController::syncAll()
{
    if (TileSync *sync = m_sync)
        sync->syncTo(record());
}

void TileController::unsync()
{
    if (TileSync *sync = m_sync)
        sync->unsync();
}

void TileController::nudge(int milliseconds)
{
    if (TileSync *sync = m_sync)
        sync->nudge(record(), milliseconds);
}

void TileController::nudgeFrame(int direction)
{
    if (TileSync *sync = m_sync)
        sync->step(record(), direction, true);
}

void TileController::nextFrame()
{
    PlayerState *state = m_playerState;
    TileSync *sync = m_sync;
    if (!state || state->playing())
        return;
    if (sync && sync->contains(state->videoMeta()))
        sync->step(state->videoMeta(), 1, false);
    else
        state->setStepFrame(true);
}

bool TileController::heard() const
{
    const SoundFocus *focus = m_soundFocus;
    return focus && m_playerState && focus->heard() == m_playerState;
}

void TileController::applySoundFocus()
{
    const SoundFocus *focus = m_soundFocus;
    if (PlayerState *state = m_playerState)
        state->setSilenced(focus && focus->silences(state));
    emit heardChanged();
}

bool TileController::selected() const
{
    const TileKeys *keys = m_keys;
    return keys && m_playerState && keys->selected() == m_playerState;
}

void TileController::select()
{
    if (TileKeys *keys = m_keys)
        keys->select(m_playerState);
}

void TileController::setMenuOpen(bool value)
{
    if (m_menuOpen == value)
        return;
    m_menuOpen = value;
    emit menuOpenChanged();
    // The bar holds the menu that reports here: it goes after this report, not within it.
    QMetaObject::invokeMethod(this, &TileController::controlsShownChanged, Qt::QueuedConnection);
}

bool TileController::controlsHidden() const
{
    const ViewState *view = m_viewState;
    return view && view->hideControls();
}

int TileController::borderWidth() const
{
    const LayoutState *layout = m_layoutState;
    const bool several = layout && layout->videoMetas().size() >= 2;
    return several && (m_showBorder || selected()) && !controlsHidden() ? 2 : 0;
}

bool TileController::controlsShown() const
{
    const PlayerState *state = m_playerState;
    // An open menu keeps its bar even when idleness hides the controls: the menu goes only
    // with a choice or a click elsewhere.
    return state && (m_menuOpen || (state->controlsVisible() && !controlsHidden()));
}

bool TileController::failed() const
{
    const VideoMetadata *meta = m_observedMeta;
    return meta && meta->error();
}

void TileController::observeRecord()
{
    if (m_observedMeta)
        m_observedMeta->disconnect(this);
    const PlayerState *state = m_playerState;
    m_observedMeta = state ? state->videoMeta() : nullptr;
    if (m_observedMeta)
        connect(m_observedMeta, &VideoMetadata::errorChanged, this, &TileController::checkError);
    emit failedChanged();
    checkError();
}

void TileController::checkError()
{
    const VideoMetadata *meta = m_observedMeta;
    if (!meta || !meta->error() || m_removalPosted || !m_layoutState || !m_viewState)
        return;
    emit failedChanged();
    m_removalPosted = true;
    // After the current rendering: first the record leaves the window, then the notice.
    QMetaObject::invokeMethod(
        m_layoutState.data(),
        [layoutState = m_layoutState, viewState = m_viewState, id = meta->id()] {
            if (LayoutState *layout = layoutState)
                layout->removeVideoMeta(id);
            if (ViewState *view = viewState)
                view->setShowFailedToOpenAlert(true);
        },
        Qt::QueuedConnection);
}

} // namespace marquetrix

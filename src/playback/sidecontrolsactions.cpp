#include "sidecontrolsactions.h"

#include "followedstate.h"
#include "openedrecord.h"
#include "playbacklogging.h"

namespace marquetrix {

SideControlsActions::SideControlsActions(QObject *parent) : QObject(parent) {}

void SideControlsActions::setPlayerState(PlayerState *value)
{
    followState(m_playerState, value, this);
    if (value)
        connect(value, &PlayerState::repeatEnabledChanged, this,
                &SideControlsActions::loopCaptionChanged);
    emit playerStateChanged();
    emit loopCaptionChanged();
}

void SideControlsActions::setViewState(ViewState *value)
{
    m_viewState = value;
    emit viewStateChanged();
}

void SideControlsActions::setEngine(MediaEngine *value)
{
    m_engine = value;
    emit engineChanged();
}

QString SideControlsActions::loopCaption() const
{
    const PlayerState *state = m_playerState;
    return state && state->repeatEnabled() ? tr("No loop") : tr("Loop");
}

void SideControlsActions::cropLandscape()
{
    if (PlayerState *state = m_playerState)
        state->setChangeCropping(QStringLiteral("16:9"));
}

void SideControlsActions::cropPortrait()
{
    if (PlayerState *state = m_playerState)
        state->setChangeCropping(QStringLiteral("9:16"));
}

void SideControlsActions::cropOriginal()
{
    PlayerState *state = m_playerState;
    if (!state)
        return;
    state->setChangeCropping(QString());
    state->setRestoreCropping(true);
}

void SideControlsActions::toggleLoop()
{
    if (PlayerState *state = m_playerState)
        state->setRepeatEnabled(!state->repeatEnabled());
}

void SideControlsActions::openFileIntoTile(const QUrl &url)
{
    const PlayerState *state = m_playerState;
    VideoMetadata *meta = state ? state->videoMeta() : nullptr;
    if (url.isEmpty() || !meta)
        return;
    if (!m_engine) {
        qCWarning(lcVideoView) << "No media engine to open" << url.toDisplayString();
        return;
    }
    if (auto next = localFileRecord(*m_engine, url))
        meta->setReplacement(std::move(next));
}

void SideControlsActions::openUrlIntoTile()
{
    const PlayerState *state = m_playerState;
    const VideoMetadata *meta = state ? state->videoMeta() : nullptr;
    ViewState *view = m_viewState;
    if (!view || !meta)
        return;
    view->setOpenToPlayer(meta->id());
    view->setOpenUrlVisible(true);
}

} // namespace marquetrix

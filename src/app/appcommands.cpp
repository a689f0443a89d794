#include "appcommands.h"

#include "applogging.h"
#include "playbackrate.h"
#include "snapshotfile.h"
#include "videometadata.h"

namespace marquetrix {

AppCommands::AppCommands(QObject *parent) : QObject(parent) {}

QUrl AppCommands::helpUrl()
{
    return QUrl(QStringLiteral("https://marquetrix.org/help/"));
}

void AppCommands::setFocused(ContentController *value)
{
    if (m_focused != value) {
        m_focused = value;
        watch(value);
    }
    emit focusedChanged();
    emit stateChanged();
}

void AppCommands::watch(ContentController *content)
{
    for (const auto &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    if (!content)
        return;
    ViewState *view = content->viewState();
    LayoutState *layout = content->layoutState();
    m_connections = {
        connect(view, &ViewState::globalPauseChanged, this, &AppCommands::stateChanged),
        connect(view, &ViewState::globalRepeatChanged, this, &AppCommands::stateChanged),
        connect(view, &ViewState::globalMuteChanged, this, &AppCommands::stateChanged),
        connect(layout, &LayoutState::videoMetasChanged, this, &AppCommands::stateChanged),
        connect(content, &QObject::destroyed, this, [this] { setFocused(nullptr); }),
    };
}

ViewState *AppCommands::viewState() const
{
    return m_focused ? m_focused->viewState() : nullptr;
}

LayoutState *AppCommands::layoutState() const
{
    return m_focused ? m_focused->layoutState() : nullptr;
}

QString AppCommands::pauseAllTitle() const
{
    const ViewState *view = viewState();
    return view && view->globalPause() ? tr("Play all") : tr("Pause all");
}

QString AppCommands::repeatAllTitle() const
{
    const ViewState *view = viewState();
    return view && view->globalRepeat() ? tr("Disable repeat all") : tr("Repeat all");
}

QString AppCommands::muteAllTitle() const
{
    const ViewState *view = viewState();
    return view && view->globalMute() ? tr("Unmute all") : tr("Mute all");
}

bool AppCommands::playbackEnabled() const
{
    const LayoutState *layout = layoutState();
    return layout && !layout->videoMetas().isEmpty();
}

bool AppCommands::shuffleEnabled() const
{
    const LayoutState *layout = layoutState();
    return layout && layout->videoMetas().size() >= 2;
}

void AppCommands::showOpenUrl()
{
    if (ViewState *view = viewState())
        view->setOpenUrlVisible(true);
    else
        qCWarning(lcMain, "ViewState not found to show open URL dialog");
}

void AppCommands::showLayoutSettings()
{
    if (ViewState *view = viewState())
        view->setLayoutSettingsVisible(true);
    else
        qCWarning(lcMain, "ViewState not found to show layout settings");
}

void AppCommands::pauseAll()
{
    ViewState *view = viewState();
    LayoutState *layout = layoutState();
    if (!view || !layout) {
        qCWarning(lcMain, "ViewState or LayoutState not found to set pause state");
        return;
    }
    view->setGlobalPause(!view->globalPause());
    const bool pause = view->globalPause();
    for (const auto &meta : layout->videoMetas()) {
        meta->setDoPause(pause);
        if (!pause)
            meta->setForcePlay(true);
    }
}

void AppCommands::repeatAll()
{
    ViewState *view = viewState();
    LayoutState *layout = layoutState();
    if (!view || !layout) {
        qCWarning(lcMain, "ViewState or LayoutState not found to set repeat state");
        return;
    }
    view->setGlobalRepeat(!view->globalRepeat());
    const bool repeat = view->globalRepeat();
    for (const auto &meta : layout->videoMetas()) {
        if (!repeat) {
            meta->setGlobalRepeatDisabled(true);
            continue;
        }
        meta->setGlobalRepeatEnabled(true);
        // A video that stopped at its end starts again; one the user paused stays paused.
        if (meta->ended())
            meta->setForcePlay(true);
    }
}

void AppCommands::muteAll()
{
    ViewState *view = viewState();
    LayoutState *layout = layoutState();
    if (!view || !layout) {
        qCWarning(lcMain, "ViewState or LayoutState not found to set mute state");
        return;
    }
    view->setGlobalMute(!view->globalMute());
    const bool mute = view->globalMute();
    for (const auto &meta : layout->videoMetas()) {
        if (mute)
            meta->setGlobalMuteEnabled(true);
        else
            meta->setGlobalMuteDisabled(true);
    }
}

void AppCommands::shuffle()
{
    if (LayoutState *layout = layoutState())
        layout->shuffleVideoMetas();
    else
        qCWarning(lcMain, "LayoutState not found to shuffle layouts");
}

void AppCommands::seekAll(int seconds)
{
    if (!m_focused) {
        qCWarning(lcMain, "ContentController not found to seek every video");
        return;
    }
    m_focused->sync()->seekAll(seconds * 1000);
}

void AppCommands::changeSpeedAll(int direction)
{
    LayoutState *layout = layoutState();
    if (!layout) {
        qCWarning(lcMain, "LayoutState not found to change the speed");
        return;
    }
    for (const auto &meta : layout->videoMetas())
        meta->setRate(PlaybackRate::step(meta->rate(), direction));
}

void AppCommands::snapshotAll(QQuickWindow *window)
{
    LayoutState *layout = layoutState();
    ViewState *view = viewState();
    if (!layout || !view || !window) {
        qCWarning(lcMain, "No window to take snapshots of");
        return;
    }
    for (const auto &meta : layout->videoMetas())
        meta->setSnapshotRequested(true);
    const QString saved = SnapshotFile::save(
        window->grabWindow(), SnapshotFile::windowName(QDateTime::currentDateTime()));
    if (saved.isEmpty())
        view->setSnapshotNotice(tr("Could not save a snapshot of the window"));
}

} // namespace marquetrix

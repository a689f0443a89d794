#pragma once

#include "layoutstate.h"
#include "playerstate.h"
#include "soundfocus.h"
#include "tilekeys.h"
#include "tilesync.h"
#include "viewstate.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// What one tile does besides playing: the hover state that shows the control bar and the
// border, the 0.3 s tick that keeps the player binding running, and the removal of a
// video that failed. The tile's QML only binds to it.
class TileController : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit TileController(QObject *parent = nullptr);

    Q_PROPERTY(marquetrix::PlayerState *playerState READ playerState WRITE setPlayerState NOTIFY
                   playerStateChanged REQUIRED)
    PlayerState *playerState() const { return m_playerState; }
    void setPlayerState(PlayerState *value);
    Q_SIGNAL void playerStateChanged();

    Q_PROPERTY(marquetrix::ViewState *viewState READ viewState WRITE setViewState NOTIFY
                   viewStateChanged REQUIRED)
    ViewState *viewState() const { return m_viewState; }
    void setViewState(ViewState *value);
    Q_SIGNAL void viewStateChanged();

    Q_PROPERTY(marquetrix::LayoutState *layoutState READ layoutState WRITE setLayoutState NOTIFY
                   layoutStateChanged REQUIRED)
    LayoutState *layoutState() const { return m_layoutState; }
    void setLayoutState(LayoutState *value);
    Q_SIGNAL void layoutStateChanged();

    // The pointer is over the tile.
    Q_PROPERTY(bool hovered READ hovered WRITE setHovered NOTIFY hoveredChanged)
    bool hovered() const { return m_showBorder; }
    void setHovered(bool value);
    Q_SIGNAL void hoveredChanged();

    // The window's keys, which act on this tile while the pointer is over it or after a click;
    // none in a window without player keys.
    Q_PROPERTY(marquetrix::TileKeys *keys READ keys WRITE setKeys NOTIFY keysChanged)
    TileKeys *keys() const { return m_keys; }
    void setKeys(TileKeys *value);
    Q_SIGNAL void keysChanged();

    // The tile clicked last: the keys act on it while the pointer is over no tile.
    Q_PROPERTY(bool selected READ selected NOTIFY selectedChanged)
    bool selected() const;
    Q_SIGNAL void selectedChanged();
    Q_INVOKABLE void select();

    // One of the bar's menus, popups or dialogs is open: the bar stays although the pointer
    // is over the menu and no longer over the tile.
    Q_PROPERTY(bool menuOpen READ menuOpen WRITE setMenuOpen NOTIFY menuOpenChanged)
    bool menuOpen() const { return m_menuOpen; }
    void setMenuOpen(bool value);
    Q_SIGNAL void menuOpenChanged();

    // 2 while hovered or selected, with two or more videos in the window and controls not
    // hidden; else 0.
    Q_PROPERTY(int borderWidth READ borderWidth NOTIFY borderWidthChanged)
    int borderWidth() const;
    Q_SIGNAL void borderWidthChanged();

    Q_PROPERTY(bool controlsShown READ controlsShown NOTIFY controlsShownChanged)
    bool controlsShown() const;
    Q_SIGNAL void controlsShownChanged();

    // The record failed: the tile shows nothing while it removes itself.
    Q_PROPERTY(bool failed READ failed NOTIFY failedChanged)
    bool failed() const;
    Q_SIGNAL void failedChanged();

    // The window's choice of whose sound is heard; none: this tile is always heard.
    Q_PROPERTY(marquetrix::SoundFocus *soundFocus READ soundFocus WRITE setSoundFocus NOTIFY
                   soundFocusChanged)
    SoundFocus *soundFocus() const { return m_soundFocus; }
    void setSoundFocus(SoundFocus *value);
    Q_SIGNAL void soundFocusChanged();

    // This tile is the one heard while the others are silenced.
    Q_PROPERTY(bool heard READ heard NOTIFY heardChanged)
    bool heard() const;
    Q_SIGNAL void heardChanged();

    // The window's sync group; none: the tile plays on its own.
    Q_PROPERTY(marquetrix::TileSync *sync READ sync WRITE setSync NOTIFY syncChanged)
    TileSync *sync() const { return m_sync; }
    void setSync(TileSync *value);
    Q_SIGNAL void syncChanged();

    // The tile belongs to a sync group, which shows its offset: "Leads, +0.000 s".
    Q_PROPERTY(bool synced READ synced NOTIFY syncChanged)
    bool synced() const;
    Q_PROPERTY(QString syncText READ syncText NOTIFY syncChanged)
    QString syncText() const;

    Q_INVOKABLE void syncAll();
    Q_INVOKABLE void unsync();
    Q_INVOKABLE void nudge(int milliseconds);
    // One picture earlier (direction < 0) or later, on a paused tile.
    Q_INVOKABLE void nudgeFrame(int direction);
    // The next picture of a paused tile; in a sync group as the . key does it.
    Q_INVOKABLE void nextFrame();

    static constexpr int tickMilliseconds = 300;

private:
    void observeRecord();
    bool controlsHidden() const;
    void checkError();
    void applySoundFocus();
    VideoMetadata *record() const;

    QPointer<PlayerState> m_playerState;
    QPointer<ViewState> m_viewState;
    QPointer<LayoutState> m_layoutState;
    QPointer<VideoMetadata> m_observedMeta;
    QPointer<TileKeys> m_keys;
    QPointer<SoundFocus> m_soundFocus;
    QPointer<TileSync> m_sync;
    bool m_showBorder = false;
    bool m_menuOpen = false;
    bool m_removalPosted = false;
    QTimer m_tick;
};

} // namespace marquetrix

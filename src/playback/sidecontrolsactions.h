#pragma once

#include "mediaengine.h"
#include "playerstate.h"
#include "viewstate.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// What the per-tile side controls do: crop, loop, and open another video into the tile.
// They write requests into the tile's PlayerState and record (a picked file as the record
// that replaces the tile's), or hand over to the open-by-link dialog through the window's
// ViewState.
class SideControlsActions : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit SideControlsActions(QObject *parent = nullptr);

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

    // Builds the player of a file opened into the tile; without it no file is opened.
    Q_PROPERTY(marquetrix::MediaEngine *engine READ engine WRITE setEngine NOTIFY engineChanged)
    MediaEngine *engine() const { return m_engine; }
    void setEngine(MediaEngine *value);
    Q_SIGNAL void engineChanged();

    // "No loop" while repeat is on (pressing turns it off), "Loop" while it is off.
    Q_PROPERTY(QString loopCaption READ loopCaption NOTIFY loopCaptionChanged)
    QString loopCaption() const;
    Q_SIGNAL void loopCaptionChanged();

    Q_INVOKABLE void cropLandscape();
    Q_INVOKABLE void cropPortrait();
    Q_INVOKABLE void cropOriginal();
    Q_INVOKABLE void toggleLoop();
    // The open panel's answer; an empty URL (a panel without one) changes nothing.
    Q_INVOKABLE void openFileIntoTile(const QUrl &url);
    Q_INVOKABLE void openUrlIntoTile();

private:
    QPointer<PlayerState> m_playerState;
    QPointer<ViewState> m_viewState;
    MediaEngine *m_engine = nullptr;
};

} // namespace marquetrix

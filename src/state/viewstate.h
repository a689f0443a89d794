#pragma once

#include <QDateTime>
#include <QObject>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// The window's user-interface state: which dialogs are up, the window-wide pause, repeat
// and mute switches, and the idle-pointer clock. Every assignment notifies, also when the
// value is unchanged, so observers compare before writing when that matters.
class ViewState : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit ViewState(QObject *parent = nullptr) : QObject(parent) {}

    // While true every tile's player binding tears its player down.
    Q_PROPERTY(bool isClosed READ isClosed WRITE setIsClosed NOTIFY isClosedChanged)
    bool isClosed() const { return m_isClosed; }
    void setIsClosed(bool value)
    {
        m_isClosed = value;
        emit isClosedChanged();
    }
    Q_SIGNAL void isClosedChanged();

    Q_PROPERTY(bool helpVisible READ helpVisible WRITE setHelpVisible NOTIFY helpVisibleChanged)
    bool helpVisible() const { return m_helpVisible; }
    void setHelpVisible(bool value)
    {
        m_helpVisible = value;
        emit helpVisibleChanged();
    }
    Q_SIGNAL void helpVisibleChanged();

    Q_PROPERTY(bool openURLVisible READ openURLVisible WRITE setOpenURLVisible NOTIFY
                   openURLVisibleChanged)
    bool openURLVisible() const { return m_openURLVisible; }
    void setOpenURLVisible(bool value)
    {
        m_openURLVisible = value;
        emit openURLVisibleChanged();
    }
    Q_SIGNAL void openURLVisibleChanged();

    Q_PROPERTY(QDateTime lastCursorMove READ lastCursorMove WRITE setLastCursorMove NOTIFY
                   lastCursorMoveChanged)
    QDateTime lastCursorMove() const { return m_lastCursorMove; }
    void setLastCursorMove(const QDateTime &value)
    {
        m_lastCursorMove = value;
        emit lastCursorMoveChanged();
    }
    Q_SIGNAL void lastCursorMoveChanged();

    Q_PROPERTY(bool hideControls READ hideControls WRITE setHideControls NOTIFY hideControlsChanged)
    bool hideControls() const { return m_hideControls; }
    void setHideControls(bool value)
    {
        m_hideControls = value;
        emit hideControlsChanged();
    }
    Q_SIGNAL void hideControlsChanged();

    Q_PROPERTY(bool layoutSettingsVisible READ layoutSettingsVisible WRITE setLayoutSettingsVisible
                   NOTIFY layoutSettingsVisibleChanged)
    bool layoutSettingsVisible() const { return m_layoutSettingsVisible; }
    void setLayoutSettingsVisible(bool value)
    {
        m_layoutSettingsVisible = value;
        emit layoutSettingsVisibleChanged();
    }
    Q_SIGNAL void layoutSettingsVisibleChanged();

    Q_PROPERTY(bool showFailedToOpenAlert READ showFailedToOpenAlert WRITE setShowFailedToOpenAlert
                   NOTIFY showFailedToOpenAlertChanged)
    bool showFailedToOpenAlert() const { return m_showFailedToOpenAlert; }
    void setShowFailedToOpenAlert(bool value)
    {
        m_showFailedToOpenAlert = value;
        emit showFailedToOpenAlertChanged();
    }
    Q_SIGNAL void showFailedToOpenAlertChanged();

    // The tile the open-by-link dialog opens into; a null id opens a new tile.
    Q_PROPERTY(
        QUuid openToPlayer READ openToPlayer WRITE setOpenToPlayer NOTIFY openToPlayerChanged)
    QUuid openToPlayer() const { return m_openToPlayer; }
    void setOpenToPlayer(const QUuid &value)
    {
        m_openToPlayer = value;
        emit openToPlayerChanged();
    }
    Q_SIGNAL void openToPlayerChanged();

    Q_PROPERTY(bool globalPause READ globalPause WRITE setGlobalPause NOTIFY globalPauseChanged)
    bool globalPause() const { return m_globalPause; }
    void setGlobalPause(bool value)
    {
        m_globalPause = value;
        emit globalPauseChanged();
    }
    Q_SIGNAL void globalPauseChanged();

    Q_PROPERTY(bool globalRepeat READ globalRepeat WRITE setGlobalRepeat NOTIFY globalRepeatChanged)
    bool globalRepeat() const { return m_globalRepeat; }
    void setGlobalRepeat(bool value)
    {
        m_globalRepeat = value;
        emit globalRepeatChanged();
    }
    Q_SIGNAL void globalRepeatChanged();

    Q_PROPERTY(bool globalMute READ globalMute WRITE setGlobalMute NOTIFY globalMuteChanged)
    bool globalMute() const { return m_globalMute; }
    void setGlobalMute(bool value)
    {
        m_globalMute = value;
        emit globalMuteChanged();
    }
    Q_SIGNAL void globalMuteChanged();

private:
    bool m_isClosed = false;
    bool m_helpVisible = false;
    bool m_openURLVisible = false;
    QDateTime m_lastCursorMove = QDateTime::currentDateTime();
    bool m_hideControls = false;
    bool m_layoutSettingsVisible = false;
    bool m_showFailedToOpenAlert = false;
    QUuid m_openToPlayer;
    bool m_globalPause = false;
    bool m_globalRepeat = false;
    bool m_globalMute = false;
};

} // namespace marquetrix

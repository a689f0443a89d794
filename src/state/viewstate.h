#pragma once

#include "notifyingproperty.h"

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
    MARQUETRIX_NOTIFYING(bool, isClosed, setIsClosed, isClosedChanged, false)
    Q_SIGNAL void isClosedChanged();

    Q_PROPERTY(bool helpVisible READ helpVisible WRITE setHelpVisible NOTIFY helpVisibleChanged)
    MARQUETRIX_NOTIFYING(bool, helpVisible, setHelpVisible, helpVisibleChanged, false)
    Q_SIGNAL void helpVisibleChanged();

    Q_PROPERTY(bool openUrlVisible READ openUrlVisible WRITE setOpenUrlVisible NOTIFY
                   openUrlVisibleChanged)
    MARQUETRIX_NOTIFYING(bool, openUrlVisible, setOpenUrlVisible, openUrlVisibleChanged, false)
    Q_SIGNAL void openUrlVisibleChanged();

    Q_PROPERTY(QDateTime lastCursorMove READ lastCursorMove WRITE setLastCursorMove NOTIFY
                   lastCursorMoveChanged)
    MARQUETRIX_NOTIFYING(QDateTime, lastCursorMove, setLastCursorMove, lastCursorMoveChanged,
                         QDateTime::currentDateTime())
    Q_SIGNAL void lastCursorMoveChanged();

    Q_PROPERTY(bool hideControls READ hideControls WRITE setHideControls NOTIFY hideControlsChanged)
    MARQUETRIX_NOTIFYING(bool, hideControls, setHideControls, hideControlsChanged, false)
    Q_SIGNAL void hideControlsChanged();

    Q_PROPERTY(bool layoutSettingsVisible READ layoutSettingsVisible WRITE setLayoutSettingsVisible
                   NOTIFY layoutSettingsVisibleChanged)
    MARQUETRIX_NOTIFYING(bool, layoutSettingsVisible, setLayoutSettingsVisible,
                         layoutSettingsVisibleChanged, false)
    Q_SIGNAL void layoutSettingsVisibleChanged();

    // What became of the last snapshot (the folder it went to); empty: no notice.
    Q_PROPERTY(QString snapshotNotice READ snapshotNotice WRITE setSnapshotNotice NOTIFY
                   snapshotNoticeChanged)
    MARQUETRIX_NOTIFYING(QString, snapshotNotice, setSnapshotNotice, snapshotNoticeChanged)
    Q_SIGNAL void snapshotNoticeChanged();

    Q_PROPERTY(bool showFailedToOpenAlert READ showFailedToOpenAlert WRITE setShowFailedToOpenAlert
                   NOTIFY showFailedToOpenAlertChanged)
    MARQUETRIX_NOTIFYING(bool, showFailedToOpenAlert, setShowFailedToOpenAlert,
                         showFailedToOpenAlertChanged, false)
    Q_SIGNAL void showFailedToOpenAlertChanged();

    // The tile the open-by-link dialog opens into; a null id opens a new tile.
    Q_PROPERTY(
        QUuid openToPlayer READ openToPlayer WRITE setOpenToPlayer NOTIFY openToPlayerChanged)
    MARQUETRIX_NOTIFYING(QUuid, openToPlayer, setOpenToPlayer, openToPlayerChanged)
    Q_SIGNAL void openToPlayerChanged();

    Q_PROPERTY(bool globalPause READ globalPause WRITE setGlobalPause NOTIFY globalPauseChanged)
    MARQUETRIX_NOTIFYING(bool, globalPause, setGlobalPause, globalPauseChanged, false)
    Q_SIGNAL void globalPauseChanged();

    Q_PROPERTY(bool globalRepeat READ globalRepeat WRITE setGlobalRepeat NOTIFY globalRepeatChanged)
    MARQUETRIX_NOTIFYING(bool, globalRepeat, setGlobalRepeat, globalRepeatChanged, false)
    Q_SIGNAL void globalRepeatChanged();

    Q_PROPERTY(bool globalMute READ globalMute WRITE setGlobalMute NOTIFY globalMuteChanged)
    MARQUETRIX_NOTIFYING(bool, globalMute, setGlobalMute, globalMuteChanged, false)
    Q_SIGNAL void globalMuteChanged();
};

} // namespace marquetrix

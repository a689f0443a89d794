#pragma once

#include "playerstate.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// What the tile's control bar does and shows. Every action only changes the tile's
// PlayerState or its record; the player binding carries the change to the engine at its
// next pass. The bar reports its own width, from which the width class and its measures
// follow.
class VideoControls : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    enum class WidthClass
    {
        Wide,   // 350 or more
        Narrow, // 220 to under 350
        Tiny,   // under 220
    };
    Q_ENUM(WidthClass)

    explicit VideoControls(QObject *parent = nullptr);

    Q_PROPERTY(marquetrix::PlayerState *playerState READ playerState WRITE setPlayerState NOTIFY
                   playerStateChanged REQUIRED)
    PlayerState *playerState() const { return m_playerState; }
    void setPlayerState(PlayerState *value);
    Q_SIGNAL void playerStateChanged();

    Q_PROPERTY(qreal width READ width WRITE setWidth NOTIFY widthChanged)
    qreal width() const { return m_width; }
    void setWidth(qreal value);
    Q_SIGNAL void widthChanged();

    Q_PROPERTY(WidthClass widthClass READ widthClass NOTIFY widthChanged)
    WidthClass widthClass() const { return widthClassFor(m_width); }
    Q_PROPERTY(bool sideControlsInline READ sideControlsInline NOTIFY widthChanged)
    bool sideControlsInline() const { return widthClass() == WidthClass::Wide; }
    // A tiny bar keeps play, mute and its menu in the row; the jumps and the volume move into
    // the menu, so that nothing is cut off.
    Q_PROPERTY(bool transportInline READ transportInline NOTIFY widthChanged)
    bool transportInline() const { return widthClass() != WidthClass::Tiny; }
    Q_PROPERTY(int spacing READ spacing NOTIFY widthChanged)
    int spacing() const;
    Q_PROPERTY(int titlePadding READ titlePadding NOTIFY widthChanged)
    int titlePadding() const;
    Q_PROPERTY(int rowPadding READ rowPadding NOTIFY widthChanged)
    int rowPadding() const;
    Q_PROPERTY(int rowMinimumWidth READ rowMinimumWidth NOTIFY widthChanged)
    int rowMinimumWidth() const;
    Q_PROPERTY(int rowMaximumWidth READ rowMaximumWidth NOTIFY widthChanged)
    int rowMaximumWidth() const;
    Q_PROPERTY(int volumeWidth READ volumeWidth NOTIFY widthChanged)
    int volumeWidth() const;

    // "00:01:05": the position truncated to whole seconds.
    Q_PROPERTY(QString positionText READ positionText NOTIFY positionTextChanged)
    QString positionText() const;
    Q_SIGNAL void positionTextChanged();
    // The media length in whole milliseconds, its seconds rounded to nearest (ties to even).
    Q_PROPERTY(QString durationText READ durationText NOTIFY durationTextChanged)
    QString durationText() const;
    Q_SIGNAL void durationTextChanged();

    // "1.5×" while the tile plays at other than normal speed; empty at normal speed.
    Q_PROPERTY(QString rateText READ rateText NOTIFY rateTextChanged)
    QString rateText() const;
    Q_SIGNAL void rateTextChanged();

    // Play on an ended video starts it over from the beginning.
    Q_INVOKABLE void playPause();
    Q_INVOKABLE void jumpBackward();
    Q_INVOKABLE void jumpForward();
    // The seek slider's drag: while it lasts the slider shows where the user holds it; at its
    // end the engine jumps there, once.
    Q_INVOKABLE void setEditing(bool editing);
    Q_INVOKABLE void toggleMute();
    Q_INVOKABLE void close();
    // One step faster (direction > 0) or slower (< 0), or normal speed (0).
    Q_INVOKABLE void changeSpeed(int direction);
    Q_INVOKABLE void snapshot();
    // A subtitle file for the tile, shown at once.
    Q_INVOKABLE void setSubtitleFile(const QUrl &file);
    Q_INVOKABLE void toggleSubtitles();

    static WidthClass widthClassFor(qreal width);
    // Hours padded to two digits, no fraction.
    static QString formatTime(qint64 seconds);

private:
    static void requestPosition(PlayerState &state, float position);

    QPointer<PlayerState> m_playerState;
    QPointer<VideoMetadata> m_observedMeta;
    qreal m_width = 0;
};

} // namespace marquetrix

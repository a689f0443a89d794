#include "tileoptions.h"

#include <cmath>

namespace marquetrix {

namespace {

constexpr QByteArrayView kPrefix = "#EXTVLCOPT:";
constexpr QByteArrayView kStartTime = "start-time";
constexpr QByteArrayView kCrop = "crop";
constexpr QByteArrayView kLoop = "marquetrix-loop";
constexpr QByteArrayView kMute = "marquetrix-mute";
constexpr QByteArrayView kVolume = "marquetrix-volume";

QByteArray line(QByteArrayView key, const QByteArray &value)
{
    return kPrefix.toByteArray() + key.toByteArray() + '=' + value;
}

std::optional<float> number(const QByteArray &text, float low, float high)
{
    bool ok = false;
    const float value = text.toFloat(&ok);
    if (!ok || !std::isfinite(value) || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<bool> flag(const QByteArray &text)
{
    if (text == "1")
        return true;
    if (text == "0")
        return false;
    return std::nullopt;
}

} // namespace

QList<QByteArray> tileOptionLines(const TileSettings &settings)
{
    QList<QByteArray> lines;
    if (settings.position > 0)
        lines.append(line(kStartTime, QByteArray::number(double(settings.position), 'f', 3)));
    if (!settings.crop.isEmpty())
        lines.append(line(kCrop, settings.crop.toUtf8()));
    if (settings.loop)
        lines.append(line(kLoop, "1"));
    if (settings.muted)
        lines.append(line(kMute, "1"));
    if (settings.volume != TileSettings().volume)
        lines.append(line(kVolume, QByteArray::number(double(settings.volume))));
    return lines;
}

void readTileOption(const QByteArray &text, TileSettings &settings)
{
    if (!text.startsWith(kPrefix))
        return;
    const QByteArray option = text.mid(kPrefix.size());
    const qsizetype equals = option.indexOf('=');
    const QByteArray key = option.left(equals).trimmed();
    const QByteArray value = equals < 0 ? QByteArray() : option.mid(equals + 1).trimmed();
    if (key == kStartTime)
        settings.position = number(value, 0, INFINITY).value_or(settings.position);
    else if (key == kVolume)
        settings.volume = number(value, 0, 100).value_or(settings.volume);
    else if (key == kCrop && TileSettings::cropRatio(QString::fromUtf8(value)) != 0)
        settings.crop = QString::fromUtf8(value);
    else if (key == kLoop)
        settings.loop = flag(value).value_or(settings.loop);
    else if (key == kMute)
        settings.muted = flag(value).value_or(settings.muted);
}

} // namespace marquetrix

#include "sessionsnapshot.h"

#include "layoutstate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

namespace marquetrix {

namespace {

constexpr int kVersion = 1;

// A tile's numbers as written, or the fresh tile's where they do not read.
float number(const QJsonValue &value, float fallback, float low, float high)
{
    const double read = value.toDouble(fallback);
    return std::isfinite(read) && read >= low && read <= high ? float(read) : fallback;
}

} // namespace

SessionSnapshot SessionSnapshot::of(const QList<std::shared_ptr<VideoMetadata>> &records,
                                    int layoutAlgorithm)
{
    SessionSnapshot snapshot{.tiles = {}, .layoutAlgorithm = layoutAlgorithm};
    for (const auto &record : records) {
        if (const std::optional<OpeningItem> item = OpeningItem::of(*record))
            snapshot.tiles.append(*item);
    }
    return snapshot;
}

QByteArray SessionSnapshot::toJson() const
{
    QJsonArray tileArray;
    for (const OpeningItem &tile : tiles) {
        const TileSettings &settings = tile.settings;
        tileArray.append(
            QJsonObject{{"item", QString::fromUtf8(tile.argument)},
                        // In milliseconds' digits, not the float's.
                        {"position", std::round(double(settings.position) * 1000) / 1000},
                        {"crop", settings.crop},
                        {"loop", settings.loop},
                        {"muted", settings.muted},
                        {"volume", double(settings.volume)}});
    }
    return QJsonDocument(QJsonObject{{"version", kVersion},
                                     {"layoutAlgorithm", layoutAlgorithm},
                                     {"tiles", tileArray}})
        .toJson();
}

std::optional<SessionSnapshot> SessionSnapshot::fromJson(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value("version").toInt() != kVersion ||
        !root.value("tiles").isArray())
        return std::nullopt;
    SessionSnapshot snapshot;
    snapshot.layoutAlgorithm = root.value("layoutAlgorithm").toInt(snapshot.layoutAlgorithm);
    const TileSettings fresh;
    const QJsonArray tiles = root.value("tiles").toArray();
    // A file edited by hand may name more than a window holds.
    for (qsizetype i = 0; i < std::min(tiles.size(), LayoutState::kMaxVideos); ++i) {
        const QJsonObject tile = tiles.at(i).toObject();
        const QString item = tile.value("item").toString();
        if (item.isEmpty())
            return std::nullopt;
        const QString crop = tile.value("crop").toString();
        snapshot.tiles.append(
            {item.toUtf8(),
             {.position = number(tile.value("position"), fresh.position, 0, INFINITY),
              .crop = TileSettings::cropRatio(crop) != 0 ? crop : QString(),
              .loop = tile.value("loop").toBool(),
              .muted = tile.value("muted").toBool(),
              .volume = number(tile.value("volume"), fresh.volume, 0, 100)}});
    }
    return snapshot;
}

} // namespace marquetrix

#include "openedrecord.h"

#include "media.h"
#include "mediaengine.h"
#include "medialist.h"
#include "medialistplayer.h"
#include "playbacklogging.h"
#include "videometadata.h"

#include <QFileInfo>
#include <QUuid>

namespace marquetrix {

namespace {

QUrl subtitleBeside(const QUrl &video)
{
    const QFileInfo file(video.toLocalFile());
    const QString stem = file.path() + QLatin1Char('/') + file.completeBaseName();
    for (const char *extension : {".srt", ".ass", ".vtt"}) {
        const QString candidate = stem + QLatin1String(extension);
        if (QFileInfo::exists(candidate))
            return QUrl::fromLocalFile(candidate);
    }
    return {};
}

} // namespace

std::shared_ptr<VideoMetadata> openedRecord(MediaEngine &engine, const QUrl &url,
                                            const QStringList &options, const QString &title)
{
    const std::shared_ptr<MediaListPlayer> listPlayer = engine.createListPlayer(options);
    const std::shared_ptr<Media> media = engine.createMedia(url);
    if (!listPlayer || !media) {
        qCWarning(lcVideoView).noquote()
            << "Cannot open" << url.toDisplayString(QUrl::RemoveUserInfo);
        return nullptr;
    }
    listPlayer->setMediaList(engine.createMediaList({media}));
    listPlayer->setRepeatMode(0);
    auto record = std::make_shared<VideoMetadata>(QUuid::createUuid(), listPlayer);
    record->setTitle(title);
    return record;
}

std::shared_ptr<VideoMetadata> localFileRecord(MediaEngine &engine, const QUrl &url)
{
    auto record = openedRecord(engine, url, kLocalFileOptions, url.fileName());
    if (record)
        record->setSubtitleFile(subtitleBeside(url));
    return record;
}

} // namespace marquetrix

#include "linkrecords.h"

#include "lastpathcomponent.h"
#include "linkrules.h"
#include "livehlscheck.h"
#include "openedrecord.h"
#include "openinglogging.h"
#include "pagetitle.h"
#include "secretredaction.h"
#include "videometadata.h"

namespace marquetrix {

std::shared_ptr<VideoMetadata> directLinkRecord(MediaEngine &engine, const QUrl &url)
{
    qCInfo(lcVideoOpener, "Opening URL %s",
           qUtf8Printable(url.toString(QUrl::RemovePassword | QUrl::FullyEncoded)));
    auto record = openedRecord(engine, url, kDirectLinkOptions, lastPathComponent(url));
    if (record && namesHlsPlaylist(url))
        checkLiveHls(url, record);
    return record;
}

std::shared_ptr<VideoMetadata> resolvedRecord(MediaEngine &engine, const QStringList &answer,
                                              const QString &link, QObject *context,
                                              std::function<void()> titleFailed)
{
    qCInfo(lcVideoOpener, "Got video urls %s", qUtf8Printable(loggableUrlList(answer)));
    const std::optional<QUrl> mediaUrl = playableMediaUrl(answer);
    if (!mediaUrl) {
        qCWarning(lcVideoOpener, "The resolver named no playable media");
        return nullptr;
    }
    const QUrl page(link);
    auto record = openedRecord(engine, *mediaUrl, kResolvedStreamOptions,
                               page.toString(QUrl::RemoveUserInfo));
    if (!record)
        return nullptr;
    record->setIsStreamingUrl(true);
    if (namesHlsPlaylist(*mediaUrl))
        checkLiveHls(*mediaUrl, record);
    // A media link the resolver answers expires; the page is what opens the video again.
    record->setPageUrl(page);
    fetchPageTitle(page, record, context, std::move(titleFailed));
    return record;
}

} // namespace marquetrix

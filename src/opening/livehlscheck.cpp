#include "livehlscheck.h"

#include "boundedreply.h"
#include "hlsplaylist.h"
#include "networksession.h"
#include "openinglogging.h"
#include "videometadata.h"

#include <QNetworkReply>

namespace marquetrix {

namespace {

// A media playlist lists a few segments; a master playlist its variants.
constexpr qint64 kMaxPlaylistBytes = 1024 * 1024;
constexpr std::chrono::seconds kPlaylistTimeout{10};

void readPlaylist(const QUrl &url, const std::weak_ptr<VideoMetadata> &record, bool mayFollow);

void takeAnswer(const QNetworkReply &reply, const BoundedReply::Outcome &outcome,
                const std::weak_ptr<VideoMetadata> &record, bool mayFollow)
{
    const QString shown = reply.request().url().toDisplayString(QUrl::RemoveUserInfo);
    if (!outcome.failure.isEmpty() || outcome.status.value_or(0) >= 300) {
        qCWarning(lcVideoOpener).noquote()
            << "Cannot read the HLS playlist" << shown << "-"
            << (outcome.failure.isEmpty() ? QString::number(*outcome.status) : outcome.failure);
        return;
    }
    // Variants are where the playlist is, after any redirect.
    const std::optional<HlsPlaylist> playlist = HlsPlaylist::parse(outcome.body, reply.url());
    if (!playlist) {
        qCInfo(lcVideoOpener).noquote() << shown << "is no HLS playlist";
        return;
    }
    if (playlist->isMaster()) {
        if (mayFollow)
            readPlaylist(playlist->firstVariant(), record, false);
        return;
    }
    const std::shared_ptr<VideoMetadata> target = record.lock();
    if (!playlist->isLive() || !target)
        return;
    qCInfo(lcVideoOpener).noquote() << "Live HLS stream:" << shown;
    target->setLiveSource(true);
    // The engine may have told the window's length already.
    target->setMediaLength(0);
}

void readPlaylist(const QUrl &url, const std::weak_ptr<VideoMetadata> &record, bool mayFollow)
{
    QNetworkRequest request(url);
    // Credentials in the URL are for its host: a redirect elsewhere is not followed.
    if (!url.userInfo().isEmpty())
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::SameOriginRedirectPolicy);
    QNetworkReply *reply = sharedNetworkSession().get(request);
    // The reply is deleted only after its outcome has been taken.
    BoundedReply::watch(reply, kMaxPlaylistBytes, kPlaylistTimeout,
                        [reply, record, mayFollow](const BoundedReply::Outcome &outcome) {
                            takeAnswer(*reply, outcome, record, mayFollow);
                        });
}

} // namespace

bool namesHlsPlaylist(const QUrl &url)
{
    return url.path().endsWith(QLatin1String(".m3u8"), Qt::CaseInsensitive);
}

void checkLiveHls(const QUrl &url, const std::shared_ptr<VideoMetadata> &record)
{
    readPlaylist(url, record, true);
}

} // namespace marquetrix

#include "pagetitle.h"

#include "boundedreply.h"
#include "networksession.h"
#include "openinglogging.h"
#include "videometadata.h"

#include <QNetworkReply>
#include <QPointer>
#include <QRegularExpression>
#include <QStringDecoder>

namespace marquetrix {

namespace {

constexpr qint64 kMaxPageBytes = 8 * 1024 * 1024;
constexpr auto kUserAgent = "Mozilla/5.0 (X11; Linux i686; rv:109.0) Gecko/20100101 Firefox/121.0";

void retitle(VideoMetadata &record, const QString &page)
{
    static const QRegularExpression title(QStringLiteral("<title>(.*)</title>"));
    for (auto it = title.globalMatch(page); it.hasNext();)
        record.setTitle(it.next().captured(1));
}

} // namespace

void fetchPageTitle(const QUrl &pageUrl, const std::shared_ptr<VideoMetadata> &record,
                    QObject *context, std::function<void()> failed,
                    std::chrono::milliseconds timeout)
{
    QNetworkRequest request(pageUrl);
    request.setRawHeader("user-agent", kUserAgent);
    qCInfo(lcVideoOpener, "Getting title");
    QNetworkReply *reply = sharedNetworkSession().get(request);

    const bool hasContext = context != nullptr;
    const auto fail = [hasContext, guard = QPointer<QObject>(context), failed = std::move(failed)] {
        if (failed && (!hasContext || guard))
            failed();
    };
    BoundedReply::watch(
        reply, kMaxPageBytes, timeout,
        [weakRecord = std::weak_ptr<VideoMetadata>(record), fail](const BoundedReply::Outcome &o) {
            if (!o.failure.isEmpty()) {
                qCWarning(lcVideoOpener, "%s", qUtf8Printable(o.failure));
                fail();
                return;
            }
            if (o.status.value_or(0) >= 300) {
                qCWarning(lcVideoOpener, "Got error response code %ld", long(*o.status));
                fail();
            }
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString page = decoder.decode(o.body);
            if (decoder.hasError()) {
                qCWarning(lcVideoOpener, "Failed to convert to string");
                return;
            }
            if (const std::shared_ptr<VideoMetadata> target = weakRecord.lock())
                retitle(*target, page);
        });
}

} // namespace marquetrix

#include "linkopener.h"

#include "credentialstore.h"
#include "lastpathcomponent.h"
#include "layoutstate.h"
#include "linkrules.h"
#include "logging.h"
#include "openedrecord.h"
#include "pagetitle.h"
#include "resolverbaseurl.h"
#include "secretredaction.h"
#include "viewstate.h"

#include <QFileInfo>

namespace marquetrix {

LinkOpener::LinkOpener(ViewState &viewState, LayoutState &layoutState, MediaEngine &engine,
                       QObject *parent)
    : QObject(parent), m_viewState(&viewState), m_layoutState(&layoutState), m_engine(engine),
      m_resolverUrl(resolverBaseUrl())
{
}

LinkOpener::~LinkOpener() = default;

LinkOpener::Road LinkOpener::open(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (!trimmed.isEmpty() && !trimmed.contains(QLatin1String("://")) &&
        QFileInfo(trimmed).isFile())
        return open(QUrl::fromLocalFile(QFileInfo(trimmed).absoluteFilePath()));
    return openLink(trimmed);
}

LinkOpener::Road LinkOpener::open(const QUrl &url)
{
    if (!url.isLocalFile())
        return openLink(url.toString(QUrl::FullyEncoded));
    LayoutState *layout = m_layoutState;
    if (!layout)
        return Road::Rejected;
    if (auto record = openedRecord(m_engine, url, kLocalFileOptions, url.fileName())) {
        layout->appendVideoMeta(record);
        return Road::LocalFile;
    }
    fail();
    return Road::Rejected;
}

LinkOpener::Road LinkOpener::openLink(const QString &text)
{
    const QString link = prefixedLink(text);
    if (!isValidVideoURL(link)) {
        qCWarning(lcVideoOpener, "Not opening %s: not a valid link",
                  qUtf8Printable(QUrl(link).toDisplayString(QUrl::RemovePassword)));
        fail();
        return Road::Rejected;
    }
    if (needsResolver(link)) {
        resolve(link);
        return Road::Resolver;
    }
    const QUrl url(link);
    if (url.host().isEmpty() || !url.userInfo().isEmpty()) {
        openDirect(url);
        return Road::Direct;
    }
    getCredentialsLater(url.host(), this, [this, url](std::optional<Credentials> credentials) {
        if (!credentials) {
            openDirect(url);
            return;
        }
        if (const auto withCredentials =
                urlWithCredentials(url, credentials->username, credentials->password))
            openDirect(*withCredentials);
        else
            fail();
    });
    return Road::Direct;
}

void LinkOpener::openDirect(const QUrl &url)
{
    LayoutState *layout = m_layoutState;
    if (!layout)
        return;
    qCInfo(lcVideoOpener, "Opening URL %s",
           qUtf8Printable(url.toString(QUrl::RemovePassword | QUrl::FullyEncoded)));
    if (auto record = openedRecord(m_engine, url, kDirectLinkOptions, lastPathComponent(url)))
        layout->appendVideoMeta(record);
    else
        fail();
}

void LinkOpener::resolve(const QString &link)
{
    m_loaders.push_back(buildResolverRequest(m_resolverUrl, link, m_resolverTiming));
    URLLoader *loader = m_loaders.back().get();
    const auto finished = [this, loader] {
        std::erase_if(m_loaders, [loader](const auto &held) { return held.get() == loader; });
    };
    connect(loader, &URLLoader::loaded, this, [this, link, finished](const QStringList &urls) {
        qCInfo(lcVideoOpener, "Got video urls %s", qUtf8Printable(loggableUrlList(urls)));
        const std::optional<QUrl> mediaURL = playableMediaUrl(urls);
        LayoutState *layout = m_layoutState;
        std::shared_ptr<VideoMetadata> record;
        if (mediaURL && layout)
            record = openedRecord(m_engine, *mediaURL, kResolvedStreamOptions, link);
        if (record && layout) {
            record->setIsStreamingURL(true);
            fetchPageTitle(QUrl(link), record, this, nullptr);
            layout->appendVideoMeta(record);
        } else {
            qCWarning(lcVideoOpener, "The resolver named no playable media");
            fail();
        }
        // The loader is inside its own signal: it goes once that is over.
        QMetaObject::invokeMethod(this, finished, Qt::QueuedConnection);
    });
    connect(loader, &URLLoader::failed, this, [this, finished] {
        fail();
        QMetaObject::invokeMethod(this, finished, Qt::QueuedConnection);
    });
    loader->load();
}

void LinkOpener::fail()
{
    if (ViewState *state = m_viewState)
        state->setShowFailedToOpenAlert(true);
}

} // namespace marquetrix

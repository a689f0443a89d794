#include "linkopener.h"

#include "credentialstore.h"
#include "layoutstate.h"
#include "linkrecords.h"
#include "linkrules.h"
#include "openedrecord.h"
#include "openinglogging.h"
#include "playlistreader.h"
#include "resolverbaseurl.h"
#include "secretredaction.h"
#include "viewstate.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace marquetrix {

namespace {

// File names are bytes on Linux, whatever the locale makes of them.
std::filesystem::path fileSystemPath(const QByteArray &bytes)
{
    return {std::string(bytes.constData(), size_t(bytes.size()))};
}

QString shownPath(const QByteArray &path)
{
    return QString::fromLocal8Bit(path);
}

// Far more than a list of a window's worth of videos takes; a bound, since the file is read
// whole on the window's thread.
constexpr std::streamsize kMaxPlaylistBytes = 16 * 1024 * 1024;

} // namespace

LinkOpener::LinkOpener(ViewState &viewState, LayoutState &layoutState, MediaEngine &engine,
                       QObject *parent)
    : QObject(parent), m_viewState(&viewState), m_layoutState(&layoutState), m_engine(engine),
      m_resolverUrl(resolverBaseUrl())
{
}

LinkOpener::~LinkOpener() = default;

LinkOpener::Road LinkOpener::open(const QByteArray &argument, const TileSettings &settings)
{
    std::error_code error;
    if (!argument.isEmpty() && std::filesystem::exists(fileSystemPath(argument), error)) {
        const std::string absolute =
            std::filesystem::absolute(fileSystemPath(argument), error).lexically_normal().native();
        return openFile(QByteArray::fromStdString(absolute), shownPath(argument), settings);
    }
    const QString text = QString::fromLocal8Bit(argument).trimmed();
    const QString scheme = linkScheme(text);
    if (scheme == u"file") {
        const QUrl url = QUrl::fromEncoded(argument.trimmed(), QUrl::TolerantMode);
        if (const QByteArray path = localFilePath(url); !path.isEmpty())
            return openFile(path, shownPath(path), settings);
        return open(url);
    }
    if (scheme.isEmpty()) {
        if (text.isEmpty()) {
            qCWarning(lcVideoOpener, "Not opening an empty argument");
            return Road::Rejected;
        }
        return fail(tr("File not found: %1").arg(shownPath(argument)));
    }
    if (!isNetworkScheme(scheme))
        return fail(
            tr("Cannot open %1: links of this kind are not supported").arg(shownLink(text)));
    // The scheme in any case, as a browser takes it.
    return openLink(scheme + text.mid(scheme.size()), settings);
}

LinkOpener::Road LinkOpener::open(const QUrl &url)
{
    if (url.scheme() == u"file") {
        const QByteArray path = localFilePath(url);
        if (path.isEmpty()) {
            return fail(tr("Cannot open %1: not a file on this computer")
                            .arg(shownLink(url.toString(QUrl::FullyEncoded))));
        }
        return openFile(path, shownPath(path), {});
    }
    if (!url.scheme().isEmpty() && !isNetworkScheme(url.scheme())) {
        return fail(tr("Cannot open %1: links of this kind are not supported")
                        .arg(shownLink(url.toString(QUrl::FullyEncoded))));
    }
    return openLink(url.toString(QUrl::FullyEncoded), {});
}

LinkOpener::Road LinkOpener::openFile(const QByteArray &path, const QString &shown,
                                      const TileSettings &settings)
{
    std::error_code error;
    const std::filesystem::file_status status =
        std::filesystem::status(fileSystemPath(path), error);
    if (status.type() == std::filesystem::file_type::not_found)
        return fail(tr("File not found: %1").arg(shown));
    if (error)
        return fail(tr("Cannot open %1: %2").arg(shown, QString::fromStdString(error.message())));
    if (status.type() == std::filesystem::file_type::directory)
        return fail(tr("Cannot open %1: it is a folder").arg(shown));
    if (PlaylistReader::isPlaylistName(path)) {
        if (const std::optional<Road> road = openPlaylist(path, shown))
            return *road;
    }
    LayoutState *layout = m_layoutState;
    if (!layout)
        return Road::Rejected;
    if (auto record = localFileRecord(m_engine, localFileUrl(path))) {
        settings.applyTo(*record);
        layout->appendVideoMeta(record);
        return Road::LocalFile;
    }
    return fail(tr("Cannot open %1").arg(shown));
}

// Nothing when the file is an HLS stream, which the engine plays like any video.
std::optional<LinkOpener::Road> LinkOpener::openPlaylist(const QByteArray &path,
                                                         const QString &shown)
{
    std::ifstream file(fileSystemPath(path), std::ios::binary);
    QByteArray content(kMaxPlaylistBytes + 1, Qt::Uninitialized);
    file.read(content.data(), content.size());
    content.truncate(static_cast<qsizetype>(file.gcount()));
    if (file.bad() || (content.isEmpty() && !file.eof()))
        return fail(tr("Cannot open %1: it cannot be read").arg(shown));
    if (content.size() > kMaxPlaylistBytes)
        return fail(tr("Cannot open %1: the playlist is larger than 16 MB").arg(shown));
    if (PlaylistReader::isStream(content))
        return std::nullopt;
    const QByteArray directory =
        QByteArray::fromStdString(fileSystemPath(path).parent_path().native());
    PlaylistReader::Playlist playlist =
        PlaylistReader::read(content, directory, path.toLower().endsWith(".xspf"));
    if (playlist.skipped > 0)
        fail(tr("Playlist %1: %n entries skipped", nullptr, playlist.skipped).arg(shown));
    if (playlist.items.isEmpty())
        return fail(tr("Cannot open %1: it names no videos").arg(shown));
    if (playlist.items.size() > LayoutState::kMaxVideos) {
        fail(tr("Playlist %1: opening the first %2 of %3 videos")
                 .arg(shown)
                 .arg(LayoutState::kMaxVideos)
                 .arg(playlist.items.size()));
        playlist.items.resize(LayoutState::kMaxVideos);
    }
    emit playlistRead(path, playlist.items);
    return Road::Playlist;
}

LinkOpener::Road LinkOpener::openLink(const QString &text, const TileSettings &settings)
{
    const QString link = prefixedLink(text);
    if (!isValidVideoUrl(link))
        return fail(tr("Cannot open %1: not a valid link").arg(shownLink(link)));
    if (needsResolver(link)) {
        resolve(link, settings);
        return Road::Resolver;
    }
    const QUrl url(link);
    if (url.host().isEmpty() || !url.userInfo().isEmpty()) {
        openDirect(url, settings);
        return Road::Direct;
    }
    getCredentialsLater(
        url.host(), this, [this, url, settings](std::optional<Credentials> credentials) {
            if (!credentials) {
                openDirect(url, settings);
                return;
            }
            if (const auto withCredentials =
                    urlWithCredentials(url, credentials->username, credentials->password))
                openDirect(*withCredentials, settings);
            else
                fail(tr("Cannot open %1").arg(shownLink(url.toString())));
        });
    return Road::Direct;
}

void LinkOpener::openDirect(const QUrl &url, const TileSettings &settings)
{
    LayoutState *layout = m_layoutState;
    if (!layout)
        return;
    if (auto record = directLinkRecord(m_engine, url)) {
        settings.applyTo(*record);
        layout->appendVideoMeta(record);
    } else {
        fail(tr("Cannot open %1").arg(shownLink(url.toString())));
    }
}

void LinkOpener::resolve(const QString &link, const TileSettings &settings)
{
    m_loaders.push_back(buildResolverRequest(m_resolverUrl, link, m_resolverTiming));
    UrlLoader *loader = m_loaders.back().get();
    const auto finished = [this, loader] {
        std::erase_if(m_loaders, [loader](const auto &held) { return held.get() == loader; });
    };
    connect(loader, &UrlLoader::loaded, this,
            [this, link, settings, finished](const QStringList &urls) {
                LayoutState *layout = m_layoutState;
                if (const auto record =
                        layout ? resolvedRecord(m_engine, urls, link, this, nullptr) : nullptr) {
                    settings.applyTo(*record);
                    layout->appendVideoMeta(record);
                } else {
                    fail(tr("No video found at %1").arg(shownLink(link)));
                }
                // The loader is inside its own signal: it goes once that is over.
                QMetaObject::invokeMethod(this, finished, Qt::QueuedConnection);
            });
    connect(loader, &UrlLoader::failed, this, [this, link, finished] {
        fail(tr("Cannot open %1").arg(shownLink(link)));
        QMetaObject::invokeMethod(this, finished, Qt::QueuedConnection);
    });
    loader->load();
}

// A missing path may be a link typed without its scheme, password and all.
LinkOpener::Road LinkOpener::fail(const QString &text)
{
    const QString notice = withoutUrlCredentials(text);
    qCWarning(lcVideoOpener, "%s", qUtf8Printable(notice));
    emit failed(notice);
    if (ViewState *state = m_viewState)
        state->setShowFailedToOpenAlert(true);
    return Road::Rejected;
}

} // namespace marquetrix

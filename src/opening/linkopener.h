#pragma once

#include "openingitem.h"
#include "urlloader.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <list>
#include <memory>
#include <optional>

namespace marquetrix {

class LayoutState;
class MediaEngine;
class ViewState;

// Opens links the window receives without the dialog (on the command line, dropped on the
// window) as new tiles, on the road the dialog would take: local files and direct media
// links straight into the engine (a link to a host with stored credentials carrying them),
// page links through the resolver. Each failure is logged, named in `failed` and raises
// the window's notice.
class LinkOpener : public QObject
{
    Q_OBJECT

public:
    enum class Road
    {
        LocalFile,
        Direct,
        Resolver,
        // A playlist file: its items come with playlistRead.
        Playlist,
        Rejected,
    };

    LinkOpener(ViewState &viewState, LayoutState &layoutState, MediaEngine &engine,
               QObject *parent = nullptr);
    ~LinkOpener() override;

    // A command-line argument, in the bytes it was given: an existing file whatever its
    // name, a file URL, or a link with its scheme. Anything else is a path, and missing.
    // The settings go to its tile.
    Road open(const QByteArray &argument, const TileSettings &settings = {});
    // A dropped or picked item.
    Road open(const QUrl &url);
    // Text would be taken for a URL: say which of the two it is.
    Road open(const QString &) = delete;

    void setResolverUrl(const QUrl &url) { m_resolverUrl = url; }
    void setResolverTiming(const ResolverTiming &timing) { m_resolverTiming = timing; }

    // What failed, as the notice names it (never with a password).
    Q_SIGNAL void failed(const QString &notice);
    // The items of the playlist file at `path` (absolute), at most as many as a window holds,
    // to be opened in its place.
    Q_SIGNAL void playlistRead(const QByteArray &path, const QList<OpeningItem> &items);

private:
    Road openFile(const QByteArray &path, const QString &shown, const TileSettings &settings);
    std::optional<Road> openPlaylist(const QByteArray &path, const QString &shown);
    Road openLink(const QString &link, const TileSettings &settings);
    void openDirect(const QUrl &url, const TileSettings &settings);
    void resolve(const QString &link, const TileSettings &settings);
    Road fail(const QString &text);

    QPointer<ViewState> m_viewState;
    QPointer<LayoutState> m_layoutState;
    MediaEngine &m_engine;
    QUrl m_resolverUrl;
    ResolverTiming m_resolverTiming;
    std::list<std::unique_ptr<UrlLoader>> m_loaders;
};

} // namespace marquetrix

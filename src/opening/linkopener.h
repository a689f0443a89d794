#pragma once

#include "urlloader.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <list>
#include <memory>

namespace marquetrix {

class LayoutState;
class MediaEngine;
class ViewState;

// Opens links the window receives without the dialog (on the command line, dropped on the
// window) as new tiles, on the road the dialog would take: local files and direct media
// links straight into the engine (a link to a host with stored credentials carrying them),
// page links through the resolver. Failures are logged and raise the window's
// "Failed to open video" notice.
class LinkOpener : public QObject
{
    Q_OBJECT

public:
    enum class Road
    {
        LocalFile,
        Direct,
        Resolver,
        Rejected,
    };

    LinkOpener(ViewState &viewState, LayoutState &layoutState, MediaEngine &engine,
               QObject *parent = nullptr);
    ~LinkOpener() override;

    // A command-line argument: an existing file, or a link as it would be typed.
    Road open(const QString &text);
    // A dropped item.
    Road open(const QUrl &url);

    void setResolverUrl(const QUrl &url) { m_resolverUrl = url; }
    void setResolverTiming(const ResolverTiming &timing) { m_resolverTiming = timing; }

private:
    Road openLink(const QString &link);
    void openDirect(const QUrl &url);
    void resolve(const QString &link);
    void fail();

    QPointer<ViewState> m_viewState;
    QPointer<LayoutState> m_layoutState;
    MediaEngine &m_engine;
    QUrl m_resolverUrl;
    ResolverTiming m_resolverTiming;
    std::list<std::unique_ptr<URLLoader>> m_loaders;
};

} // namespace marquetrix

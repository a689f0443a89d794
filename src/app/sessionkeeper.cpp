#include "sessionkeeper.h"

#include "applogging.h"
#include "appsettings.h"
#include "contentcontroller.h"
#include "playlistwriter.h"
#include "videometadata.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace marquetrix {

SessionKeeper::SessionKeeper(QObject *parent) : QObject(parent) {}

void SessionKeeper::setController(ContentController *value)
{
    m_controller = value;
    emit controllerChanged();
}

void SessionKeeper::dismissFailure()
{
    m_failure.clear();
    emit failureChanged();
}

void SessionKeeper::begin(bool restore)
{
    ContentController *controller = m_controller;
    if (!controller)
        return;
    // Once: the window stops again on its way out, with nothing left in it by then.
    connect(controller, &ContentController::stopping, this, &SessionKeeper::save,
            Qt::SingleShotConnection);
    AppSettings settings;
    if (!restore || !settings.restoreSession())
        return;
    const SessionSnapshot snapshot = m_store.load();
    if (snapshot.tiles.isEmpty())
        return;
    qCInfo(lcSession, "Restoring %lld videos from %s", qlonglong(snapshot.tiles.size()),
           qUtf8Printable(m_store.path()));
    settings.setLayoutAlgorithm(snapshot.layoutAlgorithm);
    controller->openItems(snapshot.tiles);
}

void SessionKeeper::clear()
{
    m_store.clear();
    m_forgotten.clear();
    if (ContentController *controller = m_controller) {
        for (const auto &record : controller->layoutState()->videoMetas())
            m_forgotten.insert(record->id());
    }
    qCInfo(lcSession, "Session cleared");
}

void SessionKeeper::save()
{
    ContentController *controller = m_controller;
    AppSettings settings;
    if (!controller || !settings.restoreSession()) {
        m_store.clear();
        return;
    }
    QList<std::shared_ptr<VideoMetadata>> kept = controller->layoutState()->videoMetas();
    kept.removeIf([this](const auto &record) { return m_forgotten.contains(record->id()); });
    if (m_store.save(SessionSnapshot::of(kept, settings.layoutAlgorithm())))
        qCInfo(lcSession, "Saved %lld videos to %s", qlonglong(kept.size()),
               qUtf8Printable(m_store.path()));
}

bool SessionKeeper::saveAsPlaylist(const QUrl &file)
{
    ContentController *controller = m_controller;
    if (!controller)
        return false;
    // The toolkit's own panel answers a plain path when it adds a suffix.
    QString path = file.isLocalFile()        ? file.toLocalFile()
                   : file.scheme().isEmpty() ? file.path()
                                             : QString();
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".m3u8");
    QSaveFile out(path);
    if (!path.isEmpty() && out.open(QIODevice::WriteOnly) &&
        out.write(PlaylistWriter::write(controller->layoutState()->videoMetas())) >= 0 &&
        out.commit()) {
        qCInfo(lcSession, "Saved the playlist %s", qUtf8Printable(path));
        return true;
    }
    m_failure = tr("Cannot save the playlist %1: %2")
                    .arg(file.toDisplayString(QUrl::PreferLocalFile), out.errorString());
    qCWarning(lcSession, "%s", qUtf8Printable(m_failure));
    emit failureChanged();
    return false;
}

QUrl SessionKeeper::playlistFolder()
{
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    return QUrl::fromLocalFile(QFileInfo(videos).isDir() ? videos : QDir::homePath());
}

} // namespace marquetrix

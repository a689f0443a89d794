#include "sessionstore.h"

#include "applogging.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace marquetrix {

namespace {

// Far more than 64 tiles take; the file is read whole at start.
constexpr qint64 kMaxSessionBytes = 4 * 1024 * 1024;

} // namespace

SessionStore::SessionStore(QString path) : m_path(std::move(path)) {}

QString SessionStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/session.json");
}

SessionSnapshot SessionStore::load() const
{
    QFile file(m_path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcSession, "Cannot read the session %s: %s", qUtf8Printable(m_path),
                  qUtf8Printable(file.errorString()));
        return {};
    }
    if (file.size() > kMaxSessionBytes) {
        setAside(QStringLiteral("larger than 4 MB"));
        return {};
    }
    if (const std::optional<SessionSnapshot> snapshot = SessionSnapshot::fromJson(file.readAll()))
        return *snapshot;
    setAside(QStringLiteral("not a session"));
    return {};
}

bool SessionStore::save(const SessionSnapshot &snapshot) const
{
    QSaveFile file(m_path);
    const bool saved = QDir().mkpath(QFileInfo(m_path).path()) && file.open(QIODevice::WriteOnly) &&
                       file.write(snapshot.toJson()) >= 0 && file.commit();
    if (!saved)
        qCWarning(lcSession, "Cannot save the session to %s: %s", qUtf8Printable(m_path),
                  qUtf8Printable(file.errorString()));
    return saved;
}

void SessionStore::clear() const
{
    if (QFile::exists(m_path) && !QFile::remove(m_path))
        qCWarning(lcSession, "Cannot remove the session %s", qUtf8Printable(m_path));
}

void SessionStore::setAside(const QString &why) const
{
    const QString aside =
        m_path + QStringLiteral(".corrupt-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddThhmmss"));
    if (QFile::rename(m_path, aside))
        qCWarning(lcSession, "The session %s is %s; set aside as %s", qUtf8Printable(m_path),
                  qUtf8Printable(why), qUtf8Printable(aside));
    else
        qCWarning(lcSession, "The session %s is %s and cannot be set aside; not restored",
                  qUtf8Printable(m_path), qUtf8Printable(why));
}

} // namespace marquetrix

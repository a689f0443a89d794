#pragma once

#include "sessionsnapshot.h"

#include <QString>

namespace marquetrix {

// The session file, session.json in the application's data folder (XDG_DATA_HOME).
// Written whole or not at all; a file that does not read is set aside as
// session.json.corrupt-<time>, with a warning, and reads as no session.
class SessionStore
{
public:
    explicit SessionStore(QString path = defaultPath());
    static QString defaultPath();
    const QString &path() const { return m_path; }

    // Empty when nothing is stored.
    SessionSnapshot load() const;
    bool save(const SessionSnapshot &snapshot) const;
    void clear() const;

private:
    void setAside(const QString &why) const;

    QString m_path;
};

} // namespace marquetrix

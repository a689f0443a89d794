#pragma once

#include <QString>
#include <QStringList>

namespace marquetrix {

// The text with the user name and password taken out of every URL in it, also of the
// scheme-less "user:password@host/..." form libVLC logs a location in. For log lines of
// code that sees URLs with credentials in them (the engine's own messages).
QString withoutUrlCredentials(const QString &text);

// A list of URLs from outside (a resolver's answer, a page's links) as a log line shows
// it: ["a", "b"], without passwords, each URL and the list cut short ("and N more").
QString loggableUrlList(const QStringList &urls);

} // namespace marquetrix

#pragma once

#include <QString>

namespace marquetrix {

// The text with the user name and password taken out of every URL in it, also of the
// scheme-less "user:password@host/..." form libVLC logs a location in. For log lines of
// code that sees URLs with credentials in them (the engine's own messages).
QString withoutUrlCredentials(const QString &text);

} // namespace marquetrix

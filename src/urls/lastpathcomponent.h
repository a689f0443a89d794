#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace marquetrix {

// The last non-empty component of the URL's path ("b" for http://host/a/b/), or an empty
// string when the path has none.
inline QString lastPathComponent(const QUrl &url)
{
    const QStringList components = url.path().split(u'/', Qt::SkipEmptyParts);
    return components.isEmpty() ? QString() : components.last();
}

} // namespace marquetrix

#include "secretredaction.h"

#include <QRegularExpression>

namespace marquetrix {

QString withoutUrlCredentials(const QString &text)
{
    if (!text.contains(u'@'))
        return text;
    // "user:password@" up to the host: no blanks, quotes, slashes or further @ inside.
    static const QRegularExpression userInfo(QStringLiteral(R"([^\s/@'"`<>]+:[^\s/@'"`<>]*@)"));
    QString result = text;
    return result.replace(userInfo, QString());
}

} // namespace marquetrix

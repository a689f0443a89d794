#include "translations.h"

#include "applogging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace marquetrix {

Translations::Translations()
{
    // QLocale() follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG, in the desktop's order.
    const QLocale locale;
    if (m_own.load(locale, QStringLiteral("marquetrix"), QStringLiteral("_"),
                   QStringLiteral(":/i18n"))) {
        QCoreApplication::installTranslator(&m_own);
        qCInfo(lcMain, "Texts in %s", qUtf8Printable(m_own.language()));
    }
    // Debian ships Qt's translations apart (qt6-translations-l10n); without them Qt's own
    // texts stay English.
    if (m_qt.load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_qt);
}

} // namespace marquetrix

#pragma once

#include <QTranslator>

namespace marquetrix {

// Our texts and Qt's own (its dialogs, key names) in the desktop's language, for as long as
// the object lives. The texts in the code are English: where no translation matches the
// locale, nothing is loaded and they show as they are.
class Translations
{
public:
    Translations();
    Translations(const Translations &) = delete;
    Translations &operator=(const Translations &) = delete;

private:
    QTranslator m_own;
    QTranslator m_qt;
};

} // namespace marquetrix

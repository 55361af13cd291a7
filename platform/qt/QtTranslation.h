#pragma once

#include "platform/Translation.h"

class QCoreApplication;
class QTranslator;

namespace ryk {

/// Makes Qt's own texts (message box and dialog buttons, the folder picker) speak the language
/// of ours: Japanese, the program's source language, unless the user's language is English,
/// which Qt's texts are written in. Japanese ones come with Qt (Debian:
/// qt6-translations-l10n). The installed translator, owned by `application`; null when none
/// is needed or Qt's translation is not installed.
QTranslator* installQtTranslation(QCoreApplication& application,
                                  Language language = Language::Japanese);

/// Installs the program's own translation for `language` (none for Japanese, its source
/// language) and Qt's to match. The program's translator, owned by `application`; null for
/// Japanese or when the English one is missing.
QTranslator* installTranslations(QCoreApplication& application, Language language);

/// The engine's hook answered by the translators installed in the application.
class QtTextTranslation : public Translation {
public:
    std::string translate(const char* context, const char* text) const override;
};

/// The one QtTextTranslation the desktop program's windows and its engine share.
const Translation& qtTextTranslation();

} // namespace ryk

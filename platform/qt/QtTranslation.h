#pragma once

class QCoreApplication;
class QTranslator;

namespace ryk {

/// Makes Qt's own texts (message box and dialog buttons, the folder picker) speak the language
/// of ours: Japanese, the program's source language, under every locale as long as the program
/// has no translation of its own. They come with Qt (Debian: qt6-translations-l10n). The
/// installed translator, owned by `application`; null when Qt's translation is not installed.
QTranslator* installQtTranslation(QCoreApplication& application);

} // namespace ryk

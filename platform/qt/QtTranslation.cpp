#include "platform/qt/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ryk {

QTranslator* installQtTranslation(QCoreApplication& application, Language language) {
    if (language == Language::English)
        return nullptr;
    auto* translator = new QTranslator(&application);
    // Qt's texts in the locale's language would mix, say, German buttons into Japanese windows.
    if (!translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

QTranslator* installTranslations(QCoreApplication& application, Language language) {
    installQtTranslation(application, language);
    if (language != Language::English)
        return nullptr;
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral(":/i18n/ryk_en.qm"))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

std::string QtTextTranslation::translate(const char* context, const char* text) const {
    return QCoreApplication::translate(context, text).toStdString();
}

const Translation& qtTextTranslation() {
    static const QtTextTranslation translation;
    return translation;
}

} // namespace ryk

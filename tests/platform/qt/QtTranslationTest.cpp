#include "platform/qt/QtTranslation.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace ryk {
namespace {

TEST(QtTranslation, QtsOwnButtonsSpeakJapanese) {
    QTranslator* translator = installQtTranslation(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "Qt's translations are missing (qt6-translations-l10n)";
    QMessageBox question(QMessageBox::Warning, QStringLiteral("Rykmere"), QStringLiteral("?"),
                         QMessageBox::Yes | QMessageBox::No);
    QDialogButtonBox sheetButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                  QDialogButtonBox::Help);
    const QStringList texts{question.button(QMessageBox::Yes)->text(),
                            question.button(QMessageBox::No)->text(),
                            sheetButtons.button(QDialogButtonBox::Cancel)->text(),
                            sheetButtons.button(QDialogButtonBox::Help)->text()};
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_EQ(texts, (QStringList{"はい(&Y)", "いいえ(&N)", "キャンセル", "ヘルプ"}));
}

} // namespace
} // namespace ryk

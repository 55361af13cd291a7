#include "app/SettingsFile.h"
#include "desktop/main/AboutWindow.h"
#include "desktop/main/FolderPicker.h"
#include "desktop/main/HelpWindow.h"
#include "desktop/main/MainWindow.h"
#include "desktop/main/OptionsSheet.h"
#include "support/EngineFixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace ryk {
namespace {

/// What a user reads on or beside a control: its own text, or its label's, without the
/// mnemonic "(&X)" and a hint after a tab.
QString readText(QString text) {
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    text.remove(mnemonic).remove(u'&');
    return text.left(text.indexOf(u'\t')).trimmed();
}

/// "name: visible text" for each control of `window` whose accessible name leaves out the
/// text a user sees on it or on its label. A label may also speak for its control as the
/// control's labelling relation (a combo box on Linux names itself by its current text).
QStringList namesWithoutTheirText(const QWidget& window) {
    QStringList missing;
    const QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        QString seen;
        if (const auto* button = qobject_cast<QAbstractButton*>(widget))
            seen = readText(button->text());
        else if (const auto* label = qobject_cast<QLabel*>(widget))
            seen = readText(label->text());
        for (const QLabel* label : window.findChildren<QLabel*>())
            if (seen.isEmpty() && label->buddy() == widget)
                seen = readText(label->text());
        if (seen.isEmpty())
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (!accessible) {
            missing << widget->objectName() + ": " + seen;
            continue;
        }
        const QString name = accessible->text(QAccessible::Name);
        bool said = name.contains(seen);
        for (const auto& relation : accessible->relations(QAccessible::Label))
            said = said || relation.first->text(QAccessible::Name).contains(seen);
        if (!said)
            missing << widget->objectName() + " \"" + name + "\": " + seen;
    }
    return missing;
}

class AccessibleNamesTest : public test::EngineTest {
protected:
    JobSettings job;
    SettingsFile settings;
    HelpDesk help;
};

TEST_F(AccessibleNamesTest, EachNameHoldsTheTextTheUserSees) {
    const std::function<std::unique_ptr<QWidget>()> windows[] = {
        [&] { return std::make_unique<MainWindow>(platform, job, settings, help); },
        [] { return std::make_unique<AboutWindow>(); },
        [] { return std::make_unique<OptionsSheet>(TransferMode::Update); },
        [&] {
            return std::make_unique<FolderPicker>(fileSystem, tmp.path(),
                                                  QStringLiteral("対象元ディレクトリの選択"));
        },
    };
    for (const auto& make : windows) {
        const std::unique_ptr<QWidget> window = make();
        EXPECT_EQ(namesWithoutTheirText(*window).join(" | ").toStdString(), "")
            << window->objectName().toStdString();
    }
    HelpWindow* shown = help.open(QStringLiteral("index.htm"), nullptr);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(namesWithoutTheirText(*shown).join(" | ").toStdString(), "");
}

} // namespace
} // namespace ryk

// The options sheet of a test, on screen as the main window runs it, with the user's hand on
// its controls.
#pragma once

#include "app/ModeRules.h"
#include "desktop/main/EditorPage.h"
#include "desktop/main/HistoryPage.h"
#include "desktop/main/OptionsSheet.h"
#include "desktop/main/SearchPage.h"
#include "support/FlagBytes.h"
#include "support/WindowWatch.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace ryk::test {

constexpr uint8_t M = kFlagNotApplicable;
using Items = std::vector<std::string>;

inline DateTime dateOf(int year, int month, int day, int hour, int minute, int second) {
    return DateTime::fromLocalFields(LocalFields{year, month, day, hour, minute, second});
}

inline Histories historiesOf(const std::vector<Items>& lists) {
    Histories histories;
    for (size_t i = 0; i < lists.size(); ++i)
        histories[i].assign(lists[i]);
    return histories;
}

/// A sheet on screen, as the main window runs it, with the user's hand on its controls.
class OptionsSheetTest : public testing::Test {
protected:
    OptionsSheet& open(TransferMode mode, const OptionFlags& flags = {},
                       const DateTime& afterDate = DateTime::now()) {
        sheet = std::make_unique<OptionsSheet>(mode);
        sheet->load({.flags = flags,
                     .afterDate = afterDate,
                     .explorerStyle = explorer,
                     .skipUnchanged = skipUnchanged,
                     .trash = trash,
                     .verify = verify,
                     .hardLinks = hardLinks,
                     .histories = loaded,
                     .tools = tools});
        sheet->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
        return *sheet;
    }
    void showPage(int index) { sheet->tabs().setCurrentIndex(index); }

    QWidget* search(int id) const { return sheet->searchPage().control(id); }
    QWidget* history(int id) const { return sheet->historyPage().control(id); }
    QListWidget& list() const {
        return *qobject_cast<QListWidget*>(history(HistoryPage::kEntryList));
    }
    QString entryText() const {
        return qobject_cast<QLineEdit*>(history(HistoryPage::kEntryText))->text();
    }

    /// A click where the user aims at a check box or radio button: its mark.
    static void clickMark(QWidget* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    static void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void press(QDialogButtonBox::StandardButton which) {
        click(sheet->findChild<QDialogButtonBox*>()->button(which));
    }

    void chooseKind(HistoryKind kind) {
        auto* combo = qobject_cast<QComboBox*>(history(HistoryPage::kKindCombo));
        combo->setFocus();
        while (combo->currentIndex() != static_cast<int>(kind))
            QTest::keyClick(combo, combo->currentIndex() < static_cast<int>(kind) ? Qt::Key_Down
                                                                                  : Qt::Key_Up);
    }
    void selectLine(int row) {
        QListWidget& lines = list();
        QTest::mouseClick(lines.viewport(), Qt::LeftButton, {},
                          lines.visualItemRect(lines.item(row)).center());
    }
    Items lines() const {
        Items texts;
        for (int row = 0; row < list().count(); ++row)
            texts.push_back(list().item(row)->text().toStdString());
        return texts;
    }
    /// "1" per usable button in the order 削除, 上へ, 下へ.
    std::string usableButtons() const {
        std::string usable;
        for (int id :
             {HistoryPage::kDeleteButton, HistoryPage::kUpButton, HistoryPage::kDownButton})
            usable += history(id)->isEnabled() ? '1' : '0';
        return usable;
    }
    const OptionsState& stored() const { return sheet->options(); }

    /// One letter per control 1070-1087 from the widgets themselves.
    std::string widgetStates(bool (*test)(const QWidget*)) const {
        std::string letters;
        for (int id = kFirstSearchControl; id <= kLastSearchControl; ++id)
            if (const QWidget* widget = search(id))
                letters += test(widget) ? '1' : '0';
        return letters;
    }
    static bool shown(const QWidget* w) { return w->isVisible(); }
    static bool enabled(const QWidget* w) { return w->isEnabled(); }
    static bool checked(const QWidget* w) {
        const auto* button = qobject_cast<const QAbstractButton*>(w);
        return button && button->isChecked();
    }
    Histories loaded = historiesOf(
        {{"/src/a", "/src/b", "/src/c"}, {"*.c", "*.h"}, {"*.o"}, {"/dst/x", "/dst/y"}, {"*.bak"}});
    ToolPaths tools{"/usr/bin/hexedit", "/usr/bin/vi", "/usr/bin/diff"};
    bool explorer = false;
    bool skipUnchanged = false;
    bool trash = false;
    bool verify = false;
    bool hardLinks = false;
    std::unique_ptr<OptionsSheet> sheet;
};

} // namespace ryk::test

#include "desktop/main/OptionsSheet.h"

#include "app/ModeRules.h"
#include "desktop/main/EditorPage.h"
#include "desktop/main/HistoryPage.h"
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

namespace ryk {
namespace {

constexpr uint8_t M = kFlagNotApplicable;
using Items = std::vector<std::string>;

using test::bytesOf;
using test::flagsOf;

DateTime dateOf(int year, int month, int day, int hour, int minute, int second) {
    return DateTime::fromLocalFields(LocalFields{year, month, day, hour, minute, second});
}

Histories historiesOf(const std::vector<Items>& lists) {
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
        sheet->load({flags, afterDate, explorer, loaded, tools});
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

    /// One letter per control 1070-1082 from the widgets themselves.
    std::string widgetStates(bool (*test)(const QWidget*)) const {
        std::string letters;
        for (int id = kFirstSearchControl; id <= kLastSearchControl; ++id)
            letters += test(search(id)) ? '1' : '0';
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
    std::unique_ptr<OptionsSheet> sheet;
};

TEST_F(OptionsSheetTest, TheSheetHasItsCaptionPagesButtonsAndNamedControls) {
    open(TransferMode::Update);
    EXPECT_EQ(sheet->windowTitle(), "Rykmere - option");
    ASSERT_EQ(sheet->tabs().count(), 3);
    EXPECT_EQ(sheet->tabs().tabText(0), "オプション");
    EXPECT_EQ(sheet->tabs().tabText(1), "履歴");
    EXPECT_EQ(sheet->tabs().tabText(2), "エディタ設定");
    EXPECT_EQ(sheet->tabs().currentIndex(), 0);
    auto* buttons = sheet->findChild<QDialogButtonBox*>();
    EXPECT_EQ(buttons->standardButtons(),
              QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help);

    auto* kinds = qobject_cast<QComboBox*>(history(HistoryPage::kKindCombo));
    const char* kindTexts[] = {"更新元のディレクトリ", "更新元のファイル名",
                               "更新元の除外ファイル名", "更新先のディレクトリ",
                               "更新先のファイル名"};
    ASSERT_EQ(kinds->count(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(kinds->itemText(i), kindTexts[i]);

    std::vector<QWidget*> controls;
    for (int id = kFirstSearchControl; id <= kLastSearchControl; ++id)
        controls.push_back(search(id));
    for (int id = HistoryPage::kKindCombo; id <= HistoryPage::kEntryText; ++id)
        if (id != 1094 && id != 1096)
            controls.push_back(history(id));
    for (int id = EditorPage::kBinaryEditorPath; id <= EditorPage::kComparisonProgramBrowse; ++id)
        controls.push_back(sheet->editorPage().control(id));
    for (QWidget* control : controls) {
        ASSERT_NE(control, nullptr);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
            << control->property("controlId").toInt();
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(
                  sheet->editorPage().control(EditorPage::kTextEditorPath))
                  ->text(QAccessible::Name),
              "テキストエディタ");
}

TEST_F(OptionsSheetTest, TheSearchPageWidgetsShowWhatTheModeUses) {
    const std::vector<uint8_t> on = {1, 1, 0, 0, 1, 1, 1, 0, 0, 1};
    const struct {
        TransferMode mode;
        // Controls 1070 ... 1082, the pickers 1080 and 1081 last but one.
        std::string shown, enabled, checked;
    } cases[] = {
        {TransferMode::Update, "1111011111111", "1111111111111", "1100011001001"},
        {TransferMode::Search, "1000010001111", "1111111111110", "1000010001001"},
        // Sync: the date switch is off and out of reach whatever the flags say.
        {TransferMode::Sync, "1111111111111", "1111100000000", "1100101001001"},
        {TransferMode::Response, "1111111111111", "0000000000001", "0000000000001"},
    };
    explorer = true;
    for (const auto& c : cases) {
        OptionFlags flags = flagsOf(on);
        adjustFlagsForMode(flags, c.mode, true);
        open(c.mode, flags);
        EXPECT_EQ(widgetStates(shown), c.shown) << modeName(c.mode);
        EXPECT_EQ(widgetStates(enabled), c.enabled) << modeName(c.mode);
        EXPECT_EQ(widgetStates(checked), c.checked) << modeName(c.mode);
    }
}

TEST_F(OptionsSheetTest, ClicksOnTheSearchPageReachTheFlagsOnOk) {
    const struct {
        const char* what;
        TransferMode mode;
        std::vector<uint8_t> bytes;
        std::vector<int> clicks;
        std::vector<int> stored;
    } cases[] = {
        {"update: the removal remembered under the mark is gone",
         TransferMode::Update,
         {0, 0, 0, 0, M | 1, 0, 0, 0, 0, 0},
         {kSubdirectoriesCheck},
         {1, 1, 0, 0, M, 0, 0, 0, 0, 0}},
        {"search: the hidden first choice is stored, still marked",
         TransferMode::Search,
         {0, M, M, M, M, 0, M, M, M, 0},
         {kSubdirectoriesCheck},
         {1, M | 1, M, M, M, 0, M, M, M, 0}},
        {"sync: the date switch is stored off",
         TransferMode::Sync,
         {0, 0, 0, 0, 0, 1, 1, 0, 0, 0},
         {kConditionsCheck},
         {0, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
        {"response: both switches stored off",
         TransferMode::Response,
         {1, 1, 0, 0, 0, 1, 0, 0, 0, 1},
         {kSubdirectoriesCheck, kConditionsCheck},
         {0, 1, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"a radio button clicked twice stays checked",
         TransferMode::Move,
         {1, 1, 0, 0, 0, 0, 0, 0, 0, 0},
         {kStructureRadio, kStructureRadio},
         {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}},
        {"unchecking the date switch keeps its choices' bytes",
         TransferMode::Update,
         {0, 0, 0, 0, M, 1, 0, 0, 1, 0},
         {kConditionsCheck},
         {0, 0, 0, 0, M, 0, 0, 0, 1, 0}},
    };
    for (const auto& c : cases) {
        open(c.mode, flagsOf(c.bytes));
        for (int id : c.clicks)
            clickMark(search(id));
        press(QDialogButtonBox::Ok);
        EXPECT_EQ(bytesOf(stored().flags), c.stored) << c.what;
    }
}

TEST_F(OptionsSheetTest, TheDateSwitchChoosesTheFirstChoiceThereAndThePickersFollow) {
    const struct {
        TransferMode mode;
        int chosen;
        bool pickers;
    } cases[] = {
        {TransferMode::Update, kIgnoreDatesRadio, false},
        {TransferMode::Search, kAfterDateRadio, true},
        {TransferMode::Delete, kAfterDateRadio, true},
    };
    for (const auto& c : cases) {
        OptionFlags flags;
        adjustFlagsForMode(flags, c.mode, true);
        open(c.mode, flags);
        clickMark(search(kConditionsCheck));
        EXPECT_TRUE(checked(search(c.chosen))) << modeName(c.mode);
        EXPECT_EQ(search(kAfterDayPicker)->isEnabled(), c.pickers) << modeName(c.mode);
        EXPECT_EQ(search(kAfterTimePicker)->isEnabled(), c.pickers) << modeName(c.mode);
    }
    // Unchecking the switch puts the pickers out of reach and keeps the choice.
    clickMark(search(kConditionsCheck));
    EXPECT_FALSE(search(kAfterDayPicker)->isEnabled());
    EXPECT_TRUE(checked(search(kAfterDateRadio)));
}

TEST_F(OptionsSheetTest, ThePickersShowTheDateAndTheTimeAndOkJoinsThem) {
    open(TransferMode::Update, flagsOf({0, 0, 0, 0, M, 1, 0, 0, 0, 1}),
         dateOf(2004, 2, 1, 13, 45, 10));
    auto* day = qobject_cast<QDateEdit*>(search(kAfterDayPicker));
    auto* time = qobject_cast<QTimeEdit*>(search(kAfterTimePicker));
    EXPECT_EQ(day->date(), QDate(2004, 2, 1));
    EXPECT_EQ(day->text(), "2004/02/01");
    EXPECT_EQ(time->time(), QTime(13, 45, 10));
    EXPECT_EQ(time->text(), "13:45:10");
    EXPECT_TRUE(day->calendarPopup());

    // The user types the new time over the old one, section by section.
    time->setFocus();
    time->setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClicks(time, "08");
    time->setSelectedSection(QDateTimeEdit::MinuteSection);
    QTest::keyClicks(time, "00");
    time->setSelectedSection(QDateTimeEdit::SecondSection);
    QTest::keyClicks(time, "00");
    EXPECT_EQ(time->time(), QTime(8, 0, 0));
    press(QDialogButtonBox::Ok);
    EXPECT_EQ(stored().afterDate, dateOf(2004, 2, 1, 8, 0, 0)) << stored().afterDate.text();
}

TEST_F(OptionsSheetTest, ChangesCountOnlyWhenTheSheetEndsWithOk) {
    for (const auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Ok}) {
        const bool ok = button == QDialogButtonBox::Ok;
        const DateTime afterDate = dateOf(2004, 2, 1, 13, 45, 10);
        open(TransferMode::Move, flagsOf({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), afterDate);
        clickMark(search(kSubdirectoriesCheck));
        clickMark(search(kExplorerCheck));
        qobject_cast<QTimeEdit*>(search(kAfterTimePicker))->setTime(QTime(8, 0, 0));

        // Edits of two kinds, the first one left on show.
        showPage(1);
        chooseKind(HistoryKind::DestinationDirectory);
        selectLine(0);
        click(history(HistoryPage::kDeleteButton));
        chooseKind(HistoryKind::SourceDirectory);
        selectLine(2);
        click(history(HistoryPage::kUpButton));

        showPage(2);
        sheet->editorPage().setProgramPicker(
            [](const QString&, const QString&) { return QStringLiteral("/opt/bin/hexer"); });
        click(sheet->editorPage().control(EditorPage::kBinaryEditorBrowse));

        press(button);
        EXPECT_EQ(sheet->result(), ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(bytesOf(stored().flags),
                  (ok ? std::vector<int>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0} : std::vector<int>(10, 0)));
        EXPECT_EQ(stored().afterDate, ok ? dateOf(2004, 2, 1, 8, 0, 0) : afterDate);
        EXPECT_EQ(stored().explorerStyle, ok);
        const Histories& histories = stored().histories;
        EXPECT_EQ(histories[0].items(),
                  ok ? Items({"/src/a", "/src/c", "/src/b"}) : loaded[0].items());
        EXPECT_EQ(histories[3].items(), ok ? Items({"/dst/y"}) : loaded[3].items());
        EXPECT_EQ(histories[1].items(), loaded[1].items());
        EXPECT_EQ(stored().tools.binaryEditor, ok ? "/opt/bin/hexer" : tools.binaryEditor);
        EXPECT_EQ(stored().tools.textEditor, tools.textEditor);
    }
}

TEST_F(OptionsSheetTest, TheHistoryButtonsFollowTheSelection) {
    open(TransferMode::Update);
    showPage(1);
    const struct {
        HistoryKind kind;
        int row;            // -1: no line selected
        std::string usable; // 削除, 上へ, 下へ
    } cases[] = {
        {HistoryKind::SourceDirectory, -1, "000"},  {HistoryKind::SourceDirectory, 0, "101"},
        {HistoryKind::SourceDirectory, 1, "111"},   {HistoryKind::SourceDirectory, 2, "110"},
        {HistoryKind::ExclusionPatterns, 0, "100"}, {HistoryKind::DestinationPattern, -1, "000"},
    };
    for (const auto& c : cases) {
        chooseKind(c.kind);
        if (c.row >= 0)
            selectLine(c.row);
        EXPECT_EQ(usableButtons(), c.usable) << static_cast<int>(c.kind) << " " << c.row;
        EXPECT_TRUE(history(HistoryPage::kDeleteAllButton)->isEnabled());
        EXPECT_TRUE(history(HistoryPage::kClearSelectionButton)->isEnabled());
    }
}

TEST_F(OptionsSheetTest, TheHistoryButtonsEditTheShownList) {
    loaded = historiesOf({{"/a", "/b", "/c", "/d"}, {"*.c"}});
    open(TransferMode::Update);
    showPage(1);
    EXPECT_EQ(entryText(), "");

    selectLine(1);
    EXPECT_EQ(entryText(), "/b");
    click(history(HistoryPage::kDownButton));
    click(history(HistoryPage::kDownButton));
    // The moved line stays selected all the way to the end, where it cannot go further.
    EXPECT_EQ(lines(), Items({"/a", "/c", "/d", "/b"}));
    EXPECT_EQ(list().currentRow(), 3);
    EXPECT_EQ(entryText(), "/b");
    EXPECT_EQ(usableButtons(), "110");
    click(history(HistoryPage::kUpButton));
    EXPECT_EQ(lines(), Items({"/a", "/c", "/b", "/d"}));

    click(history(HistoryPage::kClearSelectionButton));
    EXPECT_EQ(entryText(), "");
    EXPECT_TRUE(list().selectedItems().isEmpty());
    EXPECT_EQ(usableButtons(), "000");

    selectLine(0);
    click(history(HistoryPage::kDeleteButton));
    EXPECT_EQ(lines(), Items({"/c", "/b", "/d"}));
    EXPECT_EQ(entryText(), "");
    EXPECT_EQ(usableButtons(), "000");

    // Switching to another kind and back keeps the edits.
    chooseKind(HistoryKind::SourcePatterns);
    EXPECT_EQ(lines(), Items({"*.c"}));
    EXPECT_EQ(entryText(), "");
    click(history(HistoryPage::kDeleteAllButton));
    EXPECT_EQ(list().count(), 0);
    chooseKind(HistoryKind::SourceDirectory);
    EXPECT_EQ(lines(), Items({"/c", "/b", "/d"}));

    press(QDialogButtonBox::Ok);
    const Histories& histories = stored().histories;
    EXPECT_EQ(histories[0].items(), Items({"/c", "/b", "/d"}));
    EXPECT_TRUE(histories[1].empty());
}

TEST_F(OptionsSheetTest, ThePickedProgramReplacesItsPathAndACancelledPickKeepsIt) {
    const struct {
        int button;
        int path;
        const char* title;
    } buttons[] = {
        {EditorPage::kBinaryEditorBrowse, EditorPage::kBinaryEditorPath, "バイナリエディタの設定"},
        {EditorPage::kTextEditorBrowse, EditorPage::kTextEditorPath, "テキストエディタの設定"},
        {EditorPage::kComparisonProgramBrowse, EditorPage::kComparisonProgramPath,
         "比較用プログラムの設定"},
    };
    open(TransferMode::Update);
    showPage(2);
    EditorPage& page = sheet->editorPage();
    QString answer;
    QString askedTitle;
    QString askedStart;
    page.setProgramPicker([&](const QString& title, const QString& current) {
        askedTitle = title;
        askedStart = current;
        return answer;
    });
    for (const auto& b : buttons) {
        auto* path = qobject_cast<QLineEdit*>(page.control(b.path));
        const QString before = path->text();
        answer.clear();
        click(page.control(b.button));
        EXPECT_EQ(askedTitle, b.title);
        EXPECT_EQ(askedStart, before);
        EXPECT_EQ(path->text(), before) << b.title;

        answer = QStringLiteral("/opt/tools/") + QString::number(b.button);
        click(page.control(b.button));
        EXPECT_EQ(path->text(), answer) << b.title;
    }
    press(QDialogButtonBox::Ok);
    EXPECT_EQ(stored().tools.binaryEditor, "/opt/tools/1101");
    EXPECT_EQ(stored().tools.textEditor, "/opt/tools/1103");
    EXPECT_EQ(stored().tools.comparisonProgram, "/opt/tools/1105");
}

TEST_F(OptionsSheetTest, HelpAndF1ShowTheTopicOfThePageOnShow) {
    open(TransferMode::Update);
    // Without a handler nothing happens, and the sheet stays open.
    QTest::keyClick(sheet.get(), Qt::Key_F1);
    EXPECT_TRUE(sheet->isVisible());

    std::vector<QString> topics;
    sheet->setHelpHandler([&topics](const QString& topic) { topics.push_back(topic); });
    for (int page = 0; page < 3; ++page) {
        showPage(page);
        press(QDialogButtonBox::Help);
        QTest::keyClick(sheet->tabs().currentWidget(), Qt::Key_F1);
    }
    EXPECT_EQ(topics, (std::vector<QString>{"option.htm", "option.htm", "option2.htm",
                                            "option2.htm", "option3.htm", "option3.htm"}));
    EXPECT_TRUE(sheet->isVisible());

    // The clicked Help took no focus: Enter is OK's, not another look at the help.
    ASSERT_TRUE(test::showActive(*sheet));
    QTest::keyClick(sheet->windowHandle(), Qt::Key_Return);
    EXPECT_EQ(topics.size(), 6u);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
}

} // namespace
} // namespace ryk

#include "support/OptionsSheetFixture.h"

#include <gtest/gtest.h>

namespace ryk {
namespace {

using test::bytesOf;
using test::dateOf;
using test::flagsOf;
using test::historiesOf;
using test::Items;
using test::M;
using test::OptionsSheetTest;

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
        // Controls 1070 ... 1087: the pickers 1080 and 1081 before the six check boxes.
        std::string shown, enabled, checked;
    } cases[] = {
        {TransferMode::Update, "111101111111111111", "111111111111101111", "110001100100111110"},
        {TransferMode::Search, "100001000111111111", "111111111111000001", "100001000100111110"},
        // Sync: the date switch is off and out of reach whatever the flags say; leaving out
        // unchanged files is for it alone.
        {TransferMode::Sync, "111111111111111111", "111110000000011111", "110010100100111110"},
        {TransferMode::Response, "111111111111111111", "000000000000101101", "000000000000111110"},
    };
    explorer = skipUnchanged = trash = verify = hardLinks = true;
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

TEST_F(OptionsSheetTest, LeavingOutUnchangedFilesIsStoredOnOkAndTakesNoClickOutsideSync) {
    for (const auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Ok}) {
        open(TransferMode::Sync);
        // Its accelerator is its own on the page.
        ASSERT_TRUE(test::showActive(*sheet));
        QTest::keyClick(sheet->windowHandle(), Qt::Key_N, Qt::AltModifier);
        EXPECT_TRUE(checked(search(kSkipUnchangedCheck)));
        press(button);
        EXPECT_EQ(stored().skipUnchanged, button == QDialogButtonBox::Ok);
    }
    skipUnchanged = true;
    open(TransferMode::Update);
    clickMark(search(kSkipUnchangedCheck));
    press(QDialogButtonBox::Ok);
    EXPECT_TRUE(stored().skipUnchanged);
}

TEST_F(OptionsSheetTest, HardLinksAreStoredOnOkInUpdateAndSyncOnly) {
    for (const TransferMode mode : {TransferMode::Update, TransferMode::Sync, TransferMode::Move}) {
        SCOPED_TRACE(modeName(mode));
        open(mode);
        ASSERT_TRUE(test::showActive(*sheet));
        QTest::keyClick(sheet->windowHandle(), Qt::Key_H, Qt::AltModifier);
        press(QDialogButtonBox::Ok);
        EXPECT_EQ(stored().hardLinks, mode != TransferMode::Move);
    }
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

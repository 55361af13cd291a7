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

} // namespace
} // namespace ryk

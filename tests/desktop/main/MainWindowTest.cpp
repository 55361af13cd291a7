#include "support/MainWindowFixture.h"

#include <gtest/gtest.h>

namespace ryk {
namespace {

using test::Items;
using test::MainWindowTest;

TEST_F(MainWindowTest, EachModeEnablesItsInputsAndMarksItsFlags) {
    job.flags.subdirectories = 1;
    job.flags.recurse = 1;
    open();
    const struct {
        TransferMode mode;
        std::string enabled;
    } cases[] = {
        {TransferMode::Move, "11111111"},   {TransferMode::Search, "11110000"},
        {TransferMode::Delete, "11110000"}, {TransferMode::Response, "00100000"},
        {TransferMode::Sync, "11111110"},   {TransferMode::Update, "11111111"},
    };
    for (const auto& c : cases) {
        chooseMode(c.mode);
        EXPECT_EQ(window->job().mode, c.mode);
        EXPECT_EQ(enabledInputs(), c.enabled) << modeName(c.mode);
        EXPECT_EQ(window->findChild<HistoryComboBox*>("patternBox")->dropsFullPath(),
                  c.mode == TransferMode::Response);
    }
    // Search overwrote the choices; back in Update they stay cleared, removal stays marked.
    chooseMode(TransferMode::Search);
    EXPECT_EQ(window->job().flags.recurse, kFlagNotApplicable);
    chooseMode(TransferMode::Update);
    EXPECT_EQ(window->job().flags.recurse, 0);
    EXPECT_EQ(window->job().flags.subdirectories, 0);
    EXPECT_EQ(window->job().flags.removeSourceDirectories, kFlagNotApplicable);
}

TEST_F(MainWindowTest, StartValuesComeFromTheCommandLineJob) {
    job.mode = TransferMode::Search;
    job.sourceDirectory = source;
    job.sourcePatterns = "*.txt";
    job.flags.subdirectories = 1;
    job.flags.recurse = 1;
    settings.setLines(SettingsSection::SrcDir, {"1=/elsewhere", "2=/ELSEWHERE", "3=/more"});
    open();
    EXPECT_EQ(window->box(HistoryKind::SourceDirectory).currentText().toStdString(), source);
    EXPECT_EQ(window->box(HistoryKind::SourcePatterns).currentText(), "*.txt");
    EXPECT_EQ(modeList()->currentText(), "検索モード");
    EXPECT_EQ(items(HistoryKind::SourceDirectory), (Items{"/elsewhere", "/more"}));
    // "-s -r": the subdirectory switch stays, recursion is marked out of use.
    EXPECT_EQ(window->job().flags.subdirectories, 1);
    EXPECT_EQ(window->job().flags.recurse, kFlagNotApplicable);
    EXPECT_EQ(enabledInputs(), "11110000");
}

TEST_F(MainWindowTest, ExecuteRunsTheJobAndTheTextsEnterTheHistories) {
    job.flags.subdirectories = 1;
    job.flags.recurse = 1;
    settings.setLines(SettingsSection::SrcDir, {"1=/a", "2=/b", "3=" + source});
    open();
    setText(HistoryKind::SourceDirectory, source);
    setText(HistoryKind::SourcePatterns, "*.txt");
    setText(HistoryKind::DestinationDirectory, destination);
    QTest::mouseClick(window->findChild<QPushButton*>("executeButton"), Qt::LeftButton);
    EXPECT_EQ(resultWindows, 1);
    EXPECT_EQ(tmp.readFile("dst/a.txt"), "aaa");
    EXPECT_EQ(tmp.readFile("dst/sub/b.txt"), "bb");
    EXPECT_EQ(items(HistoryKind::SourceDirectory), (Items{source, "/a", "/b"}));
    EXPECT_EQ(items(HistoryKind::SourcePatterns), (Items{"*.txt"}));
    EXPECT_EQ(items(HistoryKind::DestinationDirectory), (Items{destination}));
    // Empty texts stay out of the histories.
    EXPECT_TRUE(items(HistoryKind::ExclusionPatterns).empty());

    // A text that differs from an item further down only in case goes to the top as typed.
    window->box(HistoryKind::SourceDirectory).pushHistory("/B", HistoryList::Push::Used);
    EXPECT_EQ(items(HistoryKind::SourceDirectory), (Items{"/B", source, "/a"}));
}

TEST_F(MainWindowTest, AFolderNameThatIsNotUtf8IsPlannedAndRunAsItIs) {
    const std::string cafe = tmp.makeDir("caf\xe9");
    tmp.writeFile("caf\xe9/a.txt", "a");
    tmp.writeFile("caf\xe9/b.c", "b");
    // The command line as the shell hands it over; -i keeps the settings file out of the test.
    Application application(platform);
    ASSERT_EQ(application.startUp({"-i", cafe + "/*.txt", destination + "/"}),
              Application::StartResult::Proceed);
    JobSettings stated = application.job();
    MainWindow main(platform, stated, application.settings(), help);
    QStringList rows;
    QString status;
    main.setResultWindowRunner([&](ResultWindow& result) {
        const OperationTableModel& model = result.model();
        for (int row = 0; row < model.rowCount(); ++row)
            rows << model.index(row, 0).data().toString() + " " +
                        model.index(row, 1).data().toString() + " " +
                        model.index(row, 2).data().toString();
        result.runList();
        status = result.statusText();
        result.reject();
    });
    ASSERT_TRUE(test::showActive(main));
    EXPECT_EQ(toBytes(main.box(HistoryKind::SourceDirectory).currentText()), cafe + "/");

    // Enter in the box presses 実行(E).
    QTest::keyClick(main.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(rows, QStringList{"Copy " + fromBytes(cafe + "/a.txt") + " " +
                                fromBytes(destination + "/a.txt")});
    EXPECT_TRUE(status.startsWith("完了しました.(Error=0)")) << status.toStdString();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{});
    EXPECT_EQ(tmp.readFile("dst/a.txt"), "a");
    // The history holds the name as it is; the settings file, which holds text, leaves it out.
    EXPECT_EQ(main.box(HistoryKind::SourceDirectory).history().items().front(), cafe + "/");
}

TEST_F(MainWindowTest, ARefusedJobSendsTheFocusToItsFieldAndStillEntersTheHistories) {
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    setText(HistoryKind::SourceDirectory, source);
    setText(HistoryKind::DestinationDirectory, tmp / "missing");
    window->OnExecute();
    EXPECT_EQ(resultWindows, 0);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(QApplication::focusWidget(), control(kDestinationBox));
    EXPECT_EQ(items(HistoryKind::DestinationDirectory), (Items{tmp / "missing"}));
}

TEST_F(MainWindowTest, TypedPathsMeetTheChecksOfTheCommandLine) {
    // Nothing runs until the last case: a check that failed must not delete from "/".
    runResult = false;
    open();
    const std::string photos = tmp / "dst/photos";
    const struct {
        TransferMode mode;
        std::string source, destination;
        bool create;
        std::string message; // empty: planned
    } cases[] = {
        {TransferMode::Delete, "//", "", false,
         "ファイルシステムのルート (/) は削除できません: //"},
        {TransferMode::Sync, source, photos, false, "転送先のディレクトリがありません: " + photos},
        {TransferMode::Sync, source, photos, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source + " " + c.destination);
        messages.shown.clear();
        resultWindows = 0;
        chooseMode(c.mode);
        setText(HistoryKind::SourceDirectory, c.source);
        setText(HistoryKind::DestinationDirectory, c.destination);
        window->findChild<QCheckBox*>("createDestinationCheck")->setChecked(c.create);
        runResult = c.message.empty();
        window->OnExecute();
        EXPECT_EQ(resultWindows, c.message.empty() ? 1 : 0);
        EXPECT_EQ(messages.texts(), c.message.empty() ? Items{} : Items{c.message});
    }
    EXPECT_EQ(tmp.readFile("dst/photos/a.txt"), "aaa");
}

TEST_F(MainWindowTest, ASyncLeavesOutWhatTheExclusionBoxShows) {
    tmp.writeFile("src/skip.log", "s");
    tmp.writeFile("dst/kept.log", "k");
    tmp.writeFile("dst/gone.txt", "g");
    job.mode = TransferMode::Search;
    open();
    setText(HistoryKind::ExclusionPatterns, "*.log");
    chooseMode(TransferMode::Sync);
    // Left from the search, in view and in reach: it is what the sync leaves out.
    EXPECT_TRUE(control(kExclusionBox)->isEnabled());
    setText(HistoryKind::SourceDirectory, source);
    setText(HistoryKind::DestinationDirectory, destination);
    window->OnExecute();
    ASSERT_EQ(resultWindows, 1);
    EXPECT_EQ(tmp.readFile("dst/a.txt"), "aaa");
    EXPECT_FALSE(std::filesystem::exists(tmp / "dst/skip.log"));
    EXPECT_EQ(tmp.readFile("dst/kept.log"), "k");
    EXPECT_FALSE(std::filesystem::exists(tmp / "dst/gone.txt"));
}

TEST_F(MainWindowTest, EnterPressesTheFocusedButtonAndInABoxExecutes) {
    runResult = false;
    open();
    int sheets = 0;
    window->setOptionsSheetRunner([&sheets](OptionsSheet&) {
        ++sheets;
        return int(QDialog::Rejected);
    });
    setText(HistoryKind::SourceDirectory, source);
    setText(HistoryKind::DestinationDirectory, destination);
    showActive();
    const struct {
        const char* focus;
        QString comesUp;
        int sheets, resultWindows;
    } cases[] = {
        {"sourceBox", "", 0, 1},
        {"createDestinationCheck", "", 0, 1},
        {"sourceBrowseButton", "ryk::FolderPicker", 0, 0},
        {"destinationBrowseButton", "ryk::FolderPicker", 0, 0},
        {"optionsButton", "", 1, 0},
        {"menuButton", "QMenu", 0, 0},
        {"executeButton", "", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus);
        sheets = resultWindows = 0;
        window->findChild<QWidget*>(c.focus)->setFocus();
        EXPECT_EQ(whatComesUp([&] { press(Qt::Key_Return); }), c.comesUp);
        EXPECT_EQ(sheets, c.sheets);
        EXPECT_EQ(resultWindows, c.resultWindows);
    }
    window->findChild<QWidget*>("exitButton")->setFocus();
    press(Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

} // namespace
} // namespace ryk

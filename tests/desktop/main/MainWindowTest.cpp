#include "desktop/main/MainWindow.h"

#include "app/Application.h"
#include "app/ModeRules.h"
#include "app/SearchOptions.h"
#include "app/SettingsFile.h"
#include "desktop/main/Controls.h"
#include "desktop/main/EditorPage.h"
#include "desktop/main/FolderPicker.h"
#include "desktop/main/HelpWindow.h"
#include "desktop/main/HistoryComboBox.h"
#include "desktop/main/HistoryPage.h"
#include "desktop/main/OptionsSheet.h"
#include "desktop/main/SearchPage.h"
#include "desktop/results/OperationTableModel.h"
#include "desktop/results/ResultWindow.h"
#include "engine/TransferJob.h"
#include "platform/qt/ByteText.h"
#include "support/EngineFixture.h"
#include "support/WindowWatch.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace ryk {
namespace {

using Items = std::vector<std::string>;

class MainWindowTest : public test::EngineTest {
protected:
    MainWindowTest() {
        source = tmp.makeDir("src");
        destination = tmp.makeDir("dst");
        tmp.writeFile("src/a.txt", "aaa");
        tmp.writeFile("src/sub/b.txt", "bb");
    }

    MainWindow& open() {
        window = std::make_unique<MainWindow>(platform, job, settings, help);
        window->setResultWindowRunner([this](ResultWindow& result) {
            ++resultWindows;
            if (runResult)
                result.runList();
            result.reject();
        });
        return *window;
    }
    QWidget* control(int id) const { return controlById(window.get(), id); }
    QComboBox* modeList() const { return window->findChild<QComboBox*>("modeList"); }
    void chooseMode(TransferMode mode) {
        // As the user does it: the list emits its activation only for a choice of the user's.
        QComboBox* list = modeList();
        list->setFocus();
        while (list->currentIndex() != static_cast<int>(mode)) {
            const bool down = list->currentIndex() < static_cast<int>(mode);
            QTest::keyClick(list, down ? Qt::Key_Down : Qt::Key_Up);
        }
    }
    std::string enabledInputs() const {
        std::string enabled;
        for (int id = kSourceBox; id <= kDestinationPatternBox; ++id)
            enabled += control(id)->isEnabled() ? '1' : '0';
        return enabled;
    }
    void setText(HistoryKind kind, const std::string& text) {
        window->box(kind).setEditText(QString::fromStdString(text));
    }
    Items items(HistoryKind kind) const { return window->box(kind).history().items(); }
    /// On screen and active, so that keys sent to its native window reach its focus widget.
    void showActive() { ASSERT_TRUE(test::showActive(*window)); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }
    /// Does `act`; the first dialog or menu that comes up over the main window meanwhile is
    /// handed to `answer`, which closes it. Its class name; empty when nothing came up.
    QString whatComesUp(
        const std::function<void()>& act,
        const std::function<void(QWidget&)>& answer = [](QWidget& up) { up.close(); }) {
        QString seen;
        test::answerWhileActing(
            act,
            [this]() -> QWidget* {
                QWidget* up = QApplication::activePopupWidget();
                if (!up)
                    up = QApplication::activeModalWidget();
                return up == window.get() ? nullptr : up;
            },
            [&](QWidget& up) {
                seen = QString::fromLatin1(up.metaObject()->className());
                answer(up);
            });
        return seen;
    }

    std::string source;
    std::string destination;
    JobSettings job;
    SettingsFile settings;
    HelpDesk help;
    std::unique_ptr<MainWindow> window;
    int resultWindows = 0;
    bool runResult = true;
};

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

TEST_F(MainWindowTest, BrowseWithAFolderThatIsNotThereStartsAtTheTop) {
    open();
    setText(HistoryKind::SourceDirectory, tmp / "missing/");
    showActive();
    QString status = QStringLiteral("(no picker)");
    whatComesUp([&] { press(Qt::Key_1, Qt::AltModifier); },
                [&](QWidget& picker) {
                    status = picker.findChild<QLabel*>("statusLabel")->text();
                    QTest::keyClick(picker.windowHandle(), Qt::Key_Escape);
                });
    EXPECT_EQ(status, QStringLiteral("/"));
    EXPECT_EQ(window->box(HistoryKind::SourceDirectory).currentText().toStdString(),
              tmp / "missing/");
}

TEST_F(MainWindowTest, AltCAndEnterAtOncePlanWithTheNewCheck) {
    runResult = false;
    open();
    setText(HistoryKind::SourceDirectory, source);
    setText(HistoryKind::DestinationDirectory, tmp / "dst/new");
    showActive();
    press(Qt::Key_C, Qt::AltModifier);
    press(Qt::Key_Return);
    EXPECT_EQ(resultWindows, 1);
    EXPECT_EQ(messages.texts(), Items{});
    EXPECT_TRUE(window->job().createDestination);
}

TEST_F(MainWindowTest, TheExplorerQuestionComesOnlyForARelativeDestination) {
    runResult = false;
    const struct {
        std::string destination;
        bool asked;
    } cases[] = {{destination, false}, {"dst", true}, {"", true}};
    for (const auto& c : cases) {
        job.explorerStyle = true;
        messages.shown.clear();
        open();
        setText(HistoryKind::SourceDirectory, source);
        setText(HistoryKind::DestinationDirectory, c.destination);
        messages.answers = {MessageAnswer::Yes};
        window->OnExecute();
        const bool asked = !messages.shown.empty() &&
                           messages.shown[0].text.starts_with("Explorer 形式を指定していますが");
        EXPECT_EQ(asked, c.asked) << c.destination;
        // Yes takes the Explorer style off; the job goes on either way.
        EXPECT_EQ(window->job().explorerStyle, !c.asked) << c.destination;
    }
}

TEST_F(MainWindowTest, HistoriesPersistOnExitOnlyAndAcrossARestart) {
    const std::string path = tmp / "ryk.INI";
    // Written on Windows: CP932 ("ソース" in Shift-JIS) and CRLF.
    tmp.writeFile("ryk.INI", "[SrcDir]\r\n1=C:\\\x83\x5c\x81\x5b\x83\x58\r\n2=/data\r\n");
    settings.setPath(path);
    ASSERT_EQ(settings.load(fileSystem), 0);
    open();
    EXPECT_EQ(items(HistoryKind::SourceDirectory), (Items{"C:\\ソース", "/data"}));
    setText(HistoryKind::SourceDirectory, source);
    setText(HistoryKind::DestinationDirectory, destination);
    runResult = false;
    window->OnExecute();

    // Escape: the new entry is not kept.
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(settings.history(SettingsSection::SrcDir), (Items{"C:\\ソース", "/data"}));

    // "終了(&X)": kept, and read back by the next start.
    open();
    window->OnExecute();
    QTest::mouseClick(window->findChild<QPushButton*>("exitButton"), Qt::LeftButton);
    EXPECT_EQ(window->result(), QDialog::Accepted);
    ASSERT_EQ(settings.save(fileSystem), 0);
    SettingsFile again(path);
    ASSERT_EQ(again.load(fileSystem), 0);
    settings = again;
    open();
    EXPECT_EQ(items(HistoryKind::SourceDirectory), (Items{source, "C:\\ソース", "/data"}));
    EXPECT_EQ(items(HistoryKind::DestinationDirectory), (Items{destination}));
}

TEST_F(MainWindowTest, ADropEntersWhatEachBoxTakes) {
    const std::string file = tmp.writeFile("drop/Report.TXT", "r");
    const std::string folder = tmp.makeDir("drop/Folder");
    const QString latin1 = fromBytes(tmp.makeDir("drop/caf\xe9"));
    open();
    const QString filePath = QString::fromStdString(file);
    const QString folderPath = QString::fromStdString(folder);
    const struct {
        HistoryKind kind;
        QString path;
        QString entered;
    } cases[] = {
        {HistoryKind::SourceDirectory, filePath, ""},
        {HistoryKind::SourceDirectory, folderPath, folderPath},
        {HistoryKind::DestinationDirectory, folderPath + "/", folderPath},
        {HistoryKind::DestinationDirectory, latin1, latin1},
        {HistoryKind::SourcePatterns, filePath, "Report.TXT"},
        {HistoryKind::SourcePatterns, folderPath, ""},
        {HistoryKind::ExclusionPatterns, filePath, "Report.TXT"},
        {HistoryKind::DestinationPattern, folderPath, ""},
        {HistoryKind::DestinationPattern, QString::fromStdString(tmp / "drop/gone"), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(window->box(c.kind).dropText(c.path), c.entered) << c.path.toStdString();

    // A real drop of three files: only the first one's name enters, the history stays.
    HistoryComboBox& box = window->box(HistoryKind::ExclusionPatterns);
    const std::string second = tmp.writeFile("drop/second.txt");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(filePath),
                  QUrl::fromLocalFile(QString::fromStdString(second)),
                  QUrl::fromLocalFile(folderPath)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &drop);
    EXPECT_EQ(box.currentText(), "Report.TXT");
    EXPECT_EQ(box.count(), 0);

    // A folder whose name is not UTF-8 comes in as it is.
    HistoryComboBox& folderBox = window->box(HistoryKind::SourceDirectory);
    data.setUrls({fileUrl(toBytes(latin1))});
    QDragEnterEvent folderEnter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                                Qt::NoModifier);
    QApplication::sendEvent(&folderBox, &folderEnter);
    EXPECT_TRUE(folderEnter.isAccepted());
    QDropEvent folderDrop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&folderBox, &folderDrop);
    EXPECT_EQ(toBytes(folderBox.currentText()), toBytes(latin1));

    // In Response mode the pattern box takes the response file's whole path.
    chooseMode(TransferMode::Response);
    EXPECT_EQ(window->box(HistoryKind::SourcePatterns).dropText(filePath), filePath);
}

TEST_F(MainWindowTest, BrowseListsAFolderThatIsNotUtf8AndGivesItBack) {
    const std::string pick = tmp.makeDir("pick");
    const std::string latin1 = tmp.makeDir("pick/caf\xe9");
    tmp.makeDir("pick/plain");
    tmp.writeFile("pick/file.txt");
    open();
    window->show();
    // The folder in the usual form, with its '/': highlighted, so it can be confirmed at once.
    setText(HistoryKind::SourceDirectory, pick + "/");
    QStringList shown;
    const auto browse = [&] {
        QTest::mouseClick(window->findChild<QPushButton*>("sourceBrowseButton"), Qt::LeftButton);
    };
    test::answerModal<FolderPicker>(browse, [&](FolderPicker& picker) {
        auto* status = picker.findChild<QLabel*>("statusLabel");
        auto* tree = picker.findChild<QTreeView*>("folderTree");
        shown << status->text();
        // Open it and go down to its first folder; Enter chooses that.
        QTest::keyClick(picker.windowHandle(), Qt::Key_Right);
        QStringList names;
        const QModelIndex current = tree->currentIndex();
        for (int row = 0; row < tree->model()->rowCount(current); ++row)
            names << tree->model()->index(row, 0, current).data().toString();
        shown << names.join('|');
        QTest::keyClick(picker.windowHandle(), Qt::Key_Down);
        shown << status->text();
        QTest::keyClick(picker.windowHandle(), Qt::Key_Return);
    });
    EXPECT_EQ(shown,
              (QStringList{fromBytes(pick), fromBytes("caf\xe9") + "|plain", fromBytes(latin1)}));
    EXPECT_EQ(toBytes(window->box(HistoryKind::SourceDirectory).currentText()), latin1);
}

TEST_F(MainWindowTest, EveryInputHasAnAccessibleName) {
    open();
    for (int id = kSourceBox; id <= kDestinationPatternBox; ++id) {
        QWidget* input = control(id);
        ASSERT_NE(input, nullptr) << id;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(input);
        ASSERT_NE(accessible, nullptr) << id;
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty()) << id;
    }
    EXPECT_EQ(control(kSourceBox)->accessibleName(), "更新元のディレクトリ");
    EXPECT_EQ(control(kPatternBox)->accessibleName(), "ファイル名");
}

TEST_F(MainWindowTest, F1AndTheMenuOpenTheHelpAtItsStartPage) {
    MainWindow& w = open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    ASSERT_NE(help.window(), nullptr);
    EXPECT_EQ(help.window()->topic(), "index.htm");
    help.window()->showTopic(QStringLiteral("option.htm"));

    auto* menuButton = w.findChild<QToolButton*>("menuButton");
    ASSERT_NE(menuButton, nullptr);
    QAction* helpAction = menuButton->menu()->actions().value(0);
    ASSERT_NE(helpAction, nullptr);
    EXPECT_EQ(helpAction->text(), "ヘルプ(&H)...");
    helpAction->trigger();
    EXPECT_EQ(help.window()->topic(), "index.htm");
}

TEST_F(MainWindowTest, TheOptionsSheetTakesEffectOnlyOnOk) {
    settings.setEditorPath(SettingsSection::TextEditor, "/usr/bin/old-editor");
    settings.setHistory(SettingsSection::SrcDir, {"/one", "/two"});
    job.mode = TransferMode::Update;
    MainWindow& w = open();
    setText(HistoryKind::SourceDirectory, source);
    const OptionFlags before = job.flags;

    // The user unchecks the subdirectory search, empties the source history, names another
    // editor, and then answers with `button`; the sheet's help shows the page on show.
    QString helpTopic;
    auto useSheet = [&](QDialogButtonBox::StandardButton button) {
        w.setOptionsSheetRunner([&, button](OptionsSheet& sheet) {
            sheet.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&sheet));
            QWidget* subdirectories = sheet.searchPage().control(kSubdirectoriesCheck);
            QTest::mouseClick(subdirectories, Qt::LeftButton, {},
                              QPoint(8, subdirectories->height() / 2));
            sheet.tabs().setCurrentIndex(1);
            QTest::mouseClick(sheet.historyPage().control(HistoryPage::kDeleteAllButton),
                              Qt::LeftButton);
            sheet.tabs().setCurrentIndex(2);
            qobject_cast<QLineEdit*>(sheet.editorPage().control(EditorPage::kTextEditorPath))
                ->setText(QStringLiteral("/opt/new editor"));
            QTest::mouseClick(sheet.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help),
                              Qt::LeftButton);
            if (HelpWindow* shown = help.window())
                helpTopic = shown->topic();
            QTest::mouseClick(sheet.findChild<QDialogButtonBox*>()->button(button), Qt::LeftButton);
            return sheet.result();
        });
        w.OnOptions();
    };

    useSheet(QDialogButtonBox::Cancel);
    EXPECT_EQ(helpTopic, "option3.htm");
    EXPECT_EQ(job.flags.subdirectories, before.subdirectories);
    EXPECT_EQ(items(HistoryKind::SourceDirectory), (Items{"/one", "/two"}));
    EXPECT_EQ(settings.editorPath(SettingsSection::TextEditor), "/usr/bin/old-editor");

    useSheet(QDialogButtonBox::Ok);
    EXPECT_EQ(job.flags.subdirectories & 1, (before.subdirectories & 1) ^ 1);
    EXPECT_TRUE(items(HistoryKind::SourceDirectory).empty());
    // The typed text survives the emptied list.
    EXPECT_EQ(w.box(HistoryKind::SourceDirectory).currentText().toStdString(), source);
    EXPECT_EQ(settings.editorPath(SettingsSection::TextEditor), "/opt/new editor");
    EXPECT_EQ(settings.editorPath(SettingsSection::BinaryEditor), "");
}

} // namespace
} // namespace ryk

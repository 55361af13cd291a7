#include "support/MainWindowFixture.h"

#include <gtest/gtest.h>

namespace ryk {
namespace {

using test::Items;
using test::MainWindowTest;

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

TEST_F(MainWindowTest, TheRunsOwnOptionsComeFromTheSettingsAndGoBackOnOk) {
    const struct {
        int control;
        void (SettingsFile::*set)(bool);
        bool (SettingsFile::*stored)() const;
        bool JobSettings::*option;
    } cases[] = {
        {kSkipUnchangedCheck, &SettingsFile::setSkipUnchanged, &SettingsFile::skipUnchanged,
         &JobSettings::skipUnchanged},
        {kTrashCheck, &SettingsFile::setTrash, &SettingsFile::trash, &JobSettings::trash},
        {kVerifyCheck, &SettingsFile::setVerify, &SettingsFile::verify, &JobSettings::verify},
        {kHardLinksCheck, &SettingsFile::setHardLinks, &SettingsFile::hardLinks,
         &JobSettings::hardLinks},
        // The desktop's own: no part of the job.
        {kNoticeLongRunsCheck, &SettingsFile::setNoticeLongRuns, &SettingsFile::noticeLongRuns,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        (settings.*c.set)(true);
        job.mode = TransferMode::Sync;
        MainWindow& w = open();
        EXPECT_TRUE(!c.option || w.job().*c.option);
        bool shown = false;
        w.setOptionsSheetRunner([&shown, &c](OptionsSheet& sheet) {
            sheet.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&sheet));
            auto* box = qobject_cast<QAbstractButton*>(sheet.searchPage().control(c.control));
            shown = box->isChecked();
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            sheet.accept();
            return sheet.result();
        });
        w.OnOptions();
        EXPECT_TRUE(shown);
        EXPECT_FALSE(c.option && w.job().*c.option);
        EXPECT_FALSE((settings.*c.stored)());
    }
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

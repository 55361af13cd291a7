#include "desktop/results/RowContextMenu.h"

#include "RowContextMenuFixture.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QSignalSpy>
#include <QUrl>

namespace ryk {
namespace {

namespace fs = std::filesystem;
using test::Popup;
using test::RowContextMenuTest;

const QStringList kOwnItems{"Binary", "Editor", "Windiff"};
const QStringList kAllItems{
    "Binary", "Editor", "Windiff", "", "開く(&O)", "ファイルの場所を開く(&I)", "パスのコピー(&A)"};

/// Records the addresses the desktop is asked to open, in place of the desktop's own handler.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

TEST_F(RowContextMenuTest, OffersTheToolsThenTheFilesOwnItemsEachTime) {
    auto w = plannedWith(recorders);
    const int row = rowOf(*w, source + "/a.txt");
    for (int time = 1; time <= 2; ++time) {
        const Popup popup = readPopup([&] { rightClick(*w, row, 1); });
        ASSERT_TRUE(popup.opened) << time;
        EXPECT_EQ(popup.texts, kAllItems) << time << ": " << popup.texts.join('|').toStdString();
        EXPECT_EQ(popup.enabled, QList<bool>(7, true)) << time;
        EXPECT_EQ(popup.defaultText, "開く(&O)") << time;
    }
}

TEST_F(RowContextMenuTest, OpensOnlyOnAFileAndGraysWhatCannotRun) {
    const struct {
        const char* label;
        const char* row; // the source file under src/, or null for below the rows
        int column;
        bool configured;
        bool opened;
        QList<bool> own; // Binary, Editor, Windiff
    } cases[] = {
        {"source with a destination", "a.txt", 1, true, true, {true, true, true}},
        {"source without a destination", "b.c", 1, true, true, {true, true, false}},
        {"destination", "a.txt", 2, true, true, {true, true, false}},
        {"destination not there yet", "b.c", 2, true, false, {}},
        {"action column", "a.txt", 0, true, false, {}},
        {"below the rows", nullptr, 1, true, false, {}},
        {"no programs configured", "a.txt", 1, false, true, {false, false, false}},
    };
    for (const auto& c : cases) {
        auto w = plannedWith(c.configured ? recorders : ToolPaths{});
        const int row = c.row ? rowOf(*w, source + "/" + c.row) : -1;
        const Popup popup = readPopup([&] { rightClick(*w, row, c.column); });
        ASSERT_EQ(popup.opened, c.opened) << c.label;
        if (!c.opened)
            continue;
        EXPECT_EQ(popup.texts, kAllItems) << c.label;
        EXPECT_EQ(popup.enabled.mid(0, 3), c.own) << c.label;
        EXPECT_EQ(popup.enabled.mid(4), QList<bool>(3, true)) << c.label << ": the file's own";
    }
}

TEST_F(RowContextMenuTest, TheMenuKeyOpensTheMenuOfTheCurrentCell) {
    const struct {
        const char* label;
        std::function<void(ResultWindow&)> press;
        int currentColumn;
        int menuColumn;
    } cases[] = {
        {"menu key", [](ResultWindow& w) { QTest::keyClick(w.view(), Qt::Key_Menu); }, 1, 1},
        {"Shift+F10",
         [](ResultWindow& w) { QTest::keyClick(w.view(), Qt::Key_F10, Qt::ShiftModifier); }, 2, 2},
        {"from the action column", [](ResultWindow& w) { QTest::keyClick(w.view(), Qt::Key_Menu); },
         0, 1},
        {"the desktop's own event for the key",
         [](ResultWindow& w) {
             QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0),
                                     w.view()->mapToGlobal(QPoint(0, 0)));
             QApplication::sendEvent(w.view(), &event);
         },
         2, 2},
    };
    for (const auto& c : cases) {
        auto w = plannedWith(recorders);
        const int row = rowOf(*w, source + "/with space.txt");
        w->view()->setFocus();
        w->view()->setCurrentIndex(w->model().index(row, c.currentColumn));
        QGuiApplication::clipboard()->setText("before");
        const Popup popup = readPopup([&] { c.press(*w); }, "パスのコピー(&A)");
        ASSERT_TRUE(popup.opened) << c.label;
        const QRect cell = w->view()->visualRect(w->model().index(row, c.menuColumn));
        EXPECT_EQ(popup.topLeft, w->view()->viewport()->mapToGlobal(cell.bottomLeft())) << c.label;
        EXPECT_EQ(popup.enabled.mid(0, 3), (QList<bool>{true, true, c.menuColumn == 1})) << c.label;
        EXPECT_EQ(QGuiApplication::clipboard()->text(),
                  in(c.menuColumn == 1 ? source : destination, "with space.txt"))
            << c.label;
    }
}

TEST_F(RowContextMenuTest, TheFilesOwnItemsOpenItOrItsFolderOrCopyItsPath) {
    tmp.writeFile("src/caf\xe9/d.txt", "d");
    auto w = plannedWith(recorders);
    // A folder whose name is not UTF-8 is handed to the desktop as the bytes it is.
    for (const std::string folder : {"sub", "caf\xe9"}) {
        const std::string file = source + "/" + folder + (folder == "sub" ? "/c.txt" : "/d.txt");
        const int row = rowOf(*w, file);
        UrlRecorder desktop;
        ASSERT_EQ(readPopup([&] { rightClick(*w, row, 1); }, "開く(&O)").texts, kAllItems);
        readPopup([&] { rightClick(*w, row, 1); }, "ファイルの場所を開く(&I)");
        ASSERT_EQ(desktop.urls.size(), 2) << folder;
        EXPECT_EQ(localPath(desktop.urls[0]), file);
        EXPECT_EQ(localPath(desktop.urls[1]), source + "/" + folder);
        QGuiApplication::clipboard()->setText("before");
        readPopup([&] { rightClick(*w, row, 1); }, "パスのコピー(&A)");
        EXPECT_EQ(QGuiApplication::clipboard()->text(), fromBytes(file));
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(fs::exists(argumentsFile)) << "no tool started";
}

TEST_F(RowContextMenuTest, TheOpenMenuTakesItsLettersFromTheWindowsKeys) {
    auto w = plannedWith(recorders);
    const int row = rowOf(*w, source + "/a.txt");
    const int rows = w->model().rowCount();
    w->view()->setFocus();
    w->view()->setCurrentIndex(w->model().index(row, 1));
    QGuiApplication::clipboard()->setText("before");
    QSignalSpy listCopied(w.get(), &ResultWindow::copyListRequested);
    // A window the letters open by mistake is closed again, so that the test goes on.
    QStringList opened;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened << dialog->metaObject()->className();
            dialog->reject();
        }
    });
    watch.start(10);
    bool popupOpen = false;
    QTimer::singleShot(0, [&] {
        popupOpen = QApplication::activePopupWidget() != nullptr;
        QWindow* keyboard = QGuiApplication::focusWindow();
        ASSERT_NE(keyboard, nullptr);
        for (const Qt::Key letter : {Qt::Key_D, Qt::Key_C, Qt::Key_A})
            QTest::keyClick(keyboard, letter);
    });
    QTest::keyClick(w->windowHandle(), Qt::Key_Menu);
    watch.stop();
    EXPECT_TRUE(popupOpen);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), in(source, "a.txt")) << "the menu's A";
    EXPECT_EQ(w->model().rowCount(), rows) << "D removed no row";
    EXPECT_EQ(listCopied.count(), 0) << "C copied no list";
    EXPECT_TRUE(opened.isEmpty()) << opened.join(' ').toStdString();

    // Once the menu is closed the letters are the window's again.
    QTest::keyClick(w->windowHandle(), Qt::Key_D);
    EXPECT_EQ(w->model().rowCount(), rows - 1);
}

TEST_F(RowContextMenuTest, NoMenuOpensWhileTheListRuns) {
    test::WatchingAbortKey key;
    auto w = plannedWith(recorders, &key);
    const int row = rowOf(*w, source + "/a.txt");
    int looks = 0;
    key.watch = [&] {
        if (looks++ == 0) {
            EXPECT_FALSE(readPopup([&] { rightClick(*w, row, 1); }).opened);
        }
    };
    QTest::mouseClick(w->findChild<QPushButton*>("runButton"), Qt::LeftButton);
    EXPECT_GT(looks, 0);
    EXPECT_TRUE(readPopup([&] { rightClick(*w, row, 1); }).opened) << "after the run";
}

TEST_F(RowContextMenuTest, AFileThatIsGoneHasOnlyTheTools) {
    auto w = plannedWith(recorders);
    fs::remove(source + "/b.c");
    const Popup popup = readPopup([&] { rightClick(*w, rowOf(*w, source + "/b.c"), 1); });
    ASSERT_TRUE(popup.opened);
    EXPECT_EQ(popup.texts, kOwnItems);
    EXPECT_TRUE(popup.defaultText.isEmpty());
}

} // namespace
} // namespace ryk

#include "RowContextMenuTest.moc"

#include "desktop/results/AttributeWindow.h"

#include "ResultWindowFixture.h"
#include "desktop/progress/SearchWindow.h"
#include "engine/FileInformation.h"
#include "engine/OperationEntry.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimeEdit>
#include <filesystem>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace ryk {
namespace {

/// What the attribute window showed when it came up.
struct Shown {
    QString selection;
    /// Read-only, hidden, system and archive.
    QList<Qt::CheckState> boxes;
    bool targetOffered = false;
    bool dateEnabled = false;
    bool timeEnabled = false;
};

template <typename T> T* child(QWidget& w, const char* name) {
    return w.findChild<T*>(name);
}

constexpr const char* kBoxes[] = {"readOnlyBox", "hiddenBox", "systemBox", "archiveBox"};

Shown look(AttributeWindow& w) {
    Shown shown;
    shown.selection = child<QLabel>(w, "selectionLabel")->text();
    for (const char* name : kBoxes)
        shown.boxes << child<QCheckBox>(w, name)->checkState();
    shown.targetOffered = child<QRadioButton>(w, "targetButton")->isVisibleTo(&w);
    shown.dateEnabled = child<QDateEdit>(w, "dateEdit")->isEnabled();
    shown.timeEnabled = child<QTimeEdit>(w, "timeEdit")->isEnabled();
    return shown;
}

/// The result window's tree; a.txt starts read-only, b.c writable, and a.txt's destination
/// exists, older, so its line is an update.
class AttributeWindowTest : public test::ResultWindowTest {
protected:
    AttributeWindowTest() {
        chmod((tmp / "src/a.txt").c_str(), 0444);
        chmod((tmp / "src/b.c").c_str(), 0644);
        tmp.writeFile("dst/a.txt", "old");
        chmod((tmp / "dst/a.txt").c_str(), 0644);
        std::filesystem::last_write_time(tmp / "dst/a.txt",
                                         std::filesystem::file_time_type::clock::now() -
                                             std::chrono::hours(48));
    }

    static int row(ResultWindow& w, const std::string& path) {
        const int found = column(w, 1).indexOf(QString::fromStdString(path));
        EXPECT_GE(found, 0) << path;
        return found;
    }
    static mode_t modeOf(const std::string& path) {
        struct stat st {};
        lstat(path.c_str(), &st);
        return st.st_mode & 07777;
    }
    static std::filesystem::file_time_type written(const std::string& path) {
        return std::filesystem::last_write_time(path);
    }

    /// Does `ask` (a key or a click that opens the attribute window), then, once the window is
    /// up, notes what it shows and hands it to `answer`, which closes it.
    std::vector<Shown> open(const std::function<void()>& ask,
                            const std::function<void(AttributeWindow&)>& answer) {
        std::vector<Shown> windows;
        test::answerModal<AttributeWindow>(ask, [&](AttributeWindow& window) {
            windows.push_back(look(window));
            answer(window);
        });
        return windows;
    }
    static void click(AttributeWindow& w, const char* name) {
        QTest::mouseClick(child<QAbstractButton>(w, name), Qt::LeftButton);
    }
};

TEST_F(AttributeWindowTest, AShowsTheCommonStateAndOkChangesTheFilesAndTheirRows) {
    auto w = planned();
    show(*w);
    const std::string a = source + "/a.txt";
    const std::string b = source + "/b.c";
    const int rowA = row(*w, a);
    const int rowB = row(*w, b);
    const auto timeOfA = written(a);
    select(*w, {rowA, rowB});
    QSignalSpy redrawn(&w->model(), &QAbstractItemModel::dataChanged);

    const std::vector<Shown> windows =
        open([&] { QTest::keyClick(w->view(), Qt::Key_A); },
             [&](AttributeWindow& d) {
                 // Mixed read-only: one click clears it, the next sets it.
                 click(d, "readOnlyBox");
                 click(d, "readOnlyBox");
                 click(d, "dateBox");
                 child<QDateEdit>(d, "dateEdit")->setDate(QDate(2015, 6, 7));
                 click(d, "okButton");
             });
    ASSERT_EQ(windows.size(), 1u);
    const Shown& shown = windows[0];
    EXPECT_EQ(shown.selection, "2個のファイルが選択されています");
    EXPECT_EQ(shown.boxes, (QList<Qt::CheckState>{Qt::PartiallyChecked, Qt::Unchecked,
                                                  Qt::Unchecked, Qt::Unchecked}));
    EXPECT_TRUE(shown.targetOffered);
    EXPECT_FALSE(shown.dateEnabled);
    EXPECT_FALSE(shown.timeEnabled);

    for (const std::string& path : {a, b})
        EXPECT_EQ(modeOf(path), 0444u) << path;
    for (const int r : {rowA, rowB}) {
        const OperationEntry& entry = *w->job().list().at(static_cast<size_t>(r));
        const FileInformation info = describeEntry(entry);
        EXPECT_EQ(info.source.attributes, QString("R             ").toStdString());
        EXPECT_TRUE(info.source.date.starts_with("2015/06/07(")) << info.source.date;
        EXPECT_TRUE(std::any_of(
            redrawn.begin(), redrawn.end(),
            [r](const QList<QVariant>& s) { return s.front().toModelIndex().row() == r; }))
            << "row " << r << " drawn anew";
    }
    EXPECT_NE(written(a), timeOfA);
    // The time of day is each file's own.
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>((written(a) - timeOfA) %
                                                               std::chrono::hours(24)),
              std::chrono::seconds(0));
    EXPECT_EQ(w->searchWindow().heading(), "選択アイテムの属性を変更中...");
    EXPECT_EQ(w->searchWindow().detail(), "2 個属性を変更しました");
    EXPECT_EQ(w->searchWindow().hint(), "お待ちください...");
    EXPECT_FALSE(w->searchWindow().isVisible());
    EXPECT_TRUE(w->isEnabled());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AttributeWindowTest, CancelChangesNothingAndNoSelectionMeansEveryRow) {
    auto w = planned();
    show(*w);
    const std::string a = source + "/a.txt";
    const auto before = written(a);
    const std::vector<Shown> windows =
        open([&] { QTest::mouseClick(button(*w, "attributeButton"), Qt::LeftButton); },
             [&](AttributeWindow& d) {
                 click(d, "readOnlyBox");
                 click(d, "timeBox");
                 click(d, "cancelButton");
             });
    ASSERT_EQ(windows.size(), 1u);
    const int rows = w->model().rowCount();
    EXPECT_EQ(windows[0].selection, QString("%1個のファイルが選択されています").arg(rows));
    EXPECT_EQ(w->view()->selectionModel()->selectedRows().size(), rows) << "all selected";
    EXPECT_EQ(modeOf(a), 0444u);
    EXPECT_EQ(modeOf(source + "/b.c"), 0644u);
    EXPECT_EQ(written(a), before);
    EXPECT_NE(w->searchWindow().heading(), "選択アイテムの属性を変更中...");
}

TEST_F(AttributeWindowTest, TheDestinationSideShowsItsOwnFilesAndTheUsersChoiceStays) {
    const std::string olderB = tmp.writeFile("dst/b.c", "old");
    chmod(olderB.c_str(), 0644);
    std::filesystem::last_write_time(olderB, written(destination + "/a.txt"));
    auto w = planned();
    show(*w);
    const int rowA = row(*w, source + "/a.txt");
    select(*w, {rowA, row(*w, source + "/b.c")});
    std::vector<QList<Qt::CheckState>> sides;
    open([&] { QTest::keyClick(w->view(), Qt::Key_A); },
         [&](AttributeWindow& d) {
             click(d, "targetButton");
             sides.push_back(look(d).boxes);
             click(d, "readOnlyBox");
             click(d, "sourceButton");
             sides.push_back(look(d).boxes);
             click(d, "targetButton");
             click(d, "okButton");
         });
    ASSERT_EQ(sides.size(), 2u);
    EXPECT_EQ(sides[0][0], Qt::Unchecked) << "the destinations are writable";
    EXPECT_EQ(sides[1][0], Qt::Checked) << "the user's choice, not the sources' mixed state";
    EXPECT_EQ(sides[1][1], Qt::Unchecked) << "an untouched box shows the sources' state";
    for (const char* name : {"/a.txt", "/b.c"})
        EXPECT_EQ(modeOf(destination + name), 0444u) << name;
    EXPECT_EQ(modeOf(source + "/b.c"), 0644u);
    const OperationEntry& entry = *w->job().list().at(static_cast<size_t>(rowA));
    EXPECT_EQ(entry.target().attributes, attr::kReadOnly);
}

TEST_F(AttributeWindowTest, SearchModeOffersOnlySourcesAndAnUntouchedOkLeavesFilesAlone) {
    auto w = planned(TransferMode::Search);
    show(*w);
    const std::string b = source + "/b.c";
    const auto before = written(b);
    select(*w, {row(*w, b)});
    const std::vector<Shown> windows = open([&] { QTest::keyClick(w->view(), Qt::Key_A); },
                                            [&](AttributeWindow& d) { click(d, "okButton"); });
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_FALSE(windows[0].targetOffered);
    EXPECT_EQ(written(b), before);
    EXPECT_EQ(modeOf(b), 0644u);
    EXPECT_NE(w->searchWindow().heading(), "選択アイテムの属性を変更中...")
        << "nothing to do: no progress shown";
}

TEST_F(AttributeWindowTest, EscapeAndControlStopTheChange) {
    const std::string b = source + "/b.c";
    for (const test::Brake& brake : test::brakes()) {
        SCOPED_TRACE(brake.what);
        test::KeysDuringPoll key;
        auto w = planned(TransferMode::Update, &key);
        show(*w);
        select(*w, {row(*w, b)});
        messages.shown.clear();
        messages.answers = {MessageAnswer::Yes};
        open([&] { QTest::keyClick(w->windowHandle(), Qt::Key_A); },
             [&](AttributeWindow& d) {
                 click(d, "readOnlyBox");
                 key.pressAt(1, brake.press);
                 click(d, "okButton");
             });
        test::releaseControl();
        EXPECT_EQ(messages.texts(), brake.asked);
        EXPECT_EQ(modeOf(b), 0644u) << "stopped before the first file";
        EXPECT_TRUE(w->isEnabled());
    }
}

} // namespace
} // namespace ryk

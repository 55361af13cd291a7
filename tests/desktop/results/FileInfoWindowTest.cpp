#include "desktop/results/FileInfoWindow.h"

#include "ResultWindowFixture.h"
#include "engine/OperationEntry.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <sys/xattr.h>
#include <vector>

namespace ryk {
namespace {

/// What a file information window showed when it came up.
struct Shown {
    QStringList texts; // path, date, attributes and size of the source, then of the target
    bool compareOffered = false;
    bool resultShown = false;
    QString result;
    bool sourceIcon = false;
    bool targetIcon = false;
};

QLineEdit* infoEdit(QWidget& w, const char* name) {
    return w.findChild<QLineEdit*>(name);
}
QPushButton* infoButton(QWidget& w, const char* name) {
    return w.findChild<QPushButton*>(name);
}

Shown look(FileInfoWindow& w) {
    Shown shown;
    for (const char* side : {"source", "target"}) {
        for (const char* field : {"Path", "Date", "Attributes", "Size"})
            shown.texts << infoEdit(w, (QString(side) + field + "Edit").toLatin1())->text();
    }
    shown.compareOffered = infoButton(w, "compareButton")->isVisibleTo(&w);
    shown.resultShown = infoEdit(w, "resultEdit")->isVisibleTo(&w);
    shown.result = infoEdit(w, "resultEdit")->text();
    shown.sourceIcon = !w.findChild<QLabel*>("sourceIcon")->pixmap().isNull();
    shown.targetIcon = !w.findChild<QLabel*>("targetIcon")->pixmap().isNull();
    return shown;
}

/// The tree of the result window tests with two destination files that are older than their
/// sources, so they are planned as updates: one of the same size but other bytes, one equal.
class FileInfoWindowTest : public test::ResultWindowTest {
protected:
    FileInfoWindowTest() {
        const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
        for (const auto& [name, contents] :
             {std::pair{"dst/a.txt", "abc"}, std::pair{"dst/sub/c.txt", "ccccccc"}}) {
            tmp.writeFile(name, contents);
            std::filesystem::last_write_time(tmp / name, old);
        }
    }

    /// The row whose source is `name` in the source directory.
    static int row(ResultWindow& w, const char* name, const std::string& source) {
        const int found = column(w, 1).indexOf(QString::fromStdString(source + "/" + name));
        EXPECT_GE(found, 0) << name;
        return found;
    }

    /// Double clicks row `clicked` with `alsoSelected` selected too, and looks at every window
    /// that opens, closing it with its OK button.
    std::vector<Shown> doubleClick(ResultWindow& w, int clicked, int alsoSelected) {
        std::vector<Shown> windows;
        const QPoint cell = w.view()->visualRect(w.model().index(clicked, 1)).center();
        QTest::mouseClick(w.view()->viewport(), Qt::LeftButton, {}, cell);
        select(w, {alsoSelected});
        test::answerModal<FileInfoWindow>(
            [&] { QTest::mouseDClick(w.view()->viewport(), Qt::LeftButton, {}, cell); },
            [&](FileInfoWindow& info) {
                windows.push_back(look(info));
                QTest::mouseClick(infoButton(info, "okButton"), Qt::LeftButton);
            },
            test::Answer::Each);
        return windows;
    }
};

TEST_F(FileInfoWindowTest, DoubleClickOpensAWindowPerSelectedRowWithItsFacts) {
    auto w = planned();
    show(*w);
    const int update = row(*w, "a.txt", source);
    const int copy = row(*w, "b.c", source);
    ASSERT_LT(update, copy);
    const std::vector<Shown> windows = doubleClick(*w, copy, update);
    ASSERT_EQ(windows.size(), 2u) << "one window per selected row, in row order";

    const Shown& both = windows[0];
    ASSERT_EQ(both.texts.size(), 8);
    EXPECT_EQ(both.texts[0], in(source, "a.txt"));
    EXPECT_TRUE(
        both.texts[1].contains(QRegularExpression(R"(^\d{4}/\d\d/\d\d\(\w+\) \d\d:\d\d:\d\d$)")))
        << both.texts[1].toStdString();
    EXPECT_EQ(both.texts[2], "       N      ") << "a plain file";
    EXPECT_EQ(both.texts[3], "3 bytes.");
    EXPECT_EQ(both.texts[4], in(destination, "a.txt"));
    EXPECT_NE(both.texts[5], both.texts[1]) << "the destination is older";
    EXPECT_EQ(both.texts[7], "3 bytes.");
    EXPECT_TRUE(both.compareOffered);
    EXPECT_FALSE(both.resultShown);
    EXPECT_TRUE(both.sourceIcon);
    EXPECT_TRUE(both.targetIcon);

    const Shown& planned = windows[1];
    EXPECT_EQ(planned.texts.mid(4), (QStringList{in(destination, "b.c"), "", "", ""}));
    EXPECT_EQ(planned.texts[3], "5 bytes.");
    EXPECT_FALSE(planned.compareOffered);
    EXPECT_FALSE(planned.resultShown);
    EXPECT_TRUE(planned.sourceIcon);
    EXPECT_FALSE(planned.targetIcon) << "a file that does not exist has no icon";
}

TEST_F(FileInfoWindowTest, ShowsTheAttributesOnDiskAndALinksOwnSize) {
    const std::string kept = tmp.writeFile("src/kept.txt", "k");
    if (setxattr(kept.c_str(), "user.DOSATTRIB", "0x26", 4, 0) != 0)
        GTEST_SKIP() << "no user extended attributes here";
    std::filesystem::create_symlink("kept.txt", tmp / "src/link");
    auto w = planned();
    const struct {
        const char* name;
        const char* attributes;
        const char* size;
    } cases[] = {
        {"kept.txt", " HS  A        ", "1 byte."}, // the bits the plan does not read
        {"link", "          R   ", "8 bytes."},    // the length of its text "kept.txt"
    };
    for (const auto& c : cases) {
        FileInfoWindow info(platform, *w->job().list().at(row(*w, c.name, source)), w.get());
        EXPECT_EQ(infoEdit(info, "sourceAttributesEdit")->text(), c.attributes) << c.name;
        EXPECT_EQ(infoEdit(info, "sourceSizeEdit")->text(), c.size) << c.name;
    }
}

TEST_F(FileInfoWindowTest, CompareShowsWhereTheFilesDifferOrThatTheyMatch) {
    auto w = planned();
    const struct {
        const char* name;
        const char* result;
    } cases[] = {
        {"a.txt", "1行 (offset=1)で違いがありました"},
        {"sub/c.txt", "一致しています"},
    };
    for (const auto& c : cases) {
        FileInfoWindow info(platform, *w->job().list().at(row(*w, c.name, source)), w.get());
        info.show();
        QTest::mouseClick(infoButton(info, "compareButton"), Qt::LeftButton);
        EXPECT_EQ(infoEdit(info, "resultEdit")->text(), c.result) << c.name;
        EXPECT_TRUE(infoEdit(info, "resultEdit")->isVisible()) << c.name;
        EXPECT_FALSE(info.findChild<QProgressBar*>()->isVisible()) << c.name;
        EXPECT_FALSE(infoButton(info, "compareButton")->isEnabled()) << "once per window";
        EXPECT_TRUE(infoButton(info, "okButton")->isEnabled());
    }
}

/// The user at the keyboard during a comparison: looks at the window at every poll and
/// releases Escape at the third.
class EscapeOnThirdPoll : public AbortKey {
public:
    AbortKeyEvent poll() override {
        watch();
        return ++polls == 3 ? AbortKeyEvent::EscapeReleased : AbortKeyEvent::None;
    }
    std::function<void()> watch;
    int polls = 0;
};

TEST_F(FileInfoWindowTest, ALongComparisonShowsItsProgressAndStopsOnEscape) {
    const std::string big(5 * 32768, 'x');
    tmp.writeFile("src/a.txt", big);
    tmp.writeFile("dst/a.txt", big);
    std::filesystem::last_write_time(tmp / "dst/a.txt",
                                     std::filesystem::last_write_time(tmp / "src/a.txt") -
                                         std::chrono::hours(1));
    auto w = planned();
    EscapeOnThirdPoll key;
    FileInfoWindow info(Platform{fileSystem, messages, key},
                        *w->job().list().at(row(*w, "a.txt", source)), w.get());
    info.show();
    auto* bar = info.findChild<QProgressBar*>();
    std::vector<int> values;
    key.watch = [&] {
        values.push_back(bar->value());
        EXPECT_TRUE(bar->isVisible());
        EXPECT_FALSE(infoEdit(info, "resultEdit")->isVisible());
        EXPECT_FALSE(infoButton(info, "okButton")->isEnabled());
        info.reject(); // closing waits for the comparison's end
    };
    messages.answers = {MessageAnswer::Yes};
    QTest::mouseClick(infoButton(info, "compareButton"), Qt::LeftButton);

    EXPECT_EQ(bar->maximum(), 5 * 32768);
    EXPECT_EQ(values, (std::vector<int>{32768, 2 * 32768, 3 * 32768}));
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"中断しますか?"}));
    EXPECT_EQ(infoEdit(info, "resultEdit")->text(), "比較を中断しました");
    EXPECT_TRUE(info.isVisible());
    EXPECT_TRUE(infoButton(info, "okButton")->isEnabled());
}

TEST_F(FileInfoWindowTest, EscapeAndControlInTheWindowStopAComparison) {
    const std::string big(5 * 32768, 'x');
    for (const char* name : {"src/a.txt", "dst/a.txt"})
        tmp.writeFile(name, big);
    std::filesystem::last_write_time(tmp / "dst/a.txt",
                                     std::filesystem::last_write_time(tmp / "src/a.txt") -
                                         std::chrono::hours(1));
    auto w = planned();
    for (const test::Brake& brake : test::brakes()) {
        SCOPED_TRACE(brake.what);
        test::KeysDuringPoll key;
        FileInfoWindow info(Platform{fileSystem, messages, key},
                            *w->job().list().at(row(*w, "a.txt", source)), w.get());
        ASSERT_TRUE(test::showActive(info));
        key.pressAt(1, brake.press);
        messages.shown.clear();
        messages.answers = {MessageAnswer::Yes};
        QTest::mouseClick(infoButton(info, "compareButton"), Qt::LeftButton);
        test::releaseControl();
        EXPECT_EQ(messages.texts(), brake.asked);
        EXPECT_EQ(infoEdit(info, "resultEdit")->text(), "比較を中断しました");
    }
}

TEST_F(FileInfoWindowTest, ARowThatHasRunShowsTheSystemTextOfItsError) {
    auto w = planned();
    fileSystem.copyFaults.writeError = ENOSPC;
    QTest::mouseClick(button(*w, "runButton"), Qt::LeftButton);
    const int failed = row(*w, "b.c", source);
    ASSERT_EQ(w->job().list().at(failed)->state, kStateFailed);
    show(*w);
    const std::vector<Shown> windows = doubleClick(*w, failed, failed);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(windows[0].resultShown);
    EXPECT_EQ(windows[0].result, "No space left on device");
    EXPECT_FALSE(windows[0].compareOffered);
}

} // namespace
} // namespace ryk

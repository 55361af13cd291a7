#include "desktop/results/RunProgressThrottle.h"

#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace ryk {
namespace {

using namespace std::chrono_literals;
using Show = RunProgressThrottle::Show;

/// Each showing as a line: "2:3 4:2" for marks (row:overlay), "row 4 text" for the entry.
class RunProgressThrottleTest : public testing::Test {
protected:
    std::vector<std::string> taken() { return std::exchange(shown, {}); }
    void showMarks(const std::vector<OperationTableModel::RowMark>& marks) {
        std::string line;
        for (const auto& [row, overlay] : marks)
            line += (line.empty() ? "" : " ") + std::to_string(row) + ":" +
                    std::to_string(static_cast<int>(overlay));
        shown.push_back(line);
    }
    void showEntry(size_t row, const QString& text) {
        shown.push_back("row " + std::to_string(row) + " " + text.toStdString());
    }

    std::vector<std::string> shown;
    RunProgressThrottle throttle{50ms, [this](const auto& marks) { showMarks(marks); },
                                 [this](size_t row, const QString& text) { showEntry(row, text); }};
};

TEST_F(RunProgressThrottleTest, AnEntryShowsAtOnceAfterAQuietIntervalElseWithTheNextLook) {
    throttle.entryStarting(0, "a", Show::WhenDue);
    EXPECT_EQ(taken(), (std::vector<std::string>{"0:3", "row 0 a"}));
    throttle.entryFinished(0, RowOverlay::Done);
    throttle.entryStarting(1, "b", Show::WhenDue);
    EXPECT_TRUE(taken().empty()) << "within the interval";
    throttle.entryStarting(2, "c", Show::Now);
    EXPECT_EQ(taken(), (std::vector<std::string>{"0:2 1:3 2:3", "row 2 c"}));

    // The interval ends with marks alone: the next entry is not kept waiting.
    throttle.entryFinished(2, RowOverlay::Failed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 1000));
    EXPECT_EQ(taken(), (std::vector<std::string>{"2:1"}));
    throttle.entryStarting(3, "d", Show::WhenDue);
    EXPECT_EQ(taken(), (std::vector<std::string>{"3:3", "row 3 d"}));

    throttle.entryFinished(3, RowOverlay::Done);
    throttle.showNow();
    EXPECT_EQ(taken(), (std::vector<std::string>{"3:2"}));
}

} // namespace
} // namespace ryk

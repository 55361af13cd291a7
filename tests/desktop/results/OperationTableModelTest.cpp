#include "desktop/results/OperationTableModel.h"

#include "ModelTester.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace ryk {
namespace {

using test::ModelChecker;

class OperationTableModelTest : public ::testing::Test {
protected:
    OperationEntry& add(OperationCommand command, const std::string& source,
                        uint64_t sourceSize = 0, const std::string& target = {},
                        uint64_t targetSize = 0) {
        OperationEntry entry;
        entry.setCommand(command);
        entry.source.path = source;
        entry.source.size = sourceSize;
        entry.setTargetPath(target);
        entry.editTarget().size = targetSize;
        return list.append(std::move(entry));
    }
    void addCopies(int count) {
        for (int i = 0; i < count; ++i)
            add(OperationCommand::Copy, "/s/" + std::to_string(i), 1, "/d/" + std::to_string(i));
    }
    QString text(const OperationTableModel& model, int row, int column) const {
        return model.data(model.index(row, column)).toString();
    }
    QImage image(const OperationTableModel& model, int row) const {
        return model.data(model.index(row, 0), Qt::DecorationRole).value<QPixmap>().toImage();
    }
    std::vector<std::string> sourcePaths() const {
        std::vector<std::string> paths;
        for (const auto& entry : list)
            paths.push_back(entry->source.path.str());
        return paths;
    }

    OperationList list;
};

TEST_F(OperationTableModelTest, ColumnsFollowTheMode) {
    const struct {
        TransferMode mode;
        int columns;
    } cases[] = {{TransferMode::Update, 3}, {TransferMode::Move, 3},     {TransferMode::Search, 2},
                 {TransferMode::Delete, 2}, {TransferMode::Response, 3}, {TransferMode::Sync, 3}};
    for (const auto& c : cases) {
        OperationTableModel model(list, c.mode);
        model.reset();
        EXPECT_EQ(model.columnCount(), c.columns) << modeName(c.mode);
        EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "行動");
        EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "元ファイル名");
        EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(),
                  c.columns == 3 ? "先ファイル名" : "");
    }
}

TEST_F(OperationTableModelTest, RowTextsFollowTheCommand) {
    const struct {
        OperationCommand command;
        const char* name;
        const char* sourceColumn;
        const char* targetColumn;
    } cases[] = {
        {OperationCommand::Copy, "Copy", "/s/f", "/d/f"},
        {OperationCommand::Update, "Update", "/s/f", "/d/f"},
        {OperationCommand::Move, "Move", "/s/f", "/d/f"},
        {OperationCommand::UpAndMove, "Up&Move", "/s/f", "/d/f"},
        {OperationCommand::Delete, "Delete", "/s/f", ""},
        {OperationCommand::Rmdir, "Rmdir", "/s/f", ""},
        {OperationCommand::Find, "Find", "/s/f", ""},
        {OperationCommand::Mkdir, "Mkdir", "/s/f", ""},
        // An Error line names the file it could not take.
        {OperationCommand::Error, "Error", "エラーが発生: /s/f", ""},
    };
    for (const auto& c : cases)
        add(c.command, "/s/f", 0, "/d/f");
    OperationTableModel model(list, TransferMode::Update);
    model.reset();
    ASSERT_EQ(model.rowCount(), 9);
    for (int row = 0; row < 9; ++row) {
        const auto& c = cases[row];
        EXPECT_EQ(text(model, row, 0), c.name);
        EXPECT_EQ(text(model, row, 1), QString::fromUtf8(c.sourceColumn)) << c.name;
        EXPECT_EQ(text(model, row, 2), c.targetColumn) << c.name;
    }
    list.at(8)->setTargetAtFault(true); // another line writes its target
    EXPECT_EQ(text(model, 8, 1), QStringLiteral("エラーが発生: /d/f"));
    list.at(0)->setHardLinkTo(SharedPath("/d/e"));
    EXPECT_EQ(text(model, 0, 0), "Link");
    EXPECT_EQ(text(model, 0, 2), "/d/f");
}

TEST_F(OperationTableModelTest, PathsThatAreNotUtf8StillShow) {
    add(OperationCommand::Copy, "/s/caf\xe9", 0, "/d/caf\xe9");
    OperationTableModel model(list, TransferMode::Update);
    model.reset();
    EXPECT_TRUE(text(model, 0, 1).startsWith("/s/caf"));
    EXPECT_EQ(text(model, 0, 1).size(), 7);
}

TEST_F(OperationTableModelTest, RowImageShowsTheCommandWithTheRowsMark) {
    for (int c = 0; c < RowImages::kCommands; ++c)
        add(static_cast<OperationCommand>(c), "/s/" + std::to_string(c));
    add(OperationCommand::Copy, "/s/again");
    OperationTableModel model(list, TransferMode::Update);
    model.reset();

    std::set<QByteArray> commandImages;
    for (int row = 0; row < RowImages::kCommands; ++row) {
        const QImage img = image(model, row);
        ASSERT_FALSE(img.isNull());
        commandImages.insert(QByteArray(reinterpret_cast<const char*>(img.constBits()),
                                        static_cast<int>(img.sizeInBytes())));
    }
    EXPECT_EQ(commandImages.size(), 9u) << "each command has its own image";

    const QImage plainCopy = image(model, 0);
    std::set<QByteArray> marked;
    for (int o = 1; o < RowImages::kOverlays; ++o) {
        model.setOverlay(0, static_cast<RowOverlay>(o));
        EXPECT_EQ(model.overlay(0), static_cast<RowOverlay>(o));
        const QImage img = image(model, 0);
        EXPECT_NE(img, plainCopy) << "overlay " << o;
        marked.insert(QByteArray(reinterpret_cast<const char*>(img.constBits()),
                                 static_cast<int>(img.sizeInBytes())));
    }
    EXPECT_EQ(marked.size(), 4u) << "each mark looks different";
    EXPECT_EQ(image(model, 9), plainCopy) << "the mark belongs to its row only";
    model.setOverlay(0, RowOverlay::None);
    EXPECT_EQ(image(model, 0), plainCopy);
}

TEST_F(OperationTableModelTest, TotalsCountOnlyTheirCommandsAndFollowRemoval) {
    add(OperationCommand::Copy, "/s/new", 100, "/d/new", 0);
    add(OperationCommand::Update, "/s/smaller", 50, "/d/smaller", 80);
    add(OperationCommand::Delete, "/s/gone", 7, "/d/gone", 1000);
    add(OperationCommand::Error, "/s/bad", 1000, "/d/bad", 1);
    OperationTableModel model(list, TransferMode::Update);
    model.reset();
    EXPECT_EQ(model.totals().totalBytes, 157u);
    EXPECT_EQ(model.totals().neededBytes, 70);

    ASSERT_TRUE(model.removeRows(0, 1));
    EXPECT_EQ(model.totals().totalBytes, 57u);
    EXPECT_EQ(model.totals().neededBytes, -30) << "a larger target makes the need negative";
    ASSERT_TRUE(model.removeRows(0, 3));
    EXPECT_EQ(model.totals().totalBytes, 0u);
    EXPECT_EQ(model.totals().neededBytes, 0);
}

TEST_F(OperationTableModelTest, RemovingRowsDestroysTheEntriesAtTheirPositions) {
    addCopies(10);
    OperationTableModel model(list, TransferMode::Update);
    ModelChecker checker(&model);
    model.reset();
    model.setOverlay(6, RowOverlay::Done);

    EXPECT_FALSE(model.removeRows(8, 3)) << "past the end";
    EXPECT_FALSE(model.removeRows(-1, 1));
    EXPECT_FALSE(model.removeRows(0, 0));
    ASSERT_TRUE(model.removeRows(2, 3));
    EXPECT_EQ(sourcePaths(),
              (std::vector<std::string>{"/s/0", "/s/1", "/s/5", "/s/6", "/s/7", "/s/8", "/s/9"}));
    EXPECT_EQ(model.overlay(3), RowOverlay::Done) << "the mark moves with its row";

    model.removeRowSet({0, 3, 4, 6});
    EXPECT_EQ(sourcePaths(), (std::vector<std::string>{"/s/1", "/s/5", "/s/8"}));
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.overlay(0), RowOverlay::None);
    EXPECT_TRUE(checker.complaints().isEmpty()) << checker.complaints().join('\n').toStdString();
}

TEST_F(OperationTableModelTest, RemovingManyScatteredRowsKeepsTheOthersInOrder) {
    addCopies(1000);
    OperationTableModel model(list, TransferMode::Update);
    ModelChecker checker(&model);
    model.reset();
    std::vector<int> even;
    for (int row = 0; row < 1000; row += 2) {
        even.push_back(row);
        model.setOverlay(static_cast<size_t>(row + 1), RowOverlay::Failed);
    }
    model.removeRowSet(even);
    ASSERT_EQ(list.size(), 500u);
    ASSERT_EQ(model.rowCount(), 500);
    for (int row = 0; row < 500; ++row) {
        EXPECT_EQ(list.at(static_cast<size_t>(row))->source.path,
                  "/s/" + std::to_string(2 * row + 1));
        EXPECT_EQ(model.overlay(static_cast<size_t>(row)), RowOverlay::Failed);
    }
    EXPECT_EQ(model.totals().totalBytes, 500u);
    EXPECT_TRUE(checker.complaints().isEmpty()) << checker.complaints().join('\n').toStdString();
}

TEST_F(OperationTableModelTest, FillAndClearReportTheirProgress) {
    addCopies(600);
    OperationTableModel model(list, TransferMode::Update);
    ModelChecker checker(&model);
    std::vector<size_t> filled;
    model.reset([&](size_t done, size_t count) {
        EXPECT_EQ(count, 600u);
        filled.push_back(done);
    });
    EXPECT_EQ(filled, (std::vector<size_t>{256, 512, 600}));

    std::vector<size_t> left;
    model.clear([&](size_t rows, size_t) { left.push_back(rows); });
    EXPECT_EQ(left, (std::vector<size_t>{599, 512, 256, 0}));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.totals().totalBytes, 0u);
    EXPECT_TRUE(checker.complaints().isEmpty()) << checker.complaints().join('\n').toStdString();
}

} // namespace
} // namespace ryk

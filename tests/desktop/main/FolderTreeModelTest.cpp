#include "desktop/main/FolderTreeModel.h"

#include "platform/qt/ByteText.h"
#include "support/EngineFixture.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace ryk {
namespace {

using FolderTreeModelTest = test::EngineTest;

TEST_F(FolderTreeModelTest, ListsFoldersAsTheyAreNamedAndHiddenOnesOnlyOnTheWay) {
    tmp.makeDir("tree/caf\xe9");
    tmp.makeDir("tree/.hidden/inner");
    tmp.makeDir("tree/.other");
    tmp.makeDir("tree/Plain");
    tmp.writeFile("tree/file.txt");
    std::filesystem::create_symlink("Plain", tmp / "tree/link");
    std::filesystem::create_symlink("nowhere", tmp / "tree/dangling");
    FolderTreeModel model(fileSystem);

    const QModelIndex inner = model.find(tmp / "tree/.hidden/inner");
    ASSERT_TRUE(inner.isValid());
    EXPECT_EQ(model.path(inner), tmp / "tree/.hidden/inner");
    const QModelIndex tree = inner.parent().parent();
    ASSERT_EQ(model.path(tree), tmp / "tree");
    QStringList names;
    for (int row = 0; row < model.rowCount(tree); ++row) {
        const QModelIndex child = model.index(row, 0, tree);
        names << child.data().toString();
        EXPECT_EQ(child.parent(), tree) << row;
    }
    // A link to a folder is one; a file, a dangling link and other hidden folders are not.
    EXPECT_EQ(names, (QStringList{".hidden", fromBytes("caf\xe9"), "link", "Plain"}));
    EXPECT_EQ(model.path(model.index(1, 0, tree)), tmp / "tree/caf\xe9");
    EXPECT_FALSE(model.find(tmp / "tree/file.txt").isValid());
}

} // namespace
} // namespace ryk

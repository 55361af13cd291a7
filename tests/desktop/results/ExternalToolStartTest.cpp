#include "RowContextMenuFixture.h"
#include "desktop/results/ExternalTools.h"

namespace ryk {
namespace {

namespace fs = std::filesystem;
using test::kRecorder;
using test::RowContextMenuTest;

TEST_F(RowContextMenuTest, EachToolStartsItsProgramWithTheFiles) {
    // A program path with spaces, stored unquoted as a file dialog gives it.
    const std::string spaced = tmp.makeDir("my tools") + "/record arguments";
    fs::create_symlink(kRecorder.toStdString(), spaced);
    const QString sourceFile = in(source, "with space.txt");
    const QString targetFile = in(destination, "with space.txt");
    // A name that is not UTF-8 reaches the program as the bytes it is.
    const std::string latin1 = "caf\xe9.txt";
    tmp.writeFile("src/" + latin1, "new");
    olderCopy(latin1);
    const struct {
        const char* label;
        ToolPaths tools;
        const char* item;
        int column;
        std::string file;
        QStringList recorded;
    } cases[] = {
        {"binary editor with its own option",
         {kRecorder.toStdString() + " -b", "", ""},
         "Binary",
         1,
         "with space.txt",
         {kRecorder, "-b", sourceFile}},
        {"text editor on the destination",
         {"", kRecorder.toStdString(), ""},
         "Editor",
         2,
         "with space.txt",
         {kRecorder, targetFile}},
        {"comparison from a path with spaces",
         {"", "", spaced + " --diff"},
         "Windiff",
         1,
         "with space.txt",
         {QString::fromStdString(spaced), "--diff", sourceFile, targetFile}},
        {"comparison of a name that is not UTF-8",
         {"", "", kRecorder.toStdString()},
         "Windiff",
         1,
         latin1,
         {kRecorder, fromBytes(source + "/" + latin1), fromBytes(destination + "/" + latin1)}},
    };
    for (const auto& c : cases) {
        auto w = plannedWith(c.tools);
        const int row = rowOf(*w, source + "/" + c.file);
        ASSERT_TRUE(readPopup([&] { rightClick(*w, row, c.column); }, c.item).opened) << c.label;
        EXPECT_EQ(recordedArguments(), c.recorded) << c.label;
        EXPECT_TRUE(messages.shown.empty()) << c.label;
    }
}

TEST_F(RowContextMenuTest, AProgramThatCannotStartIsNamed) {
    const std::string notExecutable = tmp.writeFile("not-a-program", "text");
    const struct {
        const char* label;
        std::string configured;
        std::string named;
    } cases[] = {
        {"missing file", "/nonexistent/editor", "/nonexistent/editor"},
        {"not executable", notExecutable, notExecutable},
        {"not on the search path", "ryk-no-such-editor --wait", "ryk-no-such-editor"},
    };
    for (const auto& c : cases) {
        auto w = plannedWith({"", c.configured, ""});
        messages.shown.clear();
        readPopup([&] { rightClick(*w, rowOf(*w, source + "/a.txt"), 1); }, "Editor");
        ASSERT_EQ(messages.shown.size(), 1u) << c.label;
        EXPECT_TRUE(
            messages.shown[0].text.starts_with("「" + c.named + "」を起動できませんでした。\n"))
            << c.label << ": " << messages.shown[0].text;
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation) << c.label;
    }

    // Not from the menu, which grays an unset program.
    messages.shown.clear();
    EXPECT_FALSE(startTool({}, ExternalTool::Binary, {"/s/a", ""}, messages));
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{
                  "「Binary」を起動できませんでした。\nプログラムが設定されていません"}));
    EXPECT_FALSE(fs::exists(argumentsFile));
}

} // namespace
} // namespace ryk

#include "desktop/results/ExternalTools.h"

#include "engine/OperationEntry.h"

#include <QSet>
#include <gtest/gtest.h>

namespace ryk {
namespace {

OperationEntry entry(OperationCommand command, const char* source, bool sourceFound,
                     const char* target = "", bool targetFound = false) {
    OperationEntry e;
    e.setCommand(command);
    e.source.path = SharedPath(source);
    e.source.found = sourceFound;
    e.setTargetPath(SharedPath(target));
    e.editTarget().found = targetFound;
    return e;
}

TEST(MenuRulesTest, TheFilesFollowTheCellAndWhatThePlanFound) {
    const OperationEntry copy = entry(OperationCommand::Copy, "/s/a", true, "/d/a", false);
    const OperationEntry update = entry(OperationCommand::Update, "/s/a", true, "/d/a", true);
    const OperationEntry mkdir = entry(OperationCommand::Mkdir, "/d/sub", false);
    const OperationEntry error = entry(OperationCommand::Error, "/s/bad", false);
    const OperationEntry find = entry(OperationCommand::Find, "/s/a", true);
    const struct {
        const char* label;
        const OperationEntry* entry;
        int column;
        std::string file;
        std::string otherFile;
    } cases[] = {
        {"update, source", &update, 1, "/s/a", "/d/a"},
        {"update, destination", &update, 2, "/d/a", ""},
        {"update, action column", &update, 0, "", ""},
        {"update, past the columns", &update, 3, "", ""},
        {"copy, source without destination", &copy, 1, "/s/a", ""},
        {"copy, destination not there yet", &copy, 2, "", ""},
        {"mkdir: the directory is still to make", &mkdir, 1, "", ""},
        {"error line", &error, 1, "", ""},
        {"find", &find, 1, "/s/a", ""},
        {"find has no destination", &find, 2, "", ""},
        {"no entry", nullptr, 1, "", ""},
    };
    for (const auto& c : cases) {
        const MenuFiles files = menuFilesOf(c.entry, c.column);
        EXPECT_EQ(files.file, c.file) << c.label;
        EXPECT_EQ(files.otherFile, c.otherFile) << c.label;
        EXPECT_EQ(files.any(), !c.file.empty()) << c.label;
    }
}

TEST(MenuRulesTest, AToolIsGrayWithoutItsProgramOrASecondFile) {
    const ToolPaths all{"hexedit", "gedit", "meld"};
    const MenuFiles pair{"/s/a", "/d/a"};
    const MenuFiles single{"/s/a", ""};
    const struct {
        const char* label;
        ToolPaths tools;
        MenuFiles files;
        bool binary, editor, windiff;
    } cases[] = {
        {"all configured, two files", all, pair, true, true, true},
        {"all configured, one file", all, single, true, true, false},
        {"none configured", {}, pair, false, false, false},
        {"only the binary editor", {"hexedit", "", ""}, pair, true, false, false},
        {"only the text editor", {"", "gedit", ""}, pair, false, true, false},
        {"only the comparison", {"", "", "meld"}, pair, false, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toolEnabled(c.tools, ExternalTool::Binary, c.files), c.binary) << c.label;
        EXPECT_EQ(toolEnabled(c.tools, ExternalTool::Editor, c.files), c.editor) << c.label;
        EXPECT_EQ(toolEnabled(c.tools, ExternalTool::Windiff, c.files), c.windiff) << c.label;
    }
}

TEST(ToolCommandTest, EachFileIsOneArgumentAfterTheConfiguredCommand) {
    const struct {
        const char* label;
        const char* configured;
        ExternalTool tool;
        MenuFiles files;
        QSet<QString> existing;
        QString program;
        QStringList arguments;
    } cases[] = {
        {"plain path",
         "/usr/bin/hexedit",
         ExternalTool::Binary,
         {"/d/a.txt", ""},
         {},
         "/usr/bin/hexedit",
         {"/d/a.txt"}},
        {"a file with spaces stays whole, unquoted",
         "/usr/bin/gedit",
         ExternalTool::Editor,
         {"/d/with space.txt", ""},
         {},
         "/usr/bin/gedit",
         {"/d/with space.txt"}},
        {"a file with quotes stays as it is",
         "gedit",
         ExternalTool::Editor,
         {"/d/say \"hi\".txt", ""},
         {},
         "gedit",
         {"/d/say \"hi\".txt"}},
        {"the comparison takes both files",
         "meld",
         ExternalTool::Windiff,
         {"/s/a b.c", "/d/a b.c"},
         {},
         "meld",
         {"/s/a b.c", "/d/a b.c"}},
        {"the other file only goes to the comparison",
         "gedit",
         ExternalTool::Editor,
         {"/s/a", "/d/a"},
         {},
         "gedit",
         {"/s/a"}},
        {"a comparison without a second file",
         "meld",
         ExternalTool::Windiff,
         {"/s/a", ""},
         {},
         "meld",
         {"/s/a"}},
        {"configured arguments come first",
         "gedit --new-window -s",
         ExternalTool::Editor,
         {"/d/a", ""},
         {},
         "gedit",
         {"--new-window", "-s", "/d/a"}},
        {"a quoted program path",
         "\"/opt/My Editor/edit\" -n",
         ExternalTool::Editor,
         {"/d/a", ""},
         {"/opt/My Editor/edit"},
         "/opt/My Editor/edit",
         {"-n", "/d/a"}},
        {"an unquoted path with spaces that exists",
         "/opt/My Editor/edit",
         ExternalTool::Editor,
         {"/d/a", ""},
         {"/opt/My Editor/edit"},
         "/opt/My Editor/edit",
         {"/d/a"}},
        {"... followed by arguments",
         "/opt/My Editor/edit --wait \"x y\"",
         ExternalTool::Editor,
         {"/d/a", ""},
         {"/opt/My Editor/edit"},
         "/opt/My Editor/edit",
         {"--wait", "x y", "/d/a"}},
        {"the shortest existing prefix wins",
         "/opt/My Editor/edit",
         ExternalTool::Editor,
         {"/d/a", ""},
         {"/opt/My", "/opt/My Editor/edit"},
         "/opt/My",
         {"Editor/edit", "/d/a"}},
        {"nothing exists: split at the spaces",
         "/opt/My Editor/edit",
         ExternalTool::Editor,
         {"/d/a", ""},
         {},
         "/opt/My",
         {"Editor/edit", "/d/a"}},
        {"spaces around the text",
         "  /usr/bin/hexedit \t",
         ExternalTool::Binary,
         {"/d/a", ""},
         {"/usr/bin/hexedit"},
         "/usr/bin/hexedit",
         {"/d/a"}},
        {"nothing configured", "", ExternalTool::Binary, {"/d/a", ""}, {}, "", {"/d/a"}},
    };
    for (const auto& c : cases) {
        QStringList probed;
        const ToolCommand command =
            buildToolCommand(c.configured, c.tool, c.files, [&](const QString& path) {
                probed << path;
                return c.existing.contains(path);
            });
        EXPECT_EQ(command.program, c.program) << c.label;
        EXPECT_EQ(command.arguments, c.arguments)
            << c.label << ": " << command.arguments.join('|').toStdString();
        if (QString(c.configured).startsWith('"')) {
            EXPECT_TRUE(probed.isEmpty()) << c.label << ": quotes say where the program ends";
        }
    }
}

} // namespace
} // namespace ryk

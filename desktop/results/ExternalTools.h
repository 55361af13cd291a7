#pragma once

#include "engine/ToolPaths.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

namespace ryk {

class MessageBox;
class OperationEntry;

/// The three external programs a row's file can be opened in, in the order of the row menu.
enum class ExternalTool { Binary, Editor, Windiff };

/// The menu ids of the tools and the range of ids the file's own menu items take.
inline constexpr int kEditorCommand = 32771;
inline constexpr int kBinaryCommand = 32772;
inline constexpr int kWindiffCommand = 32773;
inline constexpr int kFirstFileCommand = 32900;
inline constexpr int kLastFileCommand = 33000;

/// The files a row menu is about: the file of the clicked cell and, for a source cell whose
/// destination exists, that destination.
struct MenuFiles {
    std::string file;
    std::string otherFile;

    /// False when no existing file stands behind the cell: then no menu opens.
    bool any() const { return !file.empty(); }
};

/// The files of `column` of `entry` (null: none). Only the source and destination columns have
/// any, and only as far as the plan found them.
MenuFiles menuFilesOf(const OperationEntry* entry, int column);

/// The menu text of `tool`: "Binary", "Editor" or "Windiff".
QString toolText(ExternalTool tool);
/// The menu id of `tool`.
int toolCommandId(ExternalTool tool);
/// The configured command of `tool`.
const std::string& toolPath(const ToolPaths& tools, ExternalTool tool);
/// True when `tool`'s item can be chosen: its program is configured, and for the comparison
/// there is a second file.
bool toolEnabled(const ToolPaths& tools, ExternalTool tool, const MenuFiles& files);

/// A program and its arguments, ready to start.
struct ToolCommand {
    QString program;
    QStringList arguments;
};

/// Tells whether a path names an existing file (a program to start).
using FileProbe = std::function<bool(const QString& path)>;

/// The command that opens `files` in `tool` as `configured` names it. The configured text is a
/// command split like a shell line (double quotes group); each file is one argument of its own
/// whatever it contains, the other file following for the comparison. A text that does not
/// begin with a quote names a program whose path has spaces when its prefix up to a space
/// (shortest first), or the whole, is a path that `exists`; the rest are its arguments.
ToolCommand buildToolCommand(const std::string& configured, ExternalTool tool,
                             const MenuFiles& files, const FileProbe& exists);

/// Starts `tool` on `files` without waiting for it. When it cannot be started (nothing
/// configured, no such program, not executable) `messageBox` says so, naming the program, and
/// the answer is false.
bool startTool(const ToolPaths& tools, ExternalTool tool, const MenuFiles& files,
               MessageBox& messageBox);

} // namespace ryk

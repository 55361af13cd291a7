#include "desktop/results/ExternalTools.h"

#include "desktop/results/OperationTableModel.h"
#include "engine/OperationEntry.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/qt/ByteText.h"
#include "platform/qt/QtTranslation.h"

#include <QProcess>
#include <filesystem>
#include <system_error>
#include <vector>

namespace ryk {

namespace {

/// Only a path with a directory in it is taken as it stands; a bare name is a program of the
/// search path, as a shell would take it.
bool isProgramFile(const QString& path) {
    std::error_code ignored;
    return path.contains(u'/') && std::filesystem::is_regular_file(toBytes(path), ignored);
}

} // namespace

MenuFiles menuFilesOf(const OperationEntry* entry, int column) {
    if (!entry)
        return {};
    switch (column) {
    case OperationTableModel::SourceColumn:
        return {entry->source.foundPath(), entry->target().foundPath()};
    case OperationTableModel::TargetColumn:
        return {entry->target().foundPath(), {}};
    default:
        return {};
    }
}

QString toolText(ExternalTool tool) {
    switch (tool) {
    case ExternalTool::Binary:
        return QStringLiteral("Binary");
    case ExternalTool::Editor:
        return QStringLiteral("Editor");
    case ExternalTool::Windiff:
        return QStringLiteral("Windiff");
    }
    return {};
}

int toolCommandId(ExternalTool tool) {
    switch (tool) {
    case ExternalTool::Binary:
        return kBinaryCommand;
    case ExternalTool::Editor:
        return kEditorCommand;
    case ExternalTool::Windiff:
        return kWindiffCommand;
    }
    return 0;
}

const std::string& toolPath(const ToolPaths& tools, ExternalTool tool) {
    switch (tool) {
    case ExternalTool::Binary:
        return tools.binaryEditor;
    case ExternalTool::Editor:
        return tools.textEditor;
    case ExternalTool::Windiff:
        break;
    }
    return tools.comparisonProgram;
}

bool toolEnabled(const ToolPaths& tools, ExternalTool tool, const MenuFiles& files) {
    if (toolPath(tools, tool).empty())
        return false;
    return tool != ExternalTool::Windiff || !files.otherFile.empty();
}

ToolCommand buildToolCommand(const std::string& configured, ExternalTool tool,
                             const MenuFiles& files, const FileProbe& exists) {
    const QString text = fromBytes(configured).trimmed();
    ToolCommand command;
    // A path picked in a file dialog is stored as it is, spaces and all, without quotes; only
    // a leading quote says where the program ends.
    if (!text.startsWith(u'"')) {
        for (qsizetype end = text.indexOf(u' ');; end = text.indexOf(u' ', end + 1)) {
            const QString candidate = end < 0 ? text : text.left(end);
            if (!candidate.isEmpty() && exists(candidate)) {
                command.program = candidate;
                if (end >= 0)
                    command.arguments = QProcess::splitCommand(QStringView(text).mid(end + 1));
                break;
            }
            if (end < 0)
                break;
        }
    }
    if (command.program.isEmpty()) {
        command.arguments = QProcess::splitCommand(text);
        if (!command.arguments.isEmpty())
            command.program = command.arguments.takeFirst();
    }
    command.arguments << fromBytes(files.file);
    if (tool == ExternalTool::Windiff && !files.otherFile.empty())
        command.arguments << fromBytes(files.otherFile);
    return command;
}

bool startTool(const ToolPaths& tools, ExternalTool tool, const MenuFiles& files,
               MessageBox& messageBox) {
    const ToolCommand command = buildToolCommand(toolPath(tools, tool), tool, files, isProgramFile);
    std::string reason;
    if (command.program.isEmpty()) {
        reason = qtTextTranslation().translate("ExternalTools", "プログラムが設定されていません");
    } else {
        // The file names go as the bytes they are: a text argument list would rewrite a name
        // that is not UTF-8 into one naming another file or none.
        std::vector<std::string> arguments;
        for (const QString& argument : command.arguments)
            arguments.push_back(toBytes(argument));
        const int error = startDetachedProgram(toBytes(command.program), arguments);
        if (error == 0)
            return true;
        reason = errorText(error);
    }
    const std::string name = toBytes(command.program.isEmpty() ? toolText(tool) : command.program);
    messageBox.tell(
        fillIn(qtTextTranslation().translate("ExternalTools", "「%1」を起動できませんでした。\n"),
               {name}) +
        reason);
    return false;
}

} // namespace ryk

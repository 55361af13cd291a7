#include "results/ExternalTools.h"

#include "engine/OperationEntry.h"
#include "platform/MessageBox.h"
#include "results/OperationTableModel.h"

#include <QFileInfo>
#include <QProcess>

namespace ryk {

namespace {

/// Only a path with a directory in it is taken as it stands; a bare name is a program of the
/// search path, as a shell would take it.
bool isProgramFile(const QString& path) {
    return path.contains(u'/') && QFileInfo(path).isFile();
}

/// An argument list holds text, so a name that is not UTF-8 would reach the program rewritten,
/// naming another file or none.
bool isWholeInUtf8(const std::string& name) {
    return QString::fromStdString(name).toStdString() == name;
}

} // namespace

MenuFiles menuFilesOf(const OperationEntry* entry, int column) {
    if (!entry)
        return {};
    switch (column) {
    case OperationTableModel::SourceColumn:
        return {entry->source.foundPath(), entry->target.foundPath()};
    case OperationTableModel::TargetColumn:
        return {entry->target.foundPath(), {}};
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
    const QString text = QString::fromStdString(configured).trimmed();
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
    command.arguments << QString::fromStdString(files.file);
    if (tool == ExternalTool::Windiff && !files.otherFile.empty())
        command.arguments << QString::fromStdString(files.otherFile);
    return command;
}

bool startTool(const ToolPaths& tools, ExternalTool tool, const MenuFiles& files,
               MessageBox& messageBox) {
    const ToolCommand command = buildToolCommand(toolPath(tools, tool), tool, files, isProgramFile);
    QString reason;
    if (command.program.isEmpty()) {
        reason = QStringLiteral("プログラムが設定されていません");
    } else if (!isWholeInUtf8(files.file) || !isWholeInUtf8(files.otherFile)) {
        reason = QStringLiteral("ファイル名が UTF-8 ではありません");
    } else {
        QProcess process;
        process.setProgram(command.program);
        process.setArguments(command.arguments);
        if (process.startDetached())
            return true;
        reason = process.errorString();
    }
    const QString name = command.program.isEmpty() ? toolText(tool) : command.program;
    messageBox.tell(
        QStringLiteral("「%1」を起動できませんでした。\n%2").arg(name, reason).toStdString());
    return false;
}

} // namespace ryk

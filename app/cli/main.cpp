// ryk-cli: the engine from a terminal, with the same command line as the desktop program.
// It plans the job and prints the list in the clipboard format; with --run it runs the list.
// It never touches the settings file. --help and -? print the usage, --version the version.
//
// Exit status: 0 when every line was planned and, with --run, carried out; 1 when the plan met
// a problem or a line failed; 2 when the command line or the job it states was refused (nothing
// planned); 130 when Ctrl+C stopped the run.

#include "Version.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/cli/RunProgressLine.h"
#include "engine/ListText.h"
#include "engine/TransferJob.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/console/ConsoleAbortKey.h"
#include "platform/console/ConsoleBatchProgress.h"
#include "platform/console/ConsoleCopyProgress.h"
#include "platform/console/ConsoleMessageBox.h"
#include "platform/posix/PosixFileBatch.h"
#include "platform/posix/PosixFileSystem.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace ryk;

constexpr int kExitProblem = 1;
/// As a shell reports a command ended by SIGINT.
constexpr int kExitStopped = 130;

/// One line of the list as a terminal shows it: control bytes in a name cannot break it.
std::string terminalLine(const OperationEntry& entry) {
    return escapeControlBytes(clipboardLine(entry));
}

/// Prints each line of the list as terminalLine() gives it, in large pieces through two buffers
/// kept for the whole list.
void printPlan(const OperationList& list) {
    constexpr size_t kFlushBytes = 64 * 1024;
    std::string line;
    std::string out;
    out.reserve(kFlushBytes + 4096);
    for (const auto& entry : list) {
        line.clear();
        appendClipboardLine(line, *entry);
        appendEscapedControlBytes(out, line);
        out += '\n';
        if (out.size() >= kFlushBytes) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

/// Counts what it passes on. While a plan is made every message reports a problem: a directory
/// that could not be read, a response file that could not be opened. During a run a message
/// moves the progress line out of its way.
class CountingMessageBox : public MessageBox {
public:
    explicit CountingMessageBox(MessageBox& inner) : m_inner(inner) {}
    MessageAnswer show(const std::string& text, const std::string& caption, MessageButtons buttons,
                       MessageIcon icon) override {
        ++m_count;
        if (m_progressLine)
            m_progressLine->erase();
        const MessageAnswer answer = m_inner.show(text, caption, buttons, icon);
        if (m_progressLine)
            m_progressLine->restore();
        return answer;
    }
    int count() const { return m_count; }
    void setProgressLine(TerminalRunProgress* line) { m_progressLine = line; }

private:
    MessageBox& m_inner;
    TerminalRunProgress* m_progressLine = nullptr;
    int m_count = 0;
};

/// Prints each line's outcome as the run reaches it.
class ConsoleRunObserver : public RunObserver {
public:
    void entryStarting(size_t, const OperationEntry&, const std::string&) override {}
    void entryFinished(size_t, const OperationEntry& entry, RowOverlay overlay) override {
        const char* mark = "";
        switch (overlay) {
        case RowOverlay::Done:
            mark = "done";
            break;
        case RowOverlay::Failed:
            mark = "failed";
            break;
        case RowOverlay::Batch:
            return; // its outcome follows when the batch has run
        case RowOverlay::None:
        case RowOverlay::Running:
            mark = entry.state == kStatePending ? "pending" : "skipped";
            break;
        }
        std::string line = std::string("[") + mark + "] " + terminalLine(entry);
        if (overlay == RowOverlay::Failed)
            line += " (" + errorText(static_cast<int>(entry.lastError)) + ")";
        // On a terminal each line shows as it comes; a pipe gets whole blocks.
        std::puts(line.c_str());
    }
};

/// Writes every Error line of the plan to stderr with its reason; their number.
int reportErrorLines(const OperationList& list) {
    int count = 0;
    for (const auto& entry : list) {
        if (entry->command != OperationCommand::Error)
            continue;
        ++count;
        std::string line = terminalLine(*entry);
        if (entry->lastError != 0)
            line += " (" + errorText(static_cast<int>(entry->lastError)) + ")";
        line += '\n';
        std::fputs(line.c_str(), stderr);
    }
    return count;
}

/// The options of ryk-cli itself, taken out before the command line reaches the option handler.
struct CliOptions {
    bool run = false;
    bool createDestination = false;
    bool explorerStyle = false;
    bool help = false;
    bool version = false;
};

/// Takes our own long options out of the program arguments; the rest, in order, is the command
/// line. After "--" (which the option handler sees too) they are paths like every other argument.
std::vector<std::string> takeOwnOptions(int argc, char** argv, CliOptions& options) {
    std::vector<std::string> arguments;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--")
            optionsEnded = true;
        bool* own = nullptr;
        if (!optionsEnded) {
            if (argument == "--run")
                own = &options.run;
            else if (argument == "--create-destination")
                own = &options.createDestination;
            else if (argument == "--explorer")
                own = &options.explorerStyle;
            else if (argument == "--help")
                own = &options.help;
            else if (argument == "--version")
                own = &options.version;
        }
        if (own)
            *own = true;
        else
            arguments.push_back(argument);
    }
    return arguments;
}

/// Runs the planned list, with a line of overall progress when stderr is a terminal.
RunSummary runList(TransferJob& job, CountingMessageBox& messages) {
    ConsoleRunObserver observer;
    ConsoleCopyProgress progress;
    if (!isatty(STDERR_FILENO))
        return job.OnOK(observer, progress);

    TerminalRunProgress line(plannedRunCounts(job.list()), observer, progress, stderr,
                             isatty(STDOUT_FILENO) ? TerminalRunProgress::OutcomeLines::OnTerminal
                                                   : TerminalRunProgress::OutcomeLines::Elsewhere);
    messages.setProgressLine(&line);
    const RunSummary summary = job.OnOK(line, line);
    messages.setProgressLine(nullptr);
    line.end();
    return summary;
}

} // namespace

int main(int argc, char** argv) {
    CliOptions options;
    const std::vector<std::string> arguments = takeOwnOptions(argc, argv, options);
    if (options.help) {
        std::fputs(terminalUsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts(RYK_VERSION_TEXT);
        return 0;
    }

    PosixFileSystem fileSystem;
    ConsoleMessageBox messageBox;
    ConsoleAbortKey abortKey;
    CountingMessageBox messages(messageBox);
    ConsoleBatchProgress batchProgress(abortKey);
    PosixFileBatch batch(fileSystem, &batchProgress);
    const Platform platform{fileSystem, messages, abortKey, &batch};

    // Option combinations it refuses are told and dropped: that is no problem of the plan.
    Application application(platform, Application::Program::Terminal);
    switch (application.startUp(arguments)) {
    case Application::StartResult::Proceed:
        break;
    case Application::StartResult::PrintUsage:
        std::fputs(terminalUsageText().c_str(), stdout);
        return 0;
    case Application::StartResult::Exit:
        if (application.exitStatus() == kExitCommandLineError)
            std::fputs("詳しくは ryk-cli --help を見てください。\n", stderr);
        return application.exitStatus();
    }

    application.job().createDestination = options.createDestination;
    application.job().explorerStyle = options.explorerStyle;
    TransferJob job(platform);
    // The checks of the job's statement refused it before anything was planned.
    if (!application.startJob(job))
        return kExitCommandLineError;
    const int messagesBeforePlan = messages.count();
    if (!job.PlanJob()) {
        job.list().clear();
        return kExitProblem;
    }
    bool planProblems = messages.count() != messagesBeforePlan;
    printPlan(job.list());
    const PlanTotals totals = computeTotals(job.list());
    std::puts(summaryText(job, totals).c_str());
    if (reportErrorLines(job.list()) > 0)
        planProblems = true;
    if (!options.run)
        return planProblems ? kExitProblem : 0;

    std::fflush(stdout);
    const RunSummary summary = runList(job, messages);
    if (!summary.complete) {
        std::puts(runStoppedText(summary.errors, pendingActionCount(job.list())).c_str());
        return kExitStopped;
    }
    std::puts(runFinishedText(summary.errors).c_str());
    return summary.errors == 0 && !planProblems ? 0 : kExitProblem;
}

// ryk-cli: the engine from a terminal, with the same command line as the desktop program.
// It plans the job and prints the list in the clipboard format; with --run it runs the list.
// It never touches the settings file. --help and -? print the usage, --version the version.
// With --json, stdout carries JSON Lines (JsonLines.h) in place of the text lines.
//
// Exit status: 0 when every line was planned and, with --run, carried out; 1 when the plan met
// a problem, a line failed or stdout could not be written; 2 when the command line or the job it
// states was refused (nothing planned); 130 when Ctrl+C stopped the plan or the run.

#include "Version.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "engine/ListText.h"
#include "engine/TransferJob.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/console/ConsoleAbortKey.h"
#include "platform/console/ConsoleBatchProgress.h"
#include "platform/console/ConsoleCopyProgress.h"
#include "platform/console/ConsoleMessageBox.h"
#include "platform/console/ConsoleTranslation.h"
#include "platform/posix/PosixFileBatch.h"
#include "platform/posix/PosixFileSystem.h"
#include "programs/ryk-cli/JsonLines.h"
#include "programs/ryk-cli/RunProgressLine.h"

#include <cerrno>
#include <cstdio>
#include <malloc.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using namespace ryk;

constexpr int kExitProblem = 1;
/// As a shell reports a command ended by SIGINT.
constexpr int kExitStopped = 130;

/// Everything the program prints on stdout goes through here, so that a write that failed is
/// noticed even when later ones succeed, and its reason is kept for the closing message.
class Output {
public:
    explicit Output(const Translation& translation) : m_translation(translation) {}
    void write(std::string_view text) {
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
            noteFailure();
    }
    void line(std::string_view text) {
        write(text);
        write("\n");
    }
    /// True when everything written so far reached stdout; says why not on stderr, once.
    [[nodiscard]] bool flushed() {
        errno = 0;
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            noteFailure();
        if (m_error != 0 && !m_told) {
            m_told = true;
            const std::string text =
                m_translation.translate("ryk-cli", "標準出力に書き込めません: ");
            std::fputs((text + errorText(m_error) + "\n").c_str(), stderr);
        }
        return m_error == 0;
    }
    /// `status`, or that of a problem when stdout could not be written.
    int finish(int status) { return flushed() || status != 0 ? status : 1; }

private:
    void noteFailure() {
        if (m_error == 0)
            m_error = errno != 0 ? errno : EIO;
    }

    const Translation& m_translation;
    int m_error = 0;
    bool m_told = false;
};

/// What stdout carries: text lines for people, or JSON Lines for programs.
enum class OutputForm { Text, Json };

/// Prints each line of the list, in large pieces through a buffer kept for the whole list.
void printPlan(const OperationList& list, OutputForm form, Output& output) {
    constexpr size_t kFlushBytes = 64 * 1024;
    std::string out;
    out.reserve(kFlushBytes + 4096);
    size_t line = 0;
    for (const auto& entry : list) {
        if (form == OutputForm::Json) {
            appendPlanJson(out, ++line, *entry);
        } else {
            appendClipboardLine(out, *entry);
            out += '\n';
        }
        if (out.size() >= kFlushBytes) {
            output.write(out);
            out.clear();
        }
    }
    output.write(out);
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
    ConsoleRunObserver(OutputForm form, Output& output) : m_form(form), m_output(output) {}
    void entryStarting(size_t, const OperationEntry&, const std::string&) override {}
    void entryFinished(size_t row, const OperationEntry& entry, EntryOutcome outcome) override {
        if (m_form == OutputForm::Json) {
            std::string object;
            appendOutcomeJson(object, row + 1, entry, outcome);
            m_output.write(object);
            return;
        }
        const char* mark = "";
        switch (outcome) {
        case EntryOutcome::Done:
            mark = "done";
            break;
        case EntryOutcome::Failed:
            mark = "failed";
            break;
        case EntryOutcome::Deferred:
            return; // its outcome follows when the batch has run
        case EntryOutcome::NoAction:
            mark = entry.state == kStatePending ? "pending" : "skipped";
            break;
        }
        std::string line = std::string("[") + mark + "] " + clipboardLine(entry);
        if (outcome == EntryOutcome::Failed)
            line += " (" + errorText(static_cast<int>(entry.lastError)) + ")";
        // On a terminal each line shows as it comes; a pipe gets whole blocks.
        m_output.line(line);
    }

private:
    OutputForm m_form;
    Output& m_output;
};

/// Writes every Error line of the plan to stderr with its reason; their number.
int reportErrorLines(const OperationList& list) {
    int count = 0;
    for (const auto& entry : list) {
        if (entry->command != OperationCommand::Error)
            continue;
        ++count;
        std::string line = clipboardLine(*entry);
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
    bool skipUnchanged = false;
    bool trash = false;
    bool verify = false;
    bool hardLinks = false;
    bool json = false;
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
            else if (argument == "--skip-unchanged")
                own = &options.skipUnchanged;
            else if (argument == "--trash")
                own = &options.trash;
            else if (argument == "--verify")
                own = &options.verify;
            else if (argument == "--hard-links")
                own = &options.hardLinks;
            else if (argument == "--json")
                own = &options.json;
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
RunSummary runList(TransferJob& job, CountingMessageBox& messages, OutputForm form, Output& output,
                   const Translation& translation) {
    ConsoleRunObserver observer(form, output);
    ConsoleCopyProgress progress;
    if (!isatty(STDERR_FILENO))
        return job.OnOK(observer, progress);

    TerminalRunProgress line(plannedRunCounts(job.list()), observer, progress, stderr,
                             isatty(STDOUT_FILENO) ? TerminalRunProgress::OutcomeLines::OnTerminal
                                                   : TerminalRunProgress::OutcomeLines::Elsewhere,
                             {}, translation);
    messages.setProgressLine(&line);
    const RunSummary summary = job.OnOK(line, line);
    messages.setProgressLine(nullptr);
    line.end();
    return summary;
}

} // namespace

int main(int argc, char** argv) {
    // A plan's readers make the listings that the scan frees: in an arena of their own each,
    // what one freed would stay apart from what the others need.
    mallopt(M_ARENA_MAX, 1);
    CliOptions options;
    const std::vector<std::string> arguments = takeOwnOptions(argc, argv, options);
    const Translation& translation = consoleTranslation(userLanguage());
    Output output(translation);
    if (options.help) {
        output.write(terminalUsageText(translation));
        return output.finish(0);
    }
    if (options.version) {
        output.line(RYK_VERSION_TEXT);
        return output.finish(0);
    }

    PosixFileSystem fileSystem;
    ConsoleMessageBox messageBox;
    ConsoleAbortKey abortKey;
    CountingMessageBox messages(messageBox);
    ConsoleBatchProgress batchProgress(abortKey);
    PosixFileBatch batch(fileSystem, &batchProgress);
    const Platform platform{fileSystem, messages, abortKey, &batch, translation};

    // Option combinations it refuses are told and dropped: that is no problem of the plan.
    Application application(platform, Application::Program::Terminal);
    switch (application.startUp(arguments)) {
    case Application::StartResult::Proceed:
        break;
    case Application::StartResult::PrintUsage:
        output.write(terminalUsageText(translation));
        return output.finish(0);
    case Application::StartResult::Exit:
        if (application.exitStatus() == kExitCommandLineError)
            std::fputs(
                translation.translate("ryk-cli", "詳しくは ryk-cli --help を見てください。\n")
                    .c_str(),
                stderr);
        return application.exitStatus();
    }

    TransferJob job(platform);
    // The checks of the job's statement refused it before anything was planned.
    if (!application.startJob(job, {.createDestination = options.createDestination,
                                    .explorerStyle = options.explorerStyle,
                                    .skipUnchanged = options.skipUnchanged,
                                    .trash = options.trash,
                                    .verify = options.verify,
                                    .hardLinks = options.hardLinks}))
        return kExitCommandLineError;
    const int messagesBeforePlan = messages.count();
    const bool planned = job.PlanJob();
    // A plan stopped by Ctrl+C is no plan, however far it got.
    if (abortKey.poll() == AbortKeyEvent::ControlDown) {
        job.list().clear();
        std::fputs(translation.translate("ryk-cli", "中断しました\n").c_str(), stderr);
        return kExitStopped;
    }
    if (!planned) {
        job.list().clear();
        return kExitProblem;
    }
    bool planProblems = messages.count() != messagesBeforePlan;
    const OutputForm form = options.json ? OutputForm::Json : OutputForm::Text;
    printPlan(job.list(), form, output);
    const PlanTotals totals = computeTotals(job.list());
    const int errorLines = reportErrorLines(job.list());
    if (form == OutputForm::Json) {
        std::string object;
        appendSummaryJson(object, job.list().size(), totals, errorLines);
        output.write(object);
    } else {
        output.line(summaryText(job.list().size(), totals, job.shownMode(), job.summaryVolume()));
    }
    if (errorLines > 0)
        planProblems = true;
    if (!options.run)
        return output.finish(planProblems ? kExitProblem : 0);

    // Nothing is run whose plan could not be shown: its outcomes could not be either.
    if (!output.flushed())
        return kExitProblem;
    const RunSummary summary = runList(job, messages, form, output, translation);
    if (form == OutputForm::Json) {
        std::string object;
        appendFinishedJson(object, summary, pendingActionCount(job.list()));
        output.write(object);
        if (!summary.complete)
            return output.finish(kExitStopped);
        return output.finish(summary.errors == 0 && !planProblems ? 0 : kExitProblem);
    }
    if (!summary.complete) {
        output.line(runStoppedText(summary.errors, pendingActionCount(job.list()), translation));
        return output.finish(kExitStopped);
    }
    output.line(runFinishedText(summary.errors, translation));
    return output.finish(summary.errors == 0 && !planProblems ? 0 : kExitProblem);
}

// ryk-cli: the engine from a terminal, with the same command line as the desktop program.
// It plans the job and prints the list in the clipboard format; with --run it runs the list.

#include "app/CommandLine.h"
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
#include <vector>

namespace {

using namespace ryk;

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
        std::string line = std::string("[") + mark + "] " + clipboardLine(entry);
        if (overlay == RowOverlay::Failed)
            line += " (" + errorText(static_cast<int>(entry.lastError)) + ")";
        // On a terminal each line shows as it comes; a pipe gets whole blocks.
        std::puts(line.c_str());
    }
};

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments;
    bool run = false;
    bool createDestination = false;
    bool explorerStyle = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        // Our own long options never reach the option handler; after "--" (which the handler
        // sees too) they are paths like every other argument.
        if (!optionsEnded && argument == "--")
            optionsEnded = true;
        if (!optionsEnded && argument == "--run")
            run = true;
        else if (!optionsEnded && argument == "--create-destination")
            createDestination = true;
        else if (!optionsEnded && argument == "--explorer")
            explorerStyle = true;
        else
            arguments.push_back(argument);
    }

    PosixFileSystem fileSystem;
    ConsoleMessageBox messageBox;
    ConsoleAbortKey abortKey;
    JobSettings settings;
    settings.afterDate = DateTime::now();
    StartupFlags flags;
    if (!readCommandLine(arguments, settings, flags, fileSystem, messageBox))
        return kExitCommandLineError;
    if (flags.showUsage) {
        std::fputs(usageText().c_str(), stderr);
        return 0;
    }

    ConsoleBatchProgress batchProgress(abortKey);
    PosixFileBatch batch(fileSystem, &batchProgress);
    const Platform platform{fileSystem, messageBox, abortKey, &batch};
    settings.createDestination = createDestination;
    settings.explorerStyle = explorerStyle;
    TransferJob job(platform);
    if (!job.takeJob(settings))
        return 1;
    if (!job.PlanJob()) {
        job.list().clear();
        return 1;
    }
    for (const auto& entry : job.list())
        std::puts(clipboardLine(*entry).c_str());
    std::puts(summaryText(job, computeTotals(job.list())).c_str());
    if (!run)
        return 0;

    std::fflush(stdout);
    ConsoleRunObserver observer;
    ConsoleCopyProgress progress;
    const RunSummary summary = job.OnOK(observer, progress);
    std::puts(runFinishedText(summary.errors).c_str());
    return summary.errors == 0 && summary.complete ? 0 : 1;
}

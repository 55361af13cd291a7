// ryk-cli: the engine from a terminal, with the same command line as the desktop program.

#include "app/Application.h"
#include "app/CommandLine.h"
#include "platform/Platform.h"
#include "platform/console/ConsoleAbortKey.h"
#include "platform/console/ConsoleMessageBox.h"
#include "platform/posix/PosixFileSystem.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace ryk;
    std::vector<std::string> arguments;
    bool run = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        // Our own long options never reach the option handler.
        if (argument == "--run")
            run = true;
        else
            arguments.push_back(argument);
    }
    (void)run;

    PosixFileSystem fileSystem;
    ConsoleMessageBox messageBox;
    ConsoleAbortKey abortKey;
    JobSettings job;
    job.afterDate = DateTime::now();
    StartupFlags flags;
    readCommandLine(arguments, job, flags, fileSystem, messageBox);
    if (flags.showUsage) {
        std::fputs(usageText().c_str(), stderr);
        return 0;
    }
    std::fputs(describeJob(job).c_str(), stdout);
    return 0;
}

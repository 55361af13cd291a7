#pragma once

#include "app/CommandLine.h"
#include "app/SettingsFile.h"
#include "engine/JobSettings.h"
#include "engine/ToolPaths.h"
#include "platform/Platform.h"

#include <string>
#include <vector>

namespace ryk {

class TransferJob;

/// The choices a program states beside the command line: ryk-cli's own options (the desktop
/// program's main window states them in its check box and options sheet).
struct JobChoices {
    bool createDestination = false;
    bool explorerStyle = false;
    /// A sync leaves out the files whose copy is there already (no effect in other modes).
    bool skipUnchanged = false;
    /// Deletions and replaced files go to the trash.
    bool trash = false;
    /// Copies are read back and compared with their sources.
    bool verify = false;
    /// Update and Sync keep a file's further names as hard links (no effect in other modes).
    bool hardLinks = false;
};

/// The program's start-up and end, shared by `ryk` and `ryk-cli`: the job read from the command
/// line, the usage question and the settings file.
class Application {
public:
    /// Which program starts. The terminal one serves scripts: it never reads or writes the
    /// settings file, whose histories and program paths only the desktop windows use, and it
    /// prints the usage instead of asking whether to go on.
    enum class Program { Desktop, Terminal };
    /// PrintUsage only for the terminal program: "-?" was given; the caller prints
    /// terminalUsageText() and ends with status 0.
    enum class StartResult { Proceed, Exit, PrintUsage };

    explicit Application(const Platform& platform, Program program = Program::Desktop);

    /// Reads the command line, asks the usage question when "-?" was given (No ends at once),
    /// loads the settings file unless "-i". Exit also after an unknown option (its message was
    /// shown), before the settings file is touched.
    StartResult startUp(const std::vector<std::string>& arguments);
    /// The status the process ends with after startUp returned Exit: 0 after the usage box was
    /// answered No, kExitCommandLineError after an unknown option.
    int exitStatus() const { return m_exitStatus; }
    /// Writes the settings file unless "-i" or the terminal program; a failure is shown and the
    /// old file stays.
    void shutDown();

    /// Hands the job of the command line, with `choices` and the program paths of the settings
    /// file, to `job`: the one intake both programs use. False when a check refused it (the
    /// message was shown and the job's focus field names the one to correct).
    [[nodiscard]] bool startJob(TransferJob& job, const JobChoices& choices = {}) const;
    /// The three program paths as the settings file holds them for the result window's rows.
    ToolPaths toolPaths() const;

    /// The job of the command line.
    const JobSettings& job() const { return m_job; }
    SettingsFile& settings() { return m_settings; }

private:
    /// False for "-i" and for the terminal program.
    bool usesSettingsFile() const;

    Platform m_platform;
    Program m_program;
    JobSettings m_job;
    StartupFlags m_flags;
    SettingsFile m_settings;
    int m_exitStatus = 0;
};

} // namespace ryk

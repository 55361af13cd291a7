#pragma once

#include "engine/JobSettings.h"
#include "platform/Translation.h"

#include <string>
#include <vector>

namespace ryk {

class FileSystem;
class MessageBox;

/// What the command line says beyond the job itself.
struct StartupFlags {
    /// "-i": neither read nor write the settings file.
    bool noSettingsFile = false;
    /// "-?": show the usage text.
    bool showUsage = false;
};

/// Path arguments this long or longer refuse the command line ("パラメータが長すぎます...").
inline constexpr size_t kMaxArgumentBytes = 4096;

/// Reads the program arguments (without the program name; each one a token, as the shell split
/// them) into `job` and `flags`, then checks the option combinations. A combination that does
/// not fit the mode, and a second response file, are one message each; the option group or the
/// file is dropped and reading goes on. An argument "--" ends the options: every argument after
/// it is a path.
/// False, after one message, at the first argument that must not be read on: one that begins
/// with '-' but is no option as spelt, an empty or over-long path, a third path. Reading stops
/// there and the job must not be used.
[[nodiscard]] bool readCommandLine(const std::vector<std::string>& arguments, JobSettings& job,
                                   StartupFlags& flags, FileSystem& fileSystem,
                                   MessageBox& messages,
                                   const Translation& translation = kUntranslated);

/// The exit status of both programs when readCommandLine refused the command line.
inline constexpr int kExitCommandLineError = 2;

/// The usage text, one line per line feed (the last line ends with one too).
const std::string& usageText();
/// usageText in the user's language.
std::string usageText(const Translation& translation);
/// The usage text as a terminal prints it: without the usage box's closing question, with
/// ryk-cli's own options after it.
const std::string& terminalUsageText();
/// terminalUsageText in the user's language.
std::string terminalUsageText(const Translation& translation);

/// The caption of the usage box.
inline constexpr const char* kUsageCaption =
    translatable("CommandLine", "Command line の説明").text;

} // namespace ryk

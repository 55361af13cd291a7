#pragma once

#include "engine/JobSettings.h"
#include "engine/OperationEntry.h"
#include "platform/Platform.h"

#include <string>
#include <string_view>
#include <unordered_set>

namespace ryk {

class LineReader;
class SearchSink;
enum class UserTextEncoding;

/// Response mode: a file of command lines drives the plan, one line at a time, each line a
/// small job of its own planned into the one list.
class ResponsePlanner {
public:
    /// `job` is where the lines start from; each line states its own mode (or goes on in the
    /// mode of the line before), its five path texts and its ten flags.
    ResponsePlanner(const Platform& platform, SearchSink* searchSink, OperationList& list,
                    const JobSettings& job);

    /// Plans every line of the response file `file`. Never abandoned: a line that cannot be
    /// planned becomes an Error line. Shown in Response mode.
    PlanOutcome RunResponseFile(const std::string& file);
    /// Plans one response line; 1 when it added an entry or ran a plan that was not abandoned.
    int PlanResponseLine(std::string_view line);

    /// Index of the first of `words` equal to `word` (mode 0 exactly, 1 ignoring ASCII case),
    /// or -1; `words` ends with an empty text.
    static int FindKeyword(std::string_view word, const char* const* words, int mode);
    /// Field `n` (from 1) of a response line's arguments; false when there is none. A quoted
    /// field has the escapes of the list's lines read back, so a copied list plans its names.
    static bool GetField(std::string_view text, int n, std::string& out);

private:
    /// Plans the lines of an open response file from its start; 0 at the end of the file or
    /// the error code of a read that failed.
    int planResponseLines(LineReader& reader, UserTextEncoding encoding);
    /// Plans a response line of which only the head was kept: its content when a comment
    /// begins within the head, otherwise an Error line for the whole line.
    int planOverLongLine(std::string_view head);
    /// An Error line that shows the start of a response line that cannot be planned.
    int planRefusedLine(std::string_view line);
    /// The three fields of a response line's arguments.
    struct LineFields {
        std::string source;
        /// The destination; the exclusions of a Delete or Find line.
        std::string destination;
        std::string exclusions;
    };

    /// PlanResponseLine without the check of its targets.
    int planLine(std::string_view line);
    /// An Error line for a line whose first word is no keyword; the lines that continue it
    /// plan nothing.
    int planMisspeltLine(std::string_view line);
    /// Takes a line's paths, its exclusions and no flags into the line's job, with defaults.
    void takeLinePaths(const LineFields& fields);
    /// Plans a Mkdir of a missing directory or an Rmdir of an existing one; 1 when it did.
    int planDirectoryLine(OperationCommand command, const std::string& directory);
    /// Takes the mode (and its flags) that `command` states; Response for a line that plans
    /// nothing, the mode of the line before for a continuing line.
    void takeLineMode(OperationCommand command, const LineFields& fields);
    /// True, after an Error line, for paths the line must not plan from: a path that leads
    /// through a link, the root of a delete or move.
    bool refuseLinePaths(const LineFields& fields);
    /// True when the line's directories exist; otherwise an Error line names the first one that
    /// does not.
    bool lineDirectoriesExist();
    /// Turns the lines from position `first` on that write where an earlier line of the file
    /// writes into Error lines: the lines of a response file are planned one by one, each
    /// without knowing the others.
    void refuseDuplicateTargets(size_t first);
    /// What tells the target `path` from every other: its directory's identity (its text
    /// while it is still to be made) and its name.
    std::string targetKey(std::string_view path);

    Platform m_platform;
    SearchSink* m_searchSink;
    OperationList& m_list;
    /// The job the line being planned states, as the line before left it.
    JobSettings m_line;
    /// The targets the lines planned so far write, by targetKey().
    std::unordered_set<std::string> m_written;
    /// The last directory targetKey() identified, and the start of its keys.
    std::string m_keyedDirectory;
    std::string m_directoryKey;
};

} // namespace ryk

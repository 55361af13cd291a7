// Response mode: a file of command lines drives the plan, one line at a time.

#include "engine/ResponsePlanner.h"

#include "engine/Patterns.h"
#include "engine/TreeScan.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/LineReader.h"
#include "platform/MessageBox.h"
#include "platform/TextCodec.h"
#include "platform/text/Ascii.h"
#include "platform/text/Utf8.h"

namespace ryk {

namespace {

/// A longer line is refused as a whole rather than planned from a part of it.
constexpr size_t kResponseLineLimit = 65536;
/// How much of a refused line its Error line shows.
constexpr size_t kRefusedLineShown = 200;

bool isFieldSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

/// The double quote that closes a quoted run begun before `from`, or npos. Inside the run a
/// backslash escapes the byte after it, as the list's lines write a quote within a name.
size_t closingQuote(std::string_view text, size_t from) {
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] == '"')
            return i;
        if (text[i] == '\\')
            ++i;
    }
    return std::string_view::npos;
}

/// The text of a quoted run with the list's escapes read back ("\\", "\"", "\n", "\r", "\t",
/// "\xhh"); a backslash before anything else stays as written.
std::string unescaped(std::string_view quoted) {
    std::string out;
    out.reserve(quoted.size());
    for (size_t i = 0; i < quoted.size(); ++i) {
        const char c = quoted[i];
        const char next = i + 1 < quoted.size() ? quoted[i + 1] : '\0';
        if (c != '\\') {
            out += c;
        } else if (next == '\\' || next == '"') {
            out += next;
            ++i;
        } else if (next == 'n' || next == 'r' || next == 't') {
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\t';
            ++i;
        } else if (next == 'x' && i + 3 < quoted.size() && hexDigit(quoted[i + 2]) >= 0 &&
                   hexDigit(quoted[i + 3]) >= 0) {
            out += static_cast<char>(hexDigit(quoted[i + 2]) * 16 + hexDigit(quoted[i + 3]));
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

/// Where the comment of a line begins: the first ';' outside double quotes.
size_t commentStart(std::string_view line, bool& unterminatedQuote) {
    unterminatedQuote = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            const size_t close = closingQuote(line, i + 1);
            if (close == std::string_view::npos) {
                unterminatedQuote = true;
                return line.size();
            }
            i = close;
        } else if (line[i] == ';') {
            return i;
        }
    }
    return line.size();
}

/// The error of a read that failed; a reader that cannot tell still gets an error line.
int readError(const LineReader& reader) {
    return reader.error() != 0 ? reader.error() : EIO;
}

/// Reads the whole file once to learn its encoding, since one file is one encoding: UTF-8 when
/// all of it is well-formed, CP932 otherwise. Leaves the reader at the start again; 0 or the
/// error code.
int judgeEncoding(LineReader& reader, UserTextEncoding& encoding) {
    Utf8Validator validator;
    std::string text;
    for (LineRead read; !validator.failed() && (read = reader.next(text)) != LineRead::End;) {
        if (read == LineRead::Failed)
            return readError(reader);
        validator.feed(text);
        // The line feed between lines keeps a character cut at a line's end from being
        // completed by the next line's bytes.
        if (read == LineRead::Line)
            validator.feed("\n");
    }
    encoding = validator.valid() ? UserTextEncoding::Utf8 : UserTextEncoding::Cp932;
    return reader.rewind();
}

/// The first `limit` bytes of a text, shortened so no UTF-8 character is cut.
std::string_view headOf(std::string_view text, size_t limit) {
    if (text.size() <= limit)
        return text;
    while (limit > 0 && isUtf8Continuation(static_cast<unsigned char>(text[limit])))
        --limit;
    return text.substr(0, limit);
}

} // namespace

ResponsePlanner::ResponsePlanner(const Platform& platform, SearchSink* searchSink,
                                 OperationList& list, const JobSettings& job)
    : m_platform(platform), m_searchSink(searchSink), m_list(list), m_line(job) {}

int ResponsePlanner::FindKeyword(std::string_view word, const char* const* words, int mode) {
    if (mode != 0 && mode != 1)
        return -1;
    for (int i = 0; words[i][0] != '\0'; ++i) {
        const std::string_view candidate = words[i];
        if (mode == 0 ? word == candidate : equalsIgnoringAsciiCase(word, candidate))
            return i;
    }
    return -1;
}

bool ResponsePlanner::GetField(std::string_view text, int n, std::string& out) {
    out.clear();
    size_t pos = 0;
    for (int field = 1; field <= n; ++field) {
        while (pos < text.size() && isFieldSpace(text[pos]))
            ++pos;
        if (pos >= text.size())
            return false;
        size_t start = pos;
        size_t end;
        const bool quoted = text[pos] == '"';
        if (quoted) {
            start = pos + 1;
            end = std::min(closingQuote(text, start), text.size());
        } else {
            end = start;
            while (end < text.size() && !isFieldSpace(text[end]))
                ++end;
        }
        if (field == n) {
            if (quoted)
                out = unescaped(text.substr(start, end - start));
            else
                out.assign(text.substr(start, end - start));
            return true;
        }
        // A field that ran to the end of the text was the last one.
        if (end >= text.size())
            return false;
        pos = end + 1;
    }
    return false;
}

PlanOutcome ResponsePlanner::RunResponseFile(const std::string& file) {
    const auto reader = m_platform.fileSystem.openLines(file, kResponseLineLimit);
    if (!reader) {
        m_platform.messageBox.show(
            m_platform.translation.translate("ResponsePlanner", "レスポンスファイルを開けません"),
            kProgramTitle, MessageButtons::Ok, MessageIcon::Stop);
    } else {
        auto encoding = UserTextEncoding::Utf8;
        int error = judgeEncoding(**reader, encoding);
        if (error == 0)
            error = planResponseLines(**reader, encoding);
        // A file that fails midway is not a shorter job: the lines read so far stay, and this
        // line in the list says that the rest of the file is missing and why.
        if (error != 0)
            m_list.appendError(file, error);
    }
    return PlanOutcome{.planned = true, .shownMode = TransferMode::Response};
}

int ResponsePlanner::planResponseLines(LineReader& reader, UserTextEncoding encoding) {
    std::string piece;
    std::string rest;
    for (bool first = true;; first = false) {
        LineRead read = reader.next(piece);
        if (read == LineRead::End)
            return 0;
        if (read == LineRead::Failed)
            return readError(reader);
        if (first && std::string_view(piece).substr(0, kUtf8Bom.size()) == kUtf8Bom)
            piece.erase(0, kUtf8Bom.size());
        const std::string line = encoding == UserTextEncoding::Utf8 ? piece : decodeCp932(piece);
        if (read == LineRead::Line) {
            PlanResponseLine(line);
            continue;
        }
        // Only the head of an over-long line is kept; the rest of it is read past.
        while ((read = reader.next(rest)) == LineRead::Piece) {
        }
        if (read == LineRead::Failed)
            return readError(reader);
        planOverLongLine(line);
    }
}

int ResponsePlanner::planOverLongLine(std::string_view head) {
    bool unterminated = false;
    if (commentStart(head, unterminated) < head.size())
        return PlanResponseLine(head);
    return planRefusedLine(head);
}

int ResponsePlanner::planRefusedLine(std::string_view line) {
    std::string shown(headOf(line, kRefusedLineShown));
    for (char& c : shown)
        if (c == '\0')
            c = ' ';
    m_list.appendError(std::move(shown), EINVAL);
    return 1;
}

int ResponsePlanner::PlanResponseLine(std::string_view line) {
    const size_t first = m_list.size();
    const int result = planLine(line);
    refuseDuplicateTargets(first);
    return result;
}

int ResponsePlanner::planLine(std::string_view line) {
    bool unterminated = false;
    line = line.substr(0, commentStart(line, unterminated));
    const size_t separator = line.find_first_of(" \t,");
    if (line.empty() || separator == std::string_view::npos)
        return 0;
    // A line that cannot be what its writer meant is shown as an error line, never planned
    // from a guess: binary data, a runaway length, or a quote that never closes (it would
    // swallow the destination).
    if (line.find('\0') != std::string_view::npos || line.size() > kResponseLineLimit ||
        unterminated)
        return planRefusedLine(line);

    const std::string_view word = line.substr(0, separator);
    const int keyword = FindKeyword(word, kCommandNames, 1);
    // A word that is no keyword is a slip of the pen, not a continuation: in the mode of the
    // line before, "Delte" after a Delete line would delete. Only "Error" and the empty word of
    // a line that begins with a separator plan in that mode, as copied lists rely on.
    if (keyword < 0 && !word.empty())
        return planMisspeltLine(line);

    const std::string_view arguments = line.substr(separator + 1);
    LineFields fields;
    GetField(arguments, 1, fields.source);
    GetField(arguments, 2, fields.destination);
    GetField(arguments, 3, fields.exclusions);
    takeLinePaths(fields);
    const auto command = static_cast<OperationCommand>(keyword);
    if (command == OperationCommand::Rmdir || command == OperationCommand::Mkdir)
        return planDirectoryLine(command, fields.source);
    takeLineMode(command, fields);
    if (m_line.mode == TransferMode::Response)
        return 0;
    if (refuseLinePaths(fields))
        return 1;
    if (!lineDirectoriesExist())
        return 0;
    TreeScan scan(m_platform, m_searchSink, m_list);
    return scan.run(m_line) != -1 ? 1 : 0;
}

int ResponsePlanner::planMisspeltLine(std::string_view line) {
    size_t end = line.size();
    while (end > 0 && isFieldSpace(line[end - 1]))
        --end;
    m_list.appendError(std::string(line.substr(0, end)), EINVAL);
    // The lines that continue a misspelt one were meant for it, so they plan in no mode either.
    m_line.mode = TransferMode::Response;
    return 1;
}

void ResponsePlanner::takeLinePaths(const LineFields& fields) {
    m_line.flags = OptionFlags{};
    m_line.exclusionPatterns = fields.exclusions;
    SplitPathArgument(m_platform.fileSystem, fields.source, m_line.sourceDirectory,
                      m_line.sourcePatterns);
    SplitPathArgument(m_platform.fileSystem, fields.destination, m_line.destinationDirectory,
                      m_line.destinationPattern);
    applyDefaults(m_line.sourceDirectory, m_line.sourcePatterns);
    applyDefaults(m_line.destinationDirectory, m_line.destinationPattern);
}

int ResponsePlanner::planDirectoryLine(OperationCommand command, const std::string& directory) {
    m_line.mode = TransferMode::Response;
    std::string listing = directory;
    joinPath(listing, kDefaultPattern);
    const auto search = m_platform.fileSystem.newSearch();
    const bool exists = !directory.empty() && search->findFile(listing) == 0;
    if (exists != (command == OperationCommand::Rmdir))
        return 0;
    m_list.appendLine(command, directory);
    return 1;
}

void ResponsePlanner::takeLineMode(OperationCommand command, const LineFields& fields) {
    switch (command) {
    case OperationCommand::Update:
    case OperationCommand::UpAndMove:
        m_line.flags.dateConditions = m_line.flags.ignoreDates = 1;
        [[fallthrough]];
    case OperationCommand::Copy:
    case OperationCommand::Move:
        m_line.mode = copiesData(command) ? TransferMode::Update : TransferMode::Move;
        break;
    case OperationCommand::Delete:
    case OperationCommand::Find:
        m_line.mode =
            command == OperationCommand::Delete ? TransferMode::Delete : TransferMode::Search;
        m_line.exclusionPatterns = fields.destination;
        break;
    case OperationCommand::Error:
        // A line the plan refused, also in a copied list: it plans nothing, and the lines
        // that continue it neither.
        m_line.mode = TransferMode::Response;
        break;
    default:
        break; // the empty word of a continuing line keeps the mode of the line before
    }
}

} // namespace ryk

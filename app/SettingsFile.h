#pragma once

#include "engine/ToolPaths.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace ryk {

class FileSystem;

/// The sections of the settings file, in file and buffer order: five histories, three program
/// paths, and the options kept as keys of their own.
enum class SettingsSection {
    SrcDir = 0,
    SrcFile = 1,
    SrcExclusionFile = 2,
    DstDir = 3,
    DstFile = 4,
    BinaryEditor = 5,
    TextEditor = 6,
    Windiff = 7,
    Options = 8,
};

/// The program's settings: five history lists, three program paths and options, each a section of
/// "key=value" lines that holds at most kSectionLimit bytes (each line and the list counted
/// with a terminating NUL, as the stored format has always counted them).
class SettingsFile {
public:
    static constexpr size_t kSectionCount = 9;
    static constexpr size_t kSectionLimit = 1024;
    /// The longest history entry kept.
    static constexpr size_t kHistoryItemLimit = 255;

    SettingsFile() = default;
    explicit SettingsFile(std::string path) : m_path(std::move(path)) {}

    /// The largest part of a settings file that is read; a longer file gives its head and is
    /// never written back.
    static constexpr size_t kReadLimit = size_t{1} << 20;

    const std::string& path() const { return m_path; }
    void setPath(std::string path) {
        m_path = std::move(path);
        m_loadError = 0;
    }

    /// Reads all the sections; a missing or unreadable file gives empty sections. Reads
    /// UTF-8 or CP932, LF or CRLF; lines that do not fit a section are dropped. Returns the
    /// error code of reading (0, or ENOENT for a first run, ...), or kErrorNotReadWhole for a
    /// file longer than kReadLimit (its head is read), or kErrorNotText for one that is not
    /// text save() could write back as it was (its lines are read as far as they decode).
    int load(FileSystem& fileSystem);
    /// Writes all the sections (sections of other programs in the file are kept) to a
    /// temporary file renamed over the old one, making its directory when missing; 0 or the
    /// error code, the old file intact. A file that exists but could not be read, or not read
    /// whole or as text, is not replaced: load()'s error is returned.
    [[nodiscard]] int save(FileSystem& fileSystem) const;

    /// Takes the settings from a file's bytes, as load() does after reading them.
    void loadFromText(std::string_view bytes);
    /// The file's text as save() writes it: UTF-8, LF line ends, lines before the first
    /// section first, then our sections in order, then the sections of other programs.
    std::string toText() const;

    /// The lines ("key=value") of a section.
    const std::vector<std::string>& lines(SettingsSection section) const;
    /// Replaces a section's lines, keeping those that fit in order (a line that does not fit
    /// is left out and later shorter ones are still tried). Lines the file cannot hold as
    /// such (empty, blank, comments, section headers, line breaks, NUL, not UTF-8) are left out.
    void setLines(SettingsSection section, const std::vector<std::string>& lines);

    /// Rebuilds a history section from a list: "%d=%s" with 1-based positions; entries longer
    /// than kHistoryItemLimit are left out, keeping their positions.
    void setHistory(SettingsSection section, const std::vector<std::string>& entries);
    /// The values of a history section in file order: text after the first '=', lines
    /// without '=' and empty values skipped, case-insensitive duplicates dropped.
    std::vector<std::string> history(SettingsSection section) const;
    /// Makes a program section the single line "@=" + path; empty when the file cannot hold it.
    void setEditorPath(SettingsSection section, const std::string& path);
    /// The options page's reading: the text after the first '=' of the first line.
    std::string editorPath(SettingsSection section) const;
    /// The result window's reading: the first line without its first two bytes.
    std::string editorPathForTools(SettingsSection section) const;
    /// The three program paths as the result window's rows use them.
    ToolPaths toolPaths() const;

    /// Whether a sync leaves out unchanged files: the Options section's key "SkipUnchanged"
    /// (letters in either case) set to 1. Off without it, as in files written before it was.
    bool skipUnchanged() const { return optionOn("SkipUnchanged"); }
    /// Writes that key, in place of the one there, keeping the section's other lines.
    void setSkipUnchanged(bool on) { setOption("SkipUnchanged", on); }
    /// Whether a run's deletions go to the trash: the key "Trash", read and written the same way.
    bool trash() const { return optionOn("Trash"); }
    void setTrash(bool on) { setOption("Trash", on); }
    /// Whether copies are read back and compared: the key "Verify", the same way.
    bool verify() const { return optionOn("Verify"); }
    void setVerify(bool on) { setOption("Verify", on); }
    /// Whether a long run that ends unwatched tells the desktop: the key "NoticeLongRuns".
    bool noticeLongRuns() const { return optionOn("NoticeLongRuns"); }
    void setNoticeLongRuns(bool on) { setOption("NoticeLongRuns", on); }
    /// Whether Update and Sync keep further names of a file as hard links: the key "HardLinks".
    bool hardLinks() const { return optionOn("HardLinks"); }
    void setHardLinks(bool on) { setOption("HardLinks", on); }

    /// The section's name as it stands in the file ("SrcDir", ...).
    static const char* sectionName(SettingsSection section);
    /// Bytes a list of lines takes in the stored section format.
    static size_t sectionBytes(const std::vector<std::string>& lines);

    /// The settings file's path for an executable: beside it when that file exists or its
    /// directory is writable, else under $XDG_CONFIG_HOME/rykmere (default ~/.config/rykmere,
    /// where ~ is $HOME or, without it, the account's home directory; empty without either
    /// for an installed program).
    /// The name is the executable's with its extension replaced by (or, without one, with
    /// the addition of) ".INI"; a leading '.' of a hidden name is not an extension.
    /// An executable in the directory this build installs programs to is never a portable
    /// install, so its settings are always the user's own.
    static std::string defaultPath(const std::string& executablePath);
    /// defaultPath() with the directory installed programs live in given (none when empty).
    static std::string defaultPath(const std::string& executablePath,
                                   const std::string& installedProgramDirectory);

private:
    /// Whether the Options section sets `key` (letters in either case) to 1.
    bool optionOn(std::string_view key) const;
    /// Writes `key` as 1 or 0, in place of the line there, keeping the section's other lines.
    void setOption(std::string_view key, bool on);

    std::string m_path;
    std::array<std::vector<std::string>, kSectionCount> m_sections;
    /// Lines before the first section, written back unchanged at the top.
    std::string m_headText;
    /// Text of sections that are not ours, written back unchanged.
    std::string m_foreignText;
    /// The last load's error; a file that exists but could not be read, or not read whole or
    /// as text, is not replaced.
    int m_loadError = 0;
};

} // namespace ryk

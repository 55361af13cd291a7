#include "app/SettingsFile.h"

#include "platform/Environment.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/TextCodec.h"
#include "platform/text/Ascii.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace ryk {

namespace {

constexpr std::array<const char*, SettingsFile::kSectionCount> kSectionNames = {
    "SrcDir",       "SrcFile",    "SrcExclusionFile", "DstDir", "DstFile",
    "BinaryEditor", "TextEditor", "Windiff",          "Options"};
constexpr std::string_view kSkipUnchangedKey = "SkipUnchanged";
constexpr std::string_view kHardLinksKey = "HardLinks";

size_t indexOf(SettingsSection section) {
    return static_cast<size_t>(section);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

/// The name of a "[name]" line; text after the ']' does not count.
std::optional<std::string_view> headerName(std::string_view line) {
    const std::string_view text = trimmed(line);
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    const size_t close = text.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimmed(text.substr(1, close - 1));
}

/// Our section's index for a header name, or -1 for a section of another program.
int sectionIndex(std::string_view name) {
    for (size_t i = 0; i < kSectionNames.size(); ++i) {
        if (equalsIgnoringAsciiCase(name, kSectionNames[i]))
            return static_cast<int>(i);
    }
    return -1;
}

/// True when `line` sets `key`: "key=value", the key's letters in either case, blanks around it.
bool setsKey(std::string_view line, std::string_view key) {
    const size_t equals = line.find('=');
    return equals != std::string_view::npos &&
           equalsIgnoringAsciiCase(trimmed(line.substr(0, equals)), key);
}

/// True when the line comes back from the file as the same line of the same section.
bool isStorableLine(std::string_view line) {
    const std::string_view text = trimmed(line);
    if (text.empty() || text.front() == ';' || headerName(text))
        return false;
    if (line.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos)
        return false;
    return isValidUtf8(line);
}

/// Lines ended by LF, CRLF or a lone CR; a last line without an end counts too.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

void appendLine(std::string& text, std::string_view line) {
    text += line;
    text += '\n';
}

/// Whether text written back from these bytes says what they say. A NUL byte is no part of
/// a text file (a line holding one cannot be kept); bytes that are not UTF-8 are text only
/// when they are CP932 that encodes back to the same bytes: decoding anything else changes it.
bool isFaithfulText(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos)
        return false;
    if (isValidUtf8(bytes))
        return true;
    std::string encoded;
    return encodeCp932(decodeCp932(bytes), encoded) && encoded == bytes;
}

} // namespace

int SettingsFile::load(FileSystem& fileSystem) {
    std::string bytes;
    // One byte more than is kept tells a file that fits from a longer one.
    const int error = fileSystem.readFile(m_path, bytes, kReadLimit + 1);
    int keep = kErrorNone;
    if (error != kErrorNone) {
        bytes.clear();
    } else if (bytes.size() > kReadLimit) {
        // Only the head was read: its last line may be cut, even inside a character, which
        // would make a UTF-8 file look like CP932.
        bytes.resize(kReadLimit);
        const size_t end = bytes.find_last_of("\r\n");
        bytes.resize(end == std::string::npos ? 0 : end + 1);
        keep = kErrorNotReadWhole;
    } else if (!isFaithfulText(bytes)) {
        keep = kErrorNotText;
    }
    loadFromText(bytes);
    m_loadError = error != kErrorNone ? error : keep;
    return m_loadError;
}

int SettingsFile::save(FileSystem& fileSystem) const {
    // Replacing a file we could not read, or not read whole or not as text, would lose what
    // it holds.
    if (m_loadError != kErrorNone && m_loadError != kErrorFileNotFound)
        return m_loadError;
    return fileSystem.writeFileAtomically(m_path, toText());
}

void SettingsFile::loadFromText(std::string_view bytes) {
    m_loadError = kErrorNone;
    m_headText.clear();
    m_foreignText.clear();
    std::string text = decodeUserText(bytes);
    size_t bomBytes = 0;
    while (std::string_view(text).substr(bomBytes, kUtf8Bom.size()) == kUtf8Bom)
        bomBytes += kUtf8Bom.size();
    text.erase(0, bomBytes);

    enum class Target { Head, Ours, Repeated, Foreign };
    Target target = Target::Head;
    size_t current = 0;
    std::array<bool, kSectionCount> seen{};
    std::array<std::vector<std::string>, kSectionCount> read;
    for (const std::string_view line : splitLines(text)) {
        if (const auto name = headerName(line)) {
            const int index = sectionIndex(*name);
            if (index < 0) {
                target = Target::Foreign;
                appendLine(m_foreignText, line);
            } else if (seen[static_cast<size_t>(index)]) {
                // The first of a repeated section wins; the others go on the next save.
                target = Target::Repeated;
            } else {
                target = Target::Ours;
                current = static_cast<size_t>(index);
                seen[current] = true;
            }
            continue;
        }
        switch (target) {
        case Target::Head:
            appendLine(m_headText, line);
            break;
        case Target::Ours:
            read[current].emplace_back(line);
            break;
        case Target::Repeated:
            break;
        case Target::Foreign:
            appendLine(m_foreignText, line);
            break;
        }
    }
    for (size_t i = 0; i < kSectionCount; ++i)
        setLines(static_cast<SettingsSection>(i), read[i]);
}

std::string SettingsFile::toText() const {
    std::string text = m_headText;
    for (size_t i = 0; i < kSectionCount; ++i) {
        text += '[';
        text += kSectionNames[i];
        text += "]\n";
        for (const std::string& line : m_sections[i])
            appendLine(text, line);
    }
    text += m_foreignText;
    return text;
}

const std::vector<std::string>& SettingsFile::lines(SettingsSection section) const {
    return m_sections[indexOf(section)];
}

void SettingsFile::setLines(SettingsSection section, const std::vector<std::string>& lines) {
    // Built aside: `lines` may be this very section.
    std::vector<std::string> kept;
    size_t bytes = sectionBytes(kept);
    for (const std::string& line : lines) {
        if (!isStorableLine(line) || bytes + line.size() + 1 > kSectionLimit)
            continue;
        kept.push_back(line);
        bytes += line.size() + 1;
    }
    m_sections[indexOf(section)] = std::move(kept);
}

void SettingsFile::setHistory(SettingsSection section, const std::vector<std::string>& entries) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < entries.size(); ++i) {
        // A longer entry is left out rather than cut: a cut path names another file.
        if (entries[i].size() > kHistoryItemLimit)
            continue;
        lines.push_back(std::to_string(i + 1) + "=" + entries[i]);
    }
    setLines(section, lines);
}

std::vector<std::string> SettingsFile::history(SettingsSection section) const {
    std::vector<std::string> values;
    for (const std::string& line : lines(section)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos || equals + 1 == line.size())
            continue;
        const std::string_view value = std::string_view(line).substr(equals + 1);
        bool known = false;
        for (const std::string& held : values)
            known = known || equalsIgnoringAsciiCase(held, value);
        if (!known)
            values.emplace_back(value);
    }
    return values;
}

void SettingsFile::setEditorPath(SettingsSection section, const std::string& path) {
    setLines(section, {"@=" + path});
}

ToolPaths SettingsFile::toolPaths() const {
    return {editorPathForTools(SettingsSection::BinaryEditor),
            editorPathForTools(SettingsSection::TextEditor),
            editorPathForTools(SettingsSection::Windiff)};
}

bool SettingsFile::optionSwitch(std::string_view key) const {
    for (const std::string& line : lines(SettingsSection::Options))
        if (setsKey(line, key))
            return trimmed(std::string_view(line).substr(line.find('=') + 1)) == "1";
    return false;
}

void SettingsFile::setOptionSwitch(std::string_view key, bool on) {
    std::vector<std::string> options = lines(SettingsSection::Options);
    const std::string line = std::string(key) + (on ? "=1" : "=0");
    const auto held = std::find_if(options.begin(), options.end(),
                                   [key](const std::string& l) { return setsKey(l, key); });
    if (held != options.end())
        *held = line;
    else
        options.push_back(line);
    setLines(SettingsSection::Options, options);
}

bool SettingsFile::skipUnchanged() const {
    return optionSwitch(kSkipUnchangedKey);
}

void SettingsFile::setSkipUnchanged(bool on) {
    setOptionSwitch(kSkipUnchangedKey, on);
}

bool SettingsFile::hardLinks() const {
    return optionSwitch(kHardLinksKey);
}

void SettingsFile::setHardLinks(bool on) {
    setOptionSwitch(kHardLinksKey, on);
}

std::string SettingsFile::editorPath(SettingsSection section) const {
    const std::vector<std::string>& held = lines(section);
    if (held.empty())
        return {};
    const size_t equals = held.front().find('=');
    return equals == std::string::npos ? std::string() : held.front().substr(equals + 1);
}

std::string SettingsFile::editorPathForTools(SettingsSection section) const {
    const std::vector<std::string>& held = lines(section);
    if (held.empty() || held.front().size() < 2)
        return {};
    return held.front().substr(2);
}

const char* SettingsFile::sectionName(SettingsSection section) {
    const size_t index = indexOf(section);
    return index < kSectionNames.size() ? kSectionNames[index] : "";
}

size_t SettingsFile::sectionBytes(const std::vector<std::string>& lines) {
    size_t bytes = 1;
    for (const std::string& line : lines)
        bytes += line.size() + 1;
    return bytes;
}

std::string SettingsFile::defaultPath(const std::string& executablePath) {
    return defaultPath(executablePath, RYK_INSTALLED_PROGRAM_DIR);
}

std::string SettingsFile::defaultPath(const std::string& executablePath,
                                      const std::string& installedProgramDirectory) {
    const size_t slash = executablePath.rfind('/');
    const std::string directory =
        slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
    std::string name =
        slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    if (name.empty())
        name = "ryk";
    if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    name += ".INI";

    const std::string beside = directory + name;
    const std::string searched = directory.empty() ? std::string(".") : directory;
    std::error_code ignored;
    // Root may write to /usr/bin: one root run would leave a file there that every user then
    // reads but cannot save, and that stays behind when the package is removed. Compared as
    // files, so that /bin/ryk and /usr/bin/ryk on a merged /usr count the same.
    const bool installed =
        !installedProgramDirectory.empty() &&
        std::filesystem::equivalent(searched, installedProgramDirectory, ignored);
    if (!executablePath.empty() && !installed &&
        (std::filesystem::exists(beside, ignored) || isWritableDirectory(searched)))
        return beside;

    // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
    std::string config = environmentValue("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/') {
        const std::string home = homeDirectory();
        if (home.empty())
            return installed ? std::string() : beside;
        config = home + "/.config";
    }
    while (config.size() > 1 && config.back() == '/')
        config.pop_back();
    return config + "/rykmere/" + name;
}

} // namespace ryk

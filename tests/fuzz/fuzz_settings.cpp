// Reads arbitrary bytes as a settings file and checks what the reader promises: every
// section within its byte limit and made only of lines the file can hold, and a saved text
// that reads back to the same settings and the same text.

#include "app/SettingsFile.h"
#include "platform/TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using ryk::SettingsFile;
using ryk::SettingsSection;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkSections(const SettingsFile& settings) {
    for (size_t i = 0; i < SettingsFile::kSectionCount; ++i) {
        const auto& lines = settings.lines(static_cast<SettingsSection>(i));
        check(SettingsFile::sectionBytes(lines) <= SettingsFile::kSectionLimit);
        for (const std::string& line : lines) {
            check(!line.empty());
            check(line.find_first_of(std::string_view("\0\r\n", 3)) == std::string::npos);
            check(ryk::isValidUtf8(line));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SettingsFile settings;
    settings.loadFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    checkSections(settings);

    const std::string text = settings.toText();
    SettingsFile reread;
    reread.loadFromText(text);
    checkSections(reread);
    for (size_t i = 0; i < SettingsFile::kSectionCount; ++i) {
        const auto section = static_cast<SettingsSection>(i);
        check(reread.lines(section) == settings.lines(section));
    }
    check(reread.toText() == text);

    // A history rebuilt from what was read stays within the limit and keeps its order.
    const std::vector<std::string> entries = settings.history(SettingsSection::SrcDir);
    reread.setHistory(SettingsSection::DstDir, entries);
    checkSections(reread);
    const std::vector<std::string> kept = reread.history(SettingsSection::DstDir);
    size_t next = 0;
    for (const std::string& value : kept) {
        while (next < entries.size() && entries[next] != value)
            ++next;
        check(next < entries.size());
        check(value.size() <= SettingsFile::kHistoryItemLimit);
        ++next;
    }
    return 0;
}

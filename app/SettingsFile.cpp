#include "app/SettingsFile.h"

namespace ryk {

int SettingsFile::load(FileSystem&) { return 0; }
int SettingsFile::save(FileSystem&) const { return 0; }
const std::vector<std::string>& SettingsFile::lines(SettingsSection section) const {
    return m_sections[static_cast<size_t>(section)];
}
void SettingsFile::setLines(SettingsSection, const std::vector<std::string>&) {}
void SettingsFile::setHistory(SettingsSection, const std::vector<std::string>&) {}
std::vector<std::string> SettingsFile::history(SettingsSection) const { return {}; }
void SettingsFile::setEditorPath(SettingsSection, const std::string&) {}
std::string SettingsFile::editorPath(SettingsSection) const { return {}; }
std::string SettingsFile::editorPathForTools(SettingsSection) const { return {}; }
const char* SettingsFile::sectionName(SettingsSection) { return ""; }
size_t SettingsFile::sectionBytes(const std::vector<std::string>&) { return 0; }
std::string SettingsFile::defaultPath(const std::string&) { return {}; }

} // namespace ryk

#include "app/HistoryList.h"

#include "platform/text/Ascii.h"

#include <algorithm>
#include <utility>

namespace ryk {

bool HistoryList::push(std::string_view text, Push how) {
    if (text.empty())
        return false;
    const auto held = std::find_if(m_items.begin(), m_items.end(), [text](const std::string& item) {
        return equalsIgnoringAsciiCase(item, text);
    });
    if (how == Push::Loaded) {
        if (held != m_items.end())
            return false;
        m_items.emplace_back(text);
        return true;
    }
    // Already on top: it keeps the letter case it had.
    if (held != m_items.end() && held == m_items.begin())
        return false;
    if (held != m_items.end())
        m_items.erase(held);
    m_items.insert(m_items.begin(), std::string(text));
    return true;
}

bool HistoryList::moveUp(size_t index) {
    if (index == 0 || index >= m_items.size())
        return false;
    std::swap(m_items[index - 1], m_items[index]);
    return true;
}

bool HistoryList::moveDown(size_t index) {
    if (index + 1 >= m_items.size())
        return false;
    std::swap(m_items[index], m_items[index + 1]);
    return true;
}

void HistoryList::remove(size_t index) {
    if (index < m_items.size())
        m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
}

void HistoryList::load(const SettingsFile& settings, SettingsSection section) {
    for (const std::string& value : settings.history(section))
        push(value, Push::Loaded);
}

void HistoryList::save(SettingsFile& settings, SettingsSection section) const {
    settings.setHistory(section, m_items);
}

} // namespace ryk

#pragma once

#include "app/SettingsFile.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ryk {

/// The recent texts of one input box, most recent first. There is no limit in memory; the
/// settings file keeps as many as fit its section.
class HistoryList {
public:
    /// How a text enters: as just used (it goes to the top) or read from the settings file
    /// (it goes to the end, and a text already held is dropped: the first one wins).
    enum class Push { Used, Loaded };

    /// Adds a text; an empty one changes nothing, and neither does one already at the top or,
    /// when loading, one held anywhere (letters compared without ASCII case). True when the
    /// text went in, so that the box selects it: at the top when used, at the end when loaded.
    bool push(std::string_view text, Push how);

    const std::vector<std::string>& items() const { return m_items; }
    void assign(std::vector<std::string> items) { m_items = std::move(items); }
    size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }

    /// Moves the item at `index` one place towards the top or the end; false when it cannot
    /// move (already there, or no such item).
    bool moveUp(size_t index);
    bool moveDown(size_t index);
    void remove(size_t index);
    void clear() { m_items.clear(); }

    /// Appends the values of a history section in file order.
    void load(const SettingsFile& settings, SettingsSection section);
    /// Rewrites the section as "1=...", "2=..." in list order, as many as fit.
    void save(SettingsFile& settings, SettingsSection section) const;

private:
    std::vector<std::string> m_items;
};

/// The five input boxes that keep a history, in the order of their settings sections.
enum class HistoryKind {
    SourceDirectory,
    SourcePatterns,
    ExclusionPatterns,
    DestinationDirectory,
    DestinationPattern
};
inline constexpr size_t kHistoryKindCount = 5;

/// The five histories of the main window, indexed by HistoryKind.
using Histories = std::array<HistoryList, kHistoryKindCount>;

/// The settings section that keeps a kind's history.
inline SettingsSection sectionOf(HistoryKind kind) {
    return static_cast<SettingsSection>(static_cast<int>(kind));
}

} // namespace ryk

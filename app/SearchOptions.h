#pragma once

#include "engine/JobSettings.h"

#include <array>

namespace ryk {

/// The search page's controls by their ids; byte i of the flag block belongs to 1070 + i.
enum SearchControl : int {
    kSubdirectoriesCheck = 1070,
    kSkipEmptyRadio = 1071,
    kCopyEmptyRadio = 1072,
    kStructureRadio = 1073,
    kRemoveDirectoriesCheck = 1074,
    kConditionsCheck = 1075,
    kIgnoreDatesRadio = 1076,
    kOnlyMissingRadio = 1077,
    kOnlyExistingRadio = 1078,
    kAfterDateRadio = 1079,
    kAfterDayPicker = 1080,
    kAfterTimePicker = 1081,
    kExplorerCheck = 1082,
    kSkipUnchangedCheck = 1083,
    kTrashCheck = 1084,
    kVerifyCheck = 1085,
    kHardLinksCheck = 1086,
    kNoticeLongRunsCheck = 1087,
};
inline constexpr int kFirstSearchControl = kSubdirectoriesCheck;
inline constexpr int kLastSearchControl = kNoticeLongRunsCheck;

/// What the search page shows and does, without the widgets: which controls are visible,
/// enabled and checked for a mode and a flag block, what a click changes, and the flag block
/// that OK writes, with the not-applicable marks put back.
class SearchOptions {
public:
    explicit SearchOptions(TransferMode mode);

    TransferMode mode() const { return m_mode; }

    /// Shows `flags` as the mode allows: a marked option is hidden; Sync cannot use the date
    /// conditions, Response none of the scan options; Explorer style only where a run copies,
    /// moves or deletes; leaving out unchanged files only in Sync; the trash where a run
    /// deletes or replaces files, the read-back check where it copies; hard links in Update
    /// and Sync; the notice of a long run in every mode. Every control starts from its initial
    /// state but those six, which keep their checks.
    void load(const OptionFlags& flags);

    /// A click on `control`: a check box flips, a radio button is checked and clears the others
    /// of its group; then the switches enable their choices and the date choice the pickers.
    /// A disabled control takes no click.
    void click(int control);

    /// The flag block as the page writes it on OK: a switch that is off leaves its group's bytes
    /// as they were; every byte keeps its mark.
    OptionFlags store() const;

    bool isChecked(int control) const { return m_checked[slot(control)]; }
    bool isVisible(int control) const { return m_visible[slot(control)]; }
    bool isEnabled(int control) const { return m_enabled[slot(control)]; }

    void setExplorerChecked(bool checked) { m_checked[slot(kExplorerCheck)] = checked; }
    bool explorerChecked() const { return isChecked(kExplorerCheck); }
    void setSkipUnchangedChecked(bool checked) { m_checked[slot(kSkipUnchangedCheck)] = checked; }
    bool skipUnchangedChecked() const { return isChecked(kSkipUnchangedCheck); }
    void setTrashChecked(bool checked) { m_checked[slot(kTrashCheck)] = checked; }
    bool trashChecked() const { return isChecked(kTrashCheck); }
    void setVerifyChecked(bool checked) { m_checked[slot(kVerifyCheck)] = checked; }
    bool verifyChecked() const { return isChecked(kVerifyCheck); }
    void setNoticeLongRunsChecked(bool checked) { m_checked[slot(kNoticeLongRunsCheck)] = checked; }
    bool noticeLongRunsChecked() const { return isChecked(kNoticeLongRunsCheck); }
    void setHardLinksChecked(bool checked) { m_checked[slot(kHardLinksCheck)] = checked; }
    bool hardLinksChecked() const { return isChecked(kHardLinksCheck); }

private:
    static constexpr int kControls = kLastSearchControl - kFirstSearchControl + 1;
    static size_t slot(int control) { return static_cast<size_t>(control - kFirstSearchControl); }

    void setEnabled(int first, int last, bool enabled);
    void checkInGroup(int control);
    void setPickersEnabled(bool enabled);

    TransferMode m_mode;
    OptionFlags m_flags;
    std::array<bool, kControls> m_checked{};
    std::array<bool, kControls> m_visible{};
    std::array<bool, kControls> m_enabled{};
};

} // namespace ryk

#include "app/SearchOptions.h"

namespace ryk {

namespace {

bool isOn(uint8_t byte) {
    return (byte & 1) != 0;
}

bool isMarkedHidden(uint8_t byte) {
    return (byte & ~uint8_t{1}) == kFlagNotApplicable;
}

/// The radio groups: the directory choices and the date choices.
bool inDirectoryGroup(int control) {
    return control >= kSkipEmptyRadio && control <= kStructureRadio;
}
bool inDateGroup(int control) {
    return control >= kIgnoreDatesRadio && control <= kAfterDateRadio;
}

} // namespace

SearchOptions::SearchOptions(TransferMode mode) : m_mode(mode) {
    load(OptionFlags{});
}

void SearchOptions::load(const OptionFlags& flags) {
    m_flags = flags;
    const bool explorer = explorerChecked();
    const bool skipUnchanged = skipUnchangedChecked();
    const bool trash = trashChecked();
    const bool verify = verifyChecked();
    const bool noticeLongRuns = noticeLongRunsChecked();
    const bool hardLinks = hardLinksChecked();
    m_checked.fill(false);
    m_visible.fill(true);
    // As the page first appears: only the two switches can be used.
    m_enabled.fill(false);
    m_enabled[slot(kSubdirectoriesCheck)] = true;
    m_enabled[slot(kConditionsCheck)] = true;
    m_checked[slot(kExplorerCheck)] = explorer;
    m_checked[slot(kSkipUnchangedCheck)] = skipUnchanged;
    m_checked[slot(kTrashCheck)] = trash;
    m_checked[slot(kVerifyCheck)] = verify;
    m_checked[slot(kNoticeLongRunsCheck)] = noticeLongRuns;
    m_enabled[slot(kNoticeLongRunsCheck)] = true;
    m_checked[slot(kHardLinksCheck)] = hardLinks;

    if (m_mode == TransferMode::Response) {
        // The response file names every operation; none of the scan options applies.
        setEnabled(kSubdirectoriesCheck, kAfterDateRadio, false);
    } else {
        for (int i = 0; i < OptionFlags::kCount; ++i) {
            const int control = kFirstSearchControl + i;
            const uint8_t byte = flags[i];
            if (isMarkedHidden(byte)) {
                m_visible[slot(control)] = false;
                continue;
            }
            const bool on = isOn(byte);
            if (control == kConditionsCheck && m_mode == TransferMode::Sync) {
                // A sync makes the trees equal; dates cannot restrict it.
                m_enabled[slot(kConditionsCheck)] = false;
                setEnabled(kIgnoreDatesRadio, kAfterDateRadio, false);
                continue;
            }
            m_checked[slot(control)] = on;
            if (control == kSubdirectoriesCheck && on)
                setEnabled(kSkipEmptyRadio, kRemoveDirectoriesCheck, true);
            else if (control == kConditionsCheck && on)
                setEnabled(kIgnoreDatesRadio, kAfterDateRadio, true);
            else if (control == kAfterDateRadio && on && isChecked(kConditionsCheck))
                setPickersEnabled(true);
        }
    }
    m_enabled[slot(kExplorerCheck)] =
        m_mode == TransferMode::Update || m_mode == TransferMode::Move ||
        m_mode == TransferMode::Delete || m_mode == TransferMode::Response;
    m_enabled[slot(kSkipUnchangedCheck)] = m_mode == TransferMode::Sync;
    // A search changes nothing; a deletion copies nothing.
    m_enabled[slot(kTrashCheck)] = m_mode != TransferMode::Search;
    m_enabled[slot(kVerifyCheck)] =
        m_mode != TransferMode::Search && m_mode != TransferMode::Delete;
    m_enabled[slot(kHardLinksCheck)] =
        m_mode == TransferMode::Update || m_mode == TransferMode::Sync;
}

void SearchOptions::click(int control) {
    if (control < kFirstSearchControl || control > kLastSearchControl || !isEnabled(control))
        return;
    switch (control) {
    case kSubdirectoriesCheck: {
        const bool on = !isChecked(control);
        m_checked[slot(control)] = on;
        setEnabled(kSkipEmptyRadio, kRemoveDirectoriesCheck, on);
        // A hidden choice is checked as well, so the scan always has one.
        if (on && !isChecked(kSkipEmptyRadio) && !isChecked(kCopyEmptyRadio) &&
            !isChecked(kStructureRadio))
            m_checked[slot(kSkipEmptyRadio)] = true;
        return;
    }
    case kConditionsCheck: {
        const bool on = !isChecked(control);
        m_checked[slot(control)] = on;
        setEnabled(kIgnoreDatesRadio, kAfterDateRadio, on);
        if (!on) {
            setPickersEnabled(false);
            return;
        }
        bool anyChoice = false;
        for (int c = kIgnoreDatesRadio; c <= kAfterDateRadio; ++c)
            anyChoice = anyChoice || isChecked(c);
        if (!anyChoice) {
            if (isVisible(kIgnoreDatesRadio))
                m_checked[slot(kIgnoreDatesRadio)] = true;
            else if (isVisible(kAfterDateRadio))
                m_checked[slot(kAfterDateRadio)] = true;
        }
        if (isChecked(kAfterDateRadio))
            setPickersEnabled(true);
        return;
    }
    case kRemoveDirectoriesCheck:
    case kExplorerCheck:
    case kSkipUnchangedCheck:
    case kTrashCheck:
    case kVerifyCheck:
    case kNoticeLongRunsCheck:
    case kHardLinksCheck:
        m_checked[slot(control)] = !isChecked(control);
        return;
    case kAfterDayPicker:
    case kAfterTimePicker:
        return;
    default:
        checkInGroup(control);
        if (inDateGroup(control))
            setPickersEnabled(control == kAfterDateRadio);
        return;
    }
}

OptionFlags SearchOptions::store() const {
    OptionFlags flags = m_flags;
    flags[0] = isChecked(kSubdirectoriesCheck);
    if (isChecked(kSubdirectoriesCheck)) {
        flags[4] = isChecked(kRemoveDirectoriesCheck);
        for (int i = 1; i <= 3; ++i)
            flags[i] = isChecked(kFirstSearchControl + i);
    }
    flags[5] = isChecked(kConditionsCheck);
    if (isChecked(kConditionsCheck)) {
        for (int i = 6; i <= 9; ++i)
            flags[i] = isChecked(kFirstSearchControl + i);
    }
    for (int i = 0; i < OptionFlags::kCount; ++i)
        flags[i] |= m_flags[i] & kFlagNotApplicable;
    return flags;
}

void SearchOptions::setEnabled(int first, int last, bool enabled) {
    for (int c = first; c <= last; ++c)
        m_enabled[slot(c)] = enabled;
}

void SearchOptions::checkInGroup(int control) {
    const bool directory = inDirectoryGroup(control);
    const int first = directory ? kSkipEmptyRadio : kIgnoreDatesRadio;
    const int last = directory ? kStructureRadio : kAfterDateRadio;
    for (int c = first; c <= last; ++c)
        m_checked[slot(c)] = c == control;
}

void SearchOptions::setPickersEnabled(bool enabled) {
    setEnabled(kAfterDayPicker, kAfterTimePicker, enabled);
}

} // namespace ryk

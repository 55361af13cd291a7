#pragma once

#include "engine/JobSettings.h"

#include <string_view>

namespace ryk {

/// The main window's controls by the ids the mode rules name.
enum MainControl : int {
    kSourceBox = 1000,
    kSourceBrowse = 1001,
    kPatternBox = 1002,
    kExclusionBox = 1003,
    kCreateDestinationCheck = 1004,
    kDestinationBox = 1005,
    kDestinationBrowse = 1006,
    kDestinationPatternBox = 1007,
};

/// Whether a mode uses the input `control` (kSourceBox ... kDestinationPatternBox); the mode
/// list, the options and execute buttons are always usable.
bool isInputEnabled(TransferMode mode, int control);

/// Marks the options a mode does not use (kFlagNotApplicable) and strips the marks of those it
/// uses. `keep` at start-up keeps the subdirectory and date switches; a mode change clears them.
void adjustFlagsForMode(OptionFlags& flags, TransferMode mode, bool keep);

/// The flags after the user chose another mode: the subdirectory switch and its three choices
/// and the date switches off, then the new mode's marks.
void changeFlagsForMode(OptionFlags& flags, TransferMode mode);

/// Whether the shell batch can take `destination` as it stands: an absolute path.
bool isAbsoluteDestination(std::string_view destination);

} // namespace ryk

#include "app/ModeRules.h"

namespace ryk {

namespace {

uint8_t strip(uint8_t byte) {
    return byte & 1;
}
uint8_t mark(uint8_t byte) {
    return (byte & 1) | kFlagNotApplicable;
}

} // namespace

bool isInputEnabled(TransferMode mode, int control) {
    const bool sourceSide = control >= kSourceBox && control <= kExclusionBox;
    switch (mode) {
    case TransferMode::Update:
    case TransferMode::Move:
        return true;
    case TransferMode::Search:
    case TransferMode::Delete:
        return sourceSide;
    case TransferMode::Response:
        return control == kPatternBox;
    case TransferMode::Sync:
        // A sync keeps the names; what it leaves out (neither copied nor deleted) stays in
        // view and in reach, as the command line's -w does. A destination not made yet is
        // made only when asked to.
        return control != kDestinationPatternBox;
    }
    return false;
}

void adjustFlagsForMode(OptionFlags& flags, TransferMode mode, bool keep) {
    for (uint8_t* byte : {&flags.subdirectories, &flags.dateConditions, &flags.afterDateOnly})
        *byte = keep ? strip(*byte) : 0;
    uint8_t* const choices[] = {&flags.recurse, &flags.includeEmptyDirectories,
                                &flags.directoriesOnly};
    uint8_t* const dateChoices[] = {&flags.ignoreDates, &flags.onlyMissing, &flags.onlyExisting};
    switch (mode) {
    case TransferMode::Update:
    case TransferMode::Move:
        for (uint8_t* byte : choices)
            *byte = strip(*byte);
        for (uint8_t* byte : dateChoices)
            *byte = strip(*byte);
        // Removing emptied source directories only follows a move; an update remembers it.
        flags.removeSourceDirectories = mode == TransferMode::Update
                                            ? mark(flags.removeSourceDirectories)
                                            : strip(flags.removeSourceDirectories);
        break;
    case TransferMode::Search:
    case TransferMode::Delete:
        for (uint8_t* byte : choices)
            *byte = kFlagNotApplicable;
        for (uint8_t* byte : dateChoices)
            *byte = kFlagNotApplicable;
        flags.removeSourceDirectories = mode == TransferMode::Search
                                            ? kFlagNotApplicable
                                            : strip(flags.removeSourceDirectories);
        // Without a destination the only date condition left is the after-date one.
        if (flags.dateConditions != 0)
            flags.afterDateOnly |= 1;
        break;
    case TransferMode::Response:
    case TransferMode::Sync:
        break;
    }
}

void changeFlagsForMode(OptionFlags& flags, TransferMode mode) {
    for (int i = 0; i < 4; ++i)
        flags[i] = 0;
    adjustFlagsForMode(flags, mode, false);
}

bool isAbsoluteDestination(std::string_view destination) {
    return !destination.empty() && destination.front() == '/';
}

} // namespace ryk

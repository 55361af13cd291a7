#pragma once

#include "platform/Translation.h"

namespace ryk {

/// The English texts compiled from the desktop program's translation source, for the programs
/// that do without Qt.
class TableTranslation : public Translation {
public:
    std::string translate(const char* context, const char* text) const override;
};

/// The translation for `language`: the table for English, none for Japanese.
const Translation& consoleTranslation(Language language);

} // namespace ryk

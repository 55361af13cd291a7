#include "platform/console/ConsoleTranslation.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace ryk {

namespace {

struct TableRow {
    std::string_view context;
    std::string_view source;
    std::string_view translation;
};

/// Sorted by context, then source, bytewise.
constexpr TableRow kEnglish[] = {
#include "EnglishTable.inc"
};

} // namespace

std::string TableTranslation::translate(const char* context, const char* text) const {
    const TableRow key{context, text, {}};
    const auto before = [](const TableRow& a, const TableRow& b) {
        return a.context != b.context ? a.context < b.context : a.source < b.source;
    };
    const auto* found = std::lower_bound(std::begin(kEnglish), std::end(kEnglish), key, before);
    if (found == std::end(kEnglish) || found->context != key.context || found->source != key.source)
        return text;
    return std::string(found->translation);
}

const Translation& consoleTranslation(Language language) {
    static const TableTranslation english;
    return language == Language::English ? english : kUntranslated;
}

} // namespace ryk
